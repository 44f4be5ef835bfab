// The table-type report pages: a common head, then rows down the page with a rule under
// each, a fresh page (head repeated) when the next row would start below y 110.
#include <cstdio>
#include <functional>
#include <string_view>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "output/pdf_report.h"
#include "output/print_pages.h"

namespace meridane {

namespace {

struct TableHead {
  std::string title;
  bool patientLine = false;
  bool unitAlwaysMgdl = false;
  std::vector<TextId> titles;
  std::vector<float> xs;
};

// Room of a column title: up to the next column, the last one up to the page's margin.
float ColumnRoom(const TableHead& head, size_t i, float pageWidth) {
  const float end = i + 1 < head.xs.size() ? head.xs[i + 1] : pageWidth - 40;
  return end - head.xs[i] - 3;
}

void DrawHead(PdfPage& page, const TableHead& head, const ReportContext& ctx) {
  float h = page.height();
  page.SetFont("Times-Roman", 12);
  // A long name starts further left so that the line stays on the page. The whole line
  // is never shorter than 16 characters, so the name's own length decides.
  const float patientX = IsLongPatientName(ctx.fullName) ? 300 : 400;
  page.FitText(20, h - 40, head.title, (head.patientLine ? patientX : page.width() - 20) - 28);
  if (head.patientLine) page.Text(patientX, h - 40, PatientNameLine(ctx));
  page.Text(20, h - 60, GlucoseUnitLine(head.unitAlwaysMgdl || ctx.unitMgdl));
  page.SetFontSize(8);
  for (size_t i = 0; i < head.titles.size(); ++i)
    page.FitText(head.xs[i], h - 80, LookupText(head.titles[i]), ColumnRoom(head, i, page.width()));  // dynamic text
  page.Rule(20, h - 85, 1, page.width() - 60);
}

// Draws the row at y and returns its lowest point.
using RowDrawer = std::function<float(PdfPage&, const std::vector<std::string>&, float)>;

void DrawTable(PdfDocument& doc, const TableHead& head, const ReportContext& ctx,
               const std::vector<std::vector<std::string>>& rows, const RowDrawer& row) {
  PdfPage page = doc.AddPage();
  DrawHead(page, head, ctx);
  float y = page.height() - 95;
  bool first = true;
  for (const auto& cells : rows) {
    if (doc.failed()) return;
    if (y < 110 && !first) {
      page = doc.AddPage();
      DrawHead(page, head, ctx);
      y = page.height() - 95;
    }
    first = false;
    y = row(page, cells, y) - 6;
    page.Rule(20, y, 1, page.width() - 60);
    y -= 10;
  }
}

RowDrawer PlainCells(const std::vector<float>& xs) {
  return [xs](PdfPage& page, const std::vector<std::string>& cells, float y) {
    for (size_t i = 0; i < xs.size() && i < cells.size(); ++i)
      if (!cells[i].empty()) page.Text(xs[i], y, cells[i]);
    return y;
  };
}

std::vector<std::vector<std::string>> GridTexts(const GridSet& grid) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(grid.rows.size());
  for (const GridRow& row : grid.rows) rows.push_back(CellTexts(row));
  return rows;
}

}  // namespace

std::vector<std::string> WrapCell(std::string_view text, size_t limit) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    for (size_t n = 0; n < limit && end < text.size(); ++n) end += CharacterBytesAt(text, end);
    pieces.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return pieces;
}

void WriteLogBookPdf(PdfDocument& doc, const ReportContext& ctx, const GridSet& grid) {
  TableHead head;
  head.title = RangeTitleLine(LookupText("PdfReport", "LogBook", "Log Book"), ctx);
  head.patientLine = true;
  head.titles = LogBookTitles(ctx.mealEnable);
  head.xs = {25, 100, 160, 220, 280, 340, 400, 460, 520};
  DrawTable(doc, head, ctx, GridTexts(grid), PlainCells(head.xs));
}

