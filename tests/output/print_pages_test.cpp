// The printed pages laid out without a printer: page breaks, closing rows, head sizes,
// column positions, the data list's wrapping and the summary page.
#include <gtest/gtest.h>

#include "output/print_pages.h"
#include "pdf_support.h"

namespace meridane {
namespace {

const PrintText* Find(const PrintPage& page, const std::string& text) {
  for (const auto& t : page.texts)
    if (t.text == text) return &t;
  return nullptr;
}

// A log book of `days` day rows and its four closing rows, each cell naming itself.
ReportModel LogBook(int days, const std::string& name = "Ann Lee") {
  ReportModel m;
  m.ctx = {{2026, 11, 1}, {2026, 11, 30}, true, name, "007"};
  std::vector<std::vector<std::string>> rows;
  for (int r = 0; r < days; ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < 9; ++c) cells.push_back("d" + std::to_string(r) + "c" + std::to_string(c));
    rows.push_back(cells);
  }
  for (const char* closing : {"", "Average", "In target", "# Result"})
    rows.push_back({closing, "1", "2", "3", "4", "5", "6", "7", std::string(closing) + "-insulin"});
  m.logBook.rows = test::GridOf(rows).rows;
  return m;
}

TEST(PrintPages, LogBookPrintsTwentyFiveDayRowsAPageAndClosesOnTheLast) {
  PrintLayout one = LayOutPrint(LogBook(25));
  EXPECT_EQ(one.documentName, "Logbook");
  ASSERT_EQ(one.pages.size(), 1u);
  const PrintPage& p = one.pages[0];
  EXPECT_FLOAT_EQ(Find(p, "d0c0")->y, 80);
  EXPECT_FLOAT_EQ(Find(p, "d24c8")->y, 80 + 24 * 20);
  const PrintText* average = Find(p, "Average");
  ASSERT_TRUE(average);
  EXPECT_FLOAT_EQ(average->y, 80 + 26 * 20);  // after the empty closing row
  EXPECT_FLOAT_EQ(Find(p, "# Result")->y, 80 + 28 * 20);
  EXPECT_FALSE(Find(p, "Average-insulin")) << "closing rows print their first eight cells";
  // Head, column titles and a rule under the titles and under every row.
  EXPECT_EQ(p.rules.size(), 1u + 29u);
  EXPECT_FLOAT_EQ(p.rules[0].y, 75);
  const float xs[9] = {20, 100, 160, 220, 280, 335, 390, 440, 510};
  for (int c = 0; c < 9; ++c) EXPECT_FLOAT_EQ(Find(p, "d3c" + std::to_string(c))->x, xs[c]) << c;

  PrintLayout two = LayOutPrint(LogBook(26));
  ASSERT_EQ(two.pages.size(), 2u);
  EXPECT_FALSE(Find(two.pages[0], "Average"));
  EXPECT_FALSE(Find(two.pages[0], "d25c0"));
  EXPECT_FLOAT_EQ(Find(two.pages[1], "d25c0")->y, 80);
  EXPECT_FLOAT_EQ(Find(two.pages[1], "Average")->y, 80 + 2 * 20);
  for (const auto& page : two.pages) EXPECT_TRUE(Find(page, "Log Book       From 11/01/2026     To     11/30/2026"));

  // No readings: one page with its head and the closing rows.
  EXPECT_EQ(LayOutPrint(LogBook(0)).pages.size(), 1u);
}

TEST(PrintPages, LongPatientLineSetsTheLogBookHeadSmallerAndFurtherLeft) {
  struct Case {
    std::string name;
    float size, x;
  } cases[] = {{"Fifteen Letters", 12, 400}, {"Sixteen  Letters", 10, 300},
               {"Fift\xC3\xA9" "en Letters", 12, 400}};  // a two-byte letter counts once
  for (const auto& c : cases) {
    const PrintLayout layout = LayOutPrint(LogBook(1, c.name));
    const PrintPage& p = layout.pages[0];
    const PrintText* line = Find(p, "Patient Name :" + c.name + "(007)");
    ASSERT_TRUE(line) << c.name;
    EXPECT_FLOAT_EQ(line->x, c.x) << c.name;
    EXPECT_FLOAT_EQ(line->size, c.size) << c.name;
    EXPECT_FLOAT_EQ(p.texts[0].size, c.size) << "the title";
  }
}

TEST(PrintPages, ClinicListsPrintTwentyFiveRowsAPageInMgdl) {
  ReportModel m;
  m.type = kReportMultipleDownload;
  m.ctx.from = m.ctx.to = {2026, 11, 2};
  for (int i = 0; i < 26; ++i)
    m.multipleDownload.push_back({"", "007", "Ann " + std::to_string(i), "120", "11/02/2026  08:00"});
  PrintLayout l = LayOutPrint(m);
  EXPECT_EQ(l.documentName, "Multiple Download");
  ASSERT_EQ(l.pages.size(), 2u);
  EXPECT_TRUE(Find(l.pages[0], "Ann 24"));
  EXPECT_FALSE(Find(l.pages[0], "Ann 25"));
  const PrintText* last = Find(l.pages[1], "Ann 25");
  ASSERT_TRUE(last);
  EXPECT_FLOAT_EQ(last->y, 80);
  EXPECT_TRUE(Find(l.pages[1], "Glucose Value Unit: mg/dL"));
  EXPECT_TRUE(Find(l.pages[1], "Multiple Download       From 11/02/2026     To     11/02/2026"));

  ReportModel q;
  q.type = kReportQuickView;
  QuickViewRow row;
  row.cells = {"Ann Lee", "12", "1", "2", "0", "6.5", "110", "150"};
  q.quickView.rows = {row};
  PrintLayout ql = LayOutPrint(q);
  EXPECT_EQ(ql.documentName, "Multiple Quick View");
  EXPECT_FLOAT_EQ(Find(ql.pages.at(0), "150")->x, 500);
}

TEST(PrintPages, DataListWrapsItsLastFiveColumnsAndBreaksPagesByHeight) {
  ReportModel m;
  m.type = kReportDataList;
  std::string comment(65, 'c');
  m.dataList.rows = test::GridOf({{"11/02/2026", "08:00", "120", "", "", "", "", comment},
                                  {"11/01/2026", "07:00", "99", "", "", "", "", ""}})
                        .rows;
  PrintLayout l = LayOutPrint(m);
  ASSERT_EQ(l.pages.size(), 1u);
  const PrintPage& p = l.pages[0];
  std::vector<const PrintText*> pieces;
  for (const auto& t : p.texts)
    if (t.x == 410 && t.text != "Comments") pieces.push_back(&t);
  ASSERT_EQ(pieces.size(), 3u);  // 32, 32 and 1 characters
  EXPECT_EQ(pieces[0]->text.size(), 32u);
  EXPECT_EQ(pieces[2]->text.size(), 1u);
  EXPECT_FLOAT_EQ(pieces[2]->y, 100);
  EXPECT_FLOAT_EQ(Find(p, "11/01/2026")->y, 80 + 40);  // three lines and the gap

  // Rows of one line are 20 high: 34 fit between y 80 and the page's bottom at 770.
  m.dataList.rows.clear();
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 35; ++i) rows.push_back({"r" + std::to_string(i), "", "1"});
  m.dataList.rows = test::GridOf(rows).rows;
  l = LayOutPrint(m);
  ASSERT_EQ(l.pages.size(), 2u);
  EXPECT_TRUE(Find(l.pages[0], "r33"));
  ASSERT_TRUE(Find(l.pages[1], "r34"));
  EXPECT_FLOAT_EQ(Find(l.pages[1], "r34")->y, 80);
  EXPECT_TRUE(Find(l.pages[1], "Comments"));
}

