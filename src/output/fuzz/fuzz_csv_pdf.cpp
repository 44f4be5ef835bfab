// Arbitrary patient names and comments through the CSV field rule and the PDF table pages
// (log book, data list with its wrapped comment columns, summary). A CSV field must read
// back as the text it was made from; the PDF writers must not fail or read out of bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "output/csv_export.h"
#include "output/pdf_document.h"
#include "output/pdf_report.h"

using namespace meridane;

namespace {

// The field as a spreadsheet reads it back.
std::string Unfield(const std::string& f) {
  if (f.empty() || f.front() != '"') return f;
  std::string out;
  for (size_t i = 1; i + 1 < f.size(); ++i) {
    out += f[i];
    if (f[i] == '"') ++i;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string name = in.ConsumeRandomLengthString(64);
  if (Unfield(CsvField(name)) != name) std::abort();

  ReportModel r;
  r.type = in.PickValueInArray({kReportLogBook, kReportDataList, kReportSummary});
  r.ctx.fullName = name;
  r.ctx.medicalNo = in.ConsumeRandomLengthString(8);
  r.ctx.timeUnit24 = in.ConsumeBool();
  r.ctx.mealEnable = in.ConsumeBool();
  GridSet& grid = r.type == kReportDataList ? static_cast<GridSet&>(r.dataList) : r.logBook;
  const int rows = in.ConsumeIntegralInRange(0, 40);
  for (int i = 0; i < rows; ++i) {
    GridRow row;
    const int cells = in.ConsumeIntegralInRange(0, 10);
    for (int c = 0; c < cells; ++c) {
      GridCell cell;
      cell.text = in.ConsumeRandomLengthString(120);
      row.push_back(std::move(cell));
    }
    grid.rows.push_back(std::move(row));
  }
  r.summary.fullName = name;
  r.summary.IDNo = in.ConsumeRandomLengthString(16);
  PdfDocument doc;
  if (!doc.created()) return 0;
  WriteReportPdf(doc, r);
  if (!doc.failed()) (void)doc.Serialize();
  return 0;
}