void WriteDataListPdf(PdfDocument& doc, const ReportContext& ctx, const GridSet& grid) {
  TableHead head;
  head.title = RangeTitleLine(LookupText("PdfReport", "DataList", "Data List"), ctx);
  head.patientLine = true;
  head.titles = DataListTitles();
  head.xs = {25, 65, 90, 125, 195, 265, 325, 415};
  bool h24 = ctx.timeUnit24;
  DrawTable(doc, head, ctx, GridTexts(grid), [h24](PdfPage& page, const std::vector<std::string>& cells, float y) {
    auto cell = [&](size_t i) -> const std::string& {
      static const std::string kEmpty;
      return i < cells.size() ? cells[i] : kEmpty;
    };
    // The am/pm time is wider, so date and time start further left.
    page.Text(h24 ? 25 : 15, y, cell(0));
    page.Text(h24 ? 65 : 55, y, cell(1));
    page.Text(90, y, cell(2));
    static const float kX[] = {125, 195, 265, 325, 415};
    static const size_t kWrap[] = {20, 16, 30, 25, 30};
    float end = y;
    for (size_t c = 0; c < 5; ++c) {
      float py = y;
      for (const std::string& piece : WrapCell(cell(3 + c), kWrap[c])) {
        page.Text(kX[c], py, piece);
        py -= 8;
      }
      end = std::min(end, py);
    }
    return end;
  });
}

void WriteMultipleDownloadPdf(PdfDocument& doc, const std::vector<MultipleDownloadRow>& rows) {
  TableHead head;
  head.title = LookupText("PdfReport", "MultipleDownload", "Multiple Download");
  head.unitAlwaysMgdl = true;
  head.titles = MultipleDownloadTitles();
  head.xs = {25, 150, 300, 450};
  // The list's first column is an empty spacer; the page shows the four after it.
  std::vector<std::vector<std::string>> cells;
  cells.reserve(rows.size());
  for (const auto& row : rows) cells.emplace_back(row.begin() + 1, row.end());
  DrawTable(doc, head, {}, cells, PlainCells(head.xs));
}

void WriteQuickViewPdf(PdfDocument& doc, const QuickViewSet& set) {
  TableHead head;
  head.title = LookupText("PdfReport", "MultipleQuickView", "Multiple Quick View");
  head.unitAlwaysMgdl = true;
  head.titles = {TextId{"PdfReport", "ColPatientName", "Patient Name"},
                 TextId{"PdfReport", "ColRatingsPdf", "#of Ratings"},
                 TextId{"PdfReport", "ColBelowPct", "%Below Target"},
                 TextId{"PdfReport", "ColAbovePct", "%Above Target"},
                 TextId{"PdfReport", "ColHypo", "#Hypo"},
                 TextId{"PdfReport", "ColHbA1c", "HbA1c"},
                 TextId{"PdfReport", "ColPreMeal", "Pre-meal Average"},
                 TextId{"PdfReport", "ColPostMeal", "Post-meal Average"}};
  head.xs = {25, 155, 210, 280, 345, 380, 415, 485};
  std::vector<std::vector<std::string>> cells;
  cells.reserve(set.rows.size());
  for (const auto& row : set.rows) cells.emplace_back(row.cells.begin(), row.cells.end());
  DrawTable(doc, head, {}, cells, PlainCells(head.xs));
}

