// The table-type report pages: a common head, then rows down the page with a rule under
// each, a fresh page (head repeated) when the next row would start below y 110.
#include <cstdio>
#include <functional>

#include "output/pdf_report.h"

namespace meridane {

namespace {

struct TableHead {
  std::string title;
  bool patientLine = false;
  bool unitAlwaysMgdl = false;
  std::vector<const char*> titles;
  std::vector<float> xs;
};

std::string UnitLine(bool mgdl) {
  return mgdl ? "Glucose Value Unit: mg/dL" : "Glucose Value Unit: mmol/L";
}

std::string RangeTitle(const char* name, const PdfReportContext& c) {
  return std::string(name) + "       From " + MonthDayYear(c.from) + "     To     " +
         MonthDayYear(c.to);
}

void DrawHead(PdfPage& page, const TableHead& head, const PdfReportContext& ctx) {
  float h = page.height();
  page.SetFont("Times-Roman", 12);
  page.Text(20, h - 40, head.title);
  if (head.patientLine) {
    // A long name starts further left so that the line stays on the page. The whole line
    // is never shorter than 16 characters, so the name's own length decides.
    bool longName = ToLatin2(ctx.fullName).size() >= 16;
    page.Text(longName ? 300 : 400, h - 40,
              "Patient Name :" + ctx.fullName + "(" + ctx.medicalNo + ")");
  }
  page.Text(20, h - 60, UnitLine(head.unitAlwaysMgdl || ctx.unitMgdl));
  page.SetFontSize(8);
  for (size_t i = 0; i < head.titles.size(); ++i) page.Text(head.xs[i], h - 80, head.titles[i]);
  page.Rule(20, h - 85, 1, page.width() - 60);
}

// Draws the row at y and returns its lowest point.
using RowDrawer = std::function<float(PdfPage&, const std::vector<std::string>&, float)>;

void DrawTable(PdfDocument& doc, const TableHead& head, const PdfReport& r, const RowDrawer& row) {
  PdfPage page = doc.AddPage();
  DrawHead(page, head, r.ctx);
  float y = page.height() - 95;
  bool first = true;
  for (const auto& cells : r.rows) {
    if (doc.failed()) return;
    if (y < 110 && !first) {
      page = doc.AddPage();
      DrawHead(page, head, r.ctx);
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

}  // namespace

void WriteLogBookPdf(PdfDocument& doc, const PdfReport& r) {
  TableHead head;
  head.title = RangeTitle("Log Book", r.ctx);
  head.patientLine = true;
  if (r.ctx.mealEnable)
    head.titles = {"Date",         "Before Meal1", "After Meal1",     "Before Meal2", "After Meal2",
                   "Before Meal3", "After Meal3",  "Bedtime Glucose", "Insulin"};
  else
    head.titles = {"Date",          "Before Breakfast", "After Breakfast",
                   "Before Lunch",  "After Lunch",      "Before Dinner",
                   "After Dinner",  "Bedtime Glucose",  "Insulin"};
  head.xs = {25, 100, 160, 220, 280, 340, 400, 460, 520};
  DrawTable(doc, head, r, PlainCells(head.xs));
}

void WriteDataListPdf(PdfDocument& doc, const PdfReport& r) {
  TableHead head;
  head.title = RangeTitle("Data List", r.ctx);
  head.patientLine = true;
  head.titles = {"Date", "Time", "Glucose", "Insulin", "OralMed", "Exercise", "Food", "Comments"};
  head.xs = {25, 65, 90, 125, 195, 265, 325, 415};
  bool h24 = r.ctx.timeUnit24;
  DrawTable(doc, head, r, [h24](PdfPage& page, const std::vector<std::string>& cells, float y) {
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
      std::string rest = ToLatin2(cell(3 + c));
      float py = y;
      while (!rest.empty()) {
        size_t n = std::min(rest.size(), kWrap[c]);
        page.TextLatin2(kX[c], py, rest.substr(0, n));
        rest.erase(0, n);
        py -= 8;
      }
      end = std::min(end, py);
    }
    return end;
  });
}

void WriteMultipleDownloadPdf(PdfDocument& doc, const PdfReport& r) {
  TableHead head;
  head.title = "Multiple Download";
  head.unitAlwaysMgdl = true;
  head.titles = {"Medical Record No.", "Patient Name", "Glucose", "Testing Date"};
  head.xs = {25, 150, 300, 450};
  DrawTable(doc, head, r, PlainCells(head.xs));
}

void WriteQuickViewPdf(PdfDocument& doc, const PdfReport& r) {
  TableHead head;
  head.title = "Multiple Quick View";
  head.unitAlwaysMgdl = true;
  head.titles = {"Patient Name", "#of Ratings", "%Below Target", "%Above Target",
                 "#Hypo",        "HbA1c",       "Pre-meal Average", "Post-meal Average"};
  head.xs = {25, 155, 210, 280, 345, 380, 415, 485};
  DrawTable(doc, head, r, PlainCells(head.xs));
}

void WriteSummaryPdf(PdfDocument& doc, const PdfReport& r) {
  PdfPage page = doc.AddPage();
  float h = page.height();
  float len = page.width() - 60;
  const PdfSummary& s = r.summary;
  page.SetFont("Times-Roman", 12);
  page.Text(20, h - 40, "Summary Checks");
  page.Text(20, h - 60, UnitLine(r.ctx.unitMgdl));
  page.Rule(20, h - 82, 1, len);
  float y = h - 95;
  auto row = [&](const char* label, std::initializer_list<std::pair<float, std::string>> items) {
    page.Text(20, y, label);
    for (const auto& [x, text] : items) page.Text(x, y, text);
    y -= 8;
    page.Rule(20, y, 1, len);
    y -= 12;
  };
  row("Full Name:", {{150, s.fullName}});
  row("ID No.:", {{150, s.idNo}});
  row("Date of Birth:", {{150, s.birth}});
  row("#Results:", {{150, s.results}});
  row("Standard Deviation:", {{150, s.standardDeviation}});
  row("Above Target:", {{150, s.above},
                        {200, "Below Target:"},
                        {330, s.below},
                        {400, "Within Target:"},
                        {530, s.within}});
  row("Hypoglycemic:", {{150, s.hypo}});
  row("Average:", {{150, s.average}});
  row("Day Average:", {{150, s.dayAverages[0]},
                       {220, s.dayAverages[1]},
                       {290, s.dayAverages[2]},
                       {360, s.dayAverages[3]},
                       {430, s.dayAverages[4]}});
  row("HbA1c:", {{150, s.hbA1c}});
  row("Blood Pressure:", {{150, s.bloodPressure}});
  row("Ketnotes:", {{150, s.ketnotes}});
  row("Cholesterol:", {});
  row("Total:", {{150, s.cholesterol}, {280, "LDL: " + s.ldl}, {410, "HDL: " + s.hdl}});
}

void WriteReportPdf(PdfDocument& doc, const PdfReport& r) {
  switch (r.type) {
    case kReportTrend: return WriteTrendPdf(doc, r);
    case kReportPie: return WritePiePdf(doc, r);
    case kReportStandardDay: return WriteStandardDayPdf(doc, r);
    case kReportDayAverage: return WriteDayAveragePdf(doc, r);
    case kReportWeekAverage: return WriteWeekAveragePdf(doc, r);
    case kReportHistogram: return WriteHistogramPdf(doc, r);
    case kReportDataList: return WriteDataListPdf(doc, r);
    case kReportSummary: return WriteSummaryPdf(doc, r);
    case kReportMultipleDownload: return WriteMultipleDownloadPdf(doc, r);
    case kReportQuickView: return WriteQuickViewPdf(doc, r);
    default: return WriteLogBookPdf(doc, r);
  }
}

}  // namespace meridane
