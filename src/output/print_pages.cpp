#include "output/print_pages.h"

#include <algorithm>

#include "base/text_lookup.h"
#include "output/pdf_document.h"
#include "output/pdf_report.h"

namespace meridane {

namespace {

void Text(PrintPage& page, float x, float y, float size, std::string text) {
  if (!text.empty()) page.texts.push_back({x, y, size, std::move(text)});
}

struct GridHead {
  std::string title;
  std::string unit;
  bool patientLine = false;
  float headSize = 12;  // title and unit line
  float ruleX = 22;
  std::vector<TextId> titles;
  std::vector<float> xs;
};

PrintPage& StartPage(PrintLayout& layout, const GridHead& head, const ReportContext& ctx) {
  PrintPage& page = layout.pages.emplace_back();
  Text(page, 20, 20, head.headSize, head.title);
  if (head.patientLine) {
    bool longName = IsLongPatientName(ctx.fullName);
    Text(page, longName ? 300 : 400, 20, longName ? 10 : 12, PatientNameLine(ctx));
  }
  Text(page, 20, 40, head.headSize, head.unit);
  for (size_t i = 0; i < head.titles.size(); ++i)
    Text(page, head.xs[i], 65, 8, LookupText(head.titles[i]));  // dynamic text
  page.rules.push_back({head.ruleX, 75});
  return page;
}

// One row of plain cells at y; the rule 10 below, the next row 20 below.
float PlainRow(PrintPage& page, const GridHead& head, const std::vector<std::string>& cells,
               size_t count, float y) {
  for (size_t i = 0; i < count && i < cells.size() && i < head.xs.size(); ++i)
    Text(page, head.xs[i], y, 8, cells[i]);
  page.rules.push_back({head.ruleX, y + 10});
  return y + 20;
}

// Rows 25 to a page from y 80, every page with the head.
void PagedRows(PrintLayout& layout, const GridHead& head, const ReportContext& ctx,
               const std::vector<std::vector<std::string>>& rows) {
  size_t pages = std::max<size_t>(1, (rows.size() + kPrintRowsPerPage - 1) / kPrintRowsPerPage);
  for (size_t p = 0; p < pages; ++p) {
    PrintPage& page = StartPage(layout, head, ctx);
    float y = 80;
    for (size_t r = p * kPrintRowsPerPage; r < rows.size() && r < (p + 1) * kPrintRowsPerPage; ++r)
      y = PlainRow(page, head, rows[r], rows[r].size(), y);
  }
}

std::vector<std::vector<std::string>> Texts(const GridSet& grid) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(grid.rows.size());
  for (const GridRow& r : grid.rows) rows.push_back(CellTexts(r));
  return rows;
}

void LogBook(PrintLayout& layout, const ReportModel& m) {
  const ReportContext& c = m.ctx;
  GridHead head;
  head.title = RangeTitleLine(LookupText("PdfReport", "LogBook", "Log Book"), c);
  head.unit = GlucoseUnitLine(c.unitMgdl);
  head.patientLine = true;
  head.headSize = IsLongPatientName(c.fullName) ? 10 : 12;
  head.ruleX = 18;
  head.titles = LogBookTitles(c.mealEnable);
  head.xs = {20, 100, 160, 220, 280, 335, 390, 440, 510};
  const auto rows = Texts(m.logBook);
  // The last four rows close the book: empty, "Average", "In target", "# Result".
  const size_t closing = std::min<size_t>(4, rows.size());
  const size_t days = rows.size() - closing;
  const size_t pages = std::max<size_t>(1, (days + kPrintRowsPerPage - 1) / kPrintRowsPerPage);
  for (size_t p = 0; p < pages; ++p) {
    PrintPage& page = StartPage(layout, head, c);
    float y = 80;
    for (size_t r = p * kPrintRowsPerPage; r < days && r < (p + 1) * kPrintRowsPerPage; ++r)
      y = PlainRow(page, head, rows[r], 9, y);
    if (p + 1 == pages)
      for (size_t r = days; r < rows.size(); ++r) y = PlainRow(page, head, rows[r], 8, y);
  }
}

void DataList(PrintLayout& layout, const ReportModel& m) {
  const ReportContext& c = m.ctx;
  GridHead head;
  head.title = RangeTitleLine(LookupText("PdfReport", "DataList", "Data List"), c);
  head.unit = GlucoseUnitLine(c.unitMgdl);
  head.patientLine = true;
  head.titles = DataListTitles();
  head.xs = {30, 72, 100, 130, 188, 250, 310, 410};
  static const size_t kWrap[5] = {16, 16, 30, 26, 32};
  PrintPage* page = &StartPage(layout, head, c);
  float y = 80;
  bool firstOnPage = true;
  for (const GridRow& row : m.dataList.rows) {
    auto cell = [&](size_t i) { return i < row.size() ? row[i].text : std::string(); };
    std::vector<std::vector<std::string>> wrapped;
    size_t lines = 1;
    for (size_t k = 0; k < 5; ++k) {
      wrapped.push_back(WrapCell(cell(3 + k), kWrap[k]));
      lines = std::max(lines, wrapped.back().size());
    }
    // A row is as tall as its longest wrapped cell; one that does not fit goes over.
    const float height = 10.0f * static_cast<float>(lines) + 10;
    if (!firstOnPage && y + height > kPrintPageBottom) {
      page = &StartPage(layout, head, c);
      y = 80;
    }
    firstOnPage = false;
    for (size_t i = 0; i < 3; ++i) Text(*page, head.xs[i], y, 8, cell(i));
    for (size_t k = 0; k < 5; ++k)
      for (size_t l = 0; l < wrapped[k].size(); ++l)
        Text(*page, head.xs[3 + k], y + 10.0f * static_cast<float>(l), 8, wrapped[k][l]);
    y += 10.0f * static_cast<float>(lines);
    page->rules.push_back({head.ruleX, y});
    y += 10;
  }
}

void MultipleDownload(PrintLayout& layout, const ReportModel& m) {
  GridHead head;
  head.title =
      RangeTitleLine(LookupText("PdfReport", "MultipleDownload", "Multiple Download"), m.ctx);
  // The clinic list's glucose values are mg/dL, whatever any patient's unit.
  head.unit = GlucoseUnitLine(true);
  head.titles = MultipleDownloadTitles();
  head.xs = {25, 120, 320, 420};
  std::vector<std::vector<std::string>> rows;
  for (const auto& r : m.multipleDownload) rows.emplace_back(r.begin() + 1, r.end());
  PagedRows(layout, head, m.ctx, rows);
}

void QuickView(PrintLayout& layout, const ReportModel& m) {
  GridHead head;
  head.title =
      RangeTitleLine(LookupText("PdfReport", "MultipleQuickView", "Multiple Quick View"), m.ctx);
  head.unit = GlucoseUnitLine(true);
  head.titles = {TextId{"PdfReport", "ColPatientName", "Patient Name"},
                 TextId{"PdfReport", "ColRatings", "# of Ratings"},
                 TextId{"PdfReport", "ColBelow", "Below Target"},
                 TextId{"PdfReport", "ColAbove", "Above Target"},
                 TextId{"PdfReport", "ColHypo", "#Hypo"},
                 TextId{"PdfReport", "ColHbA1c", "HbA1c"},
                 TextId{"PdfReport", "ColPreMeal", "Pre-meal Average"},
                 TextId{"PdfReport", "ColPostMeal", "Post-meal Average"}};
  head.xs = {20, 160, 215, 280, 345, 390, 430, 500};
  std::vector<std::vector<std::string>> rows;
  for (const auto& r : m.quickView.rows) rows.emplace_back(r.cells.begin(), r.cells.end());
  PagedRows(layout, head, m.ctx, rows);
}

void Summary(PrintLayout& layout, const ReportModel& m) {
  const SummaryFields& s = m.summary;
  PrintPage& page = layout.pages.emplace_back();
  Text(page, 20, 20, 12, LookupText("PdfReport", "SummaryChecks", "Summary Checks"));
  // The values are in the patient's unit, so the unit line says which.
  Text(page, 20, 40, 12, GlucoseUnitLine(m.ctx.unitMgdl));
  float y = 70;
  auto row = [&](const TextId& label, std::initializer_list<std::pair<float, std::string>> items) {
    page.rules.push_back({22, y});
    y += 5;
    Text(page, 25, y, 8, LookupText(label));  // dynamic text
    for (const auto& [x, text] : items) Text(page, x, y, 8, text);
    y += 15;
  };
  row(TextId{"PdfReport", "FullName", "Full Name:"}, {{105, s.fullName}});
  row(TextId{"PdfReport", "IDNoPrint", "ID No:"}, {{105, s.IDNo}});
  row(TextId{"PdfReport", "DateOfBirth", "Date of Birth:"}, {{105, s.dateOfBirth}});
  row(TextId{"PdfReport", "ResultPrint", "#Result:"}, {{105, s.result}});
  row(TextId{"PdfReport", "StandardDeviation", "Standard Deviation:"}, {{105, s.standardDeviation}});
  row(TextId{"PdfReport", "AboveTarget", "Above Target:"},
      {{105, s.aboveTarget},
       {155, LookupText("PdfReport", "BelowTarget", "Below Target:")},
       {235, s.belowTarget},
       {285, LookupText("PdfReport", "WithinTarget", "Within Target:")},
       {365, s.withinTarget}});
  row(TextId{"PdfReport", "Hypoglycemic", "Hypoglycemic:"}, {{105, s.hypoglycemic}});
  row(TextId{"PdfReport", "Average", "Average:"}, {{105, s.average}});
  row(TextId{"PdfReport", "DayAverage", "Day Average:"}, {{105, s.dayAverage[0]},
                                                          {175, s.dayAverage[1]},
                                                          {225, s.dayAverage[2]},
                                                          {295, s.dayAverage[3]},
                                                          {365, s.dayAverage[4]}});
  row(TextId{"PdfReport", "HbA1c", "HbA1c:"}, {{105, s.hbA1c}});
  row(TextId{"PdfReport", "BloodPressure", "Blood Pressure:"}, {{105, s.bloodPressure}});
  row(TextId{"PdfReport", "Ketnotes", "Ketnotes:"}, {{105, s.ketnotes}});
  row(TextId{"PdfReport", "Cholesterol", "Cholesterol:"}, {});
  row(TextId{"PdfReport", "Total", "Total:"}, {{105, s.cholesterol},
                                               {155, LookupText("PdfReport", "LdlCaption", "LDL:")},
                                               {235, s.LDL},
                                               {285, LookupText("PdfReport", "HdlCaption", "HDL:")},
                                               {365, s.HDL}});
  page.rules.push_back({22, y});
}

}  // namespace

std::string PrintDocumentName(int type) {
  std::string name = ReportDisplayName(type);
  return name.empty() ? ReportDisplayName(kReportLogBook) : name;
}

bool IsLaidOutForPrint(int type) {
  switch (type) {
    case kReportTrend:
    case kReportPie:
    case kReportStandardDay:
    case kReportDayAverage:
    case kReportWeekAverage:
    case kReportHistogram:
    case kReportGlucoseProfile:
      return false;
    default:
      return true;
  }
}

PrintLayout LayOutPrint(const ReportModel& m) {
  PrintLayout layout;
  layout.documentName = PrintDocumentName(m.type);
  switch (m.type) {
    case kReportDataList: DataList(layout, m); break;
    case kReportSummary: Summary(layout, m); break;
    case kReportMultipleDownload: MultipleDownload(layout, m); break;
    case kReportQuickView: QuickView(layout, m); break;
    default:
      if (IsLaidOutForPrint(m.type)) LogBook(layout, m);
      break;
  }
  return layout;
}

size_t CharacterCount(std::string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); i += CharacterBytesAt(text, i)) ++n;
  return n;
}

bool IsLongPatientName(const std::string& fullName) { return CharacterCount(fullName) >= 16; }

}  // namespace meridane