void WriteSummaryPdf(PdfDocument& doc, const ReportContext& ctx, const SummaryFields& s) {
  PdfPage page = doc.AddPage();
  float h = page.height();
  float len = page.width() - 60;
  page.SetFont("Times-Roman", 12);
  page.Text(20, h - 40, LookupText("PdfReport", "SummaryChecks", "Summary Checks"));
  page.Text(20, h - 60, GlucoseUnitLine(ctx.unitMgdl));
  page.Rule(20, h - 82, 1, len);
  float y = h - 95;
  // A caption has the room up to the value beside it; values (room 0) are drawn as they are.
  struct Item {
    float x;
    std::string text;
    float room = 0;
  };
  auto row = [&](const TextId& label, std::initializer_list<Item> items) {
    page.FitText(20, y, LookupText(label), 127);  // dynamic text
    for (const Item& item : items) page.FitText(item.x, y, item.text, item.room);
    y -= 8;
    page.Rule(20, y, 1, len);
    y -= 12;
  };
  row(TextId{"PdfReport", "FullName", "Full Name:"}, {{150, s.fullName}});
  row(TextId{"PdfReport", "IDNo", "ID No.:"}, {{150, s.IDNo}});
  row(TextId{"PdfReport", "DateOfBirth", "Date of Birth:"}, {{150, s.dateOfBirthPdf}});
  row(TextId{"PdfReport", "Results", "#Results:"}, {{150, s.result}});
  row(TextId{"PdfReport", "StandardDeviation", "Standard Deviation:"}, {{150, s.standardDeviation}});
  row(TextId{"PdfReport", "AboveTarget", "Above Target:"},
      {{150, s.aboveTarget},
       {200, LookupText("PdfReport", "BelowTarget", "Below Target:"), 127},
       {330, s.belowTarget},
       {400, LookupText("PdfReport", "WithinTarget", "Within Target:"), 127},
       {530, s.withinTarget}});
  row(TextId{"PdfReport", "Hypoglycemic", "Hypoglycemic:"}, {{150, s.hypoglycemic}});
  row(TextId{"PdfReport", "Average", "Average:"}, {{150, s.average}});
  row(TextId{"PdfReport", "DayAverage", "Day Average:"}, {{150, s.dayAverage[0]},
                                                          {220, s.dayAverage[1]},
                                                          {290, s.dayAverage[2]},
                                                          {360, s.dayAverage[3]},
                                                          {430, s.dayAverage[4]}});
  row(TextId{"PdfReport", "HbA1c", "HbA1c:"}, {{150, s.hbA1c}});
  row(TextId{"PdfReport", "BloodPressure", "Blood Pressure:"}, {{150, s.bloodPressure}});
  row(TextId{"PdfReport", "Ketnotes", "Ketnotes:"}, {{150, s.ketnotes}});
  row(TextId{"PdfReport", "Cholesterol", "Cholesterol:"}, {});
  row(TextId{"PdfReport", "Total", "Total:"},
      {{150, s.cholesterol},
       {280, FillText(LookupText("PdfReport", "Ldl", "LDL: {value}"), {{"value", s.LDL}})},
       {410, FillText(LookupText("PdfReport", "Hdl", "HDL: {value}"), {{"value", s.HDL}})}});
}

void WriteReportPdf(PdfDocument& doc, const ReportModel& m) {
  const ReportContext& c = m.ctx;
  switch (m.type) {
    case kReportTrend: return WriteTrendPdf(doc, c, m.trend);
    case kReportPie: return WritePiePdf(doc, c, m.pie);
    case kReportStandardDay: return WriteStandardDayPdf(doc, c, m.standardDay);
    case kReportDayAverage: return WriteDayAveragePdf(doc, c, m.dayAverage);
    case kReportWeekAverage: return WriteWeekAveragePdf(doc, c, m.weekAverage);
    case kReportHistogram: return WriteHistogramPdf(doc, c, m.histogram);
    case kReportDataList: return WriteDataListPdf(doc, c, m.dataList);
    case kReportSummary: return WriteSummaryPdf(doc, c, m.summary);
    case kReportMultipleDownload: return WriteMultipleDownloadPdf(doc, m.multipleDownload);
    case kReportQuickView: return WriteQuickViewPdf(doc, m.quickView);
    case kReportGlucoseProfile: return WriteGlucoseProfilePdf(doc, c, m.glucoseProfile);
    default: return WriteLogBookPdf(doc, c, m.logBook);
  }
}

}  // namespace meridane