TEST(PrintPages, SummaryPageRowsAndUnit) {
  ReportModel m;
  m.type = kReportSummary;
  m.ctx.unitMgdl = false;
  m.summary.fullName = "Ann Lee";
  m.summary.withinTarget = "55";
  m.summary.dayAverage = {"5.1/7 days", "5.2/14 days", "5.3/30 days", "5.4/60 days", "5.5/90 days"};
  m.summary.HDL = "60";
  PrintLayout l = LayOutPrint(m);
  EXPECT_EQ(l.documentName, "Summary Checks");
  ASSERT_EQ(l.pages.size(), 1u);
  const PrintPage& p = l.pages[0];
  struct At {
    const char* text;
    float x, y;
  } expected[] = {{"Full Name:", 25, 75},   {"Ann Lee", 105, 75},      {"Within Target:", 285, 175},
                  {"55", 365, 175},         {"5.3/30 days", 225, 235}, {"60", 365, 335}};
  for (const auto& e : expected) {
    const PrintText* t = Find(p, e.text);
    ASSERT_TRUE(t) << e.text;
    EXPECT_FLOAT_EQ(t->x, e.x) << e.text;
    EXPECT_FLOAT_EQ(t->y, e.y) << e.text;
  }
  // The values are in mmol/L here, and the unit line says so.
  EXPECT_TRUE(Find(p, "Glucose Value Unit: mmol/L"));
  EXPECT_EQ(p.rules.size(), 15u);  // one above each of the 14 rows and a closing one
  EXPECT_FLOAT_EQ(p.rules.back().y, 70 + 14 * 20);

  // Chart types are printed by their widgets, not laid out here.
  m.type = kReportTrend;
  EXPECT_TRUE(LayOutPrint(m).pages.empty());
  EXPECT_EQ(LayOutPrint(m).documentName, "Glucose Trand");
}

}  // namespace
}  // namespace meridane
