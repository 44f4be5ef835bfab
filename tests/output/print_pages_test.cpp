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
    auto& cells = rows.emplace_back();
    for (int c = 0; c < 9; ++c) cells.push_back("d" + std::to_string(r) + "c" + std::to_string(c));
  }
  for (const char* closing : {"", "Average", "In target", "# Result"})
    rows.push_back({closing, "1", "2", "3", "4", "5", "6", "7", std::string(closing) + "-insulin"});
  m.logBook.rows = test::RowsOf(rows);
  return m;
}

TEST(PrintPages, LogBookPrintsTwentyFiveDayRowsAPageAndClosesOnTheLast) {
  PrintLayout one = LayOutPrint(LogBook(25));
  EXPECT_EQ(one.documentName, "Logbook");
  ASSERT_EQ(one.pages.size(), 1u);
  const PrintPage& p = one.pages[0];
  ASSERT_TRUE(Find(p, "d24c8") && Find(p, "Average"));
  EXPECT_FLOAT_EQ(Find(p, "# Result")->y - Find(p, "d24c8")->y, 4 * 20);  // after the empty row
  EXPECT_FALSE(Find(p, "Average-insulin")) << "closing rows print their first eight cells";
  // Head, column titles and a rule under the titles and under every row.
  EXPECT_EQ(p.rules.size(), 1u + 29u);

  PrintLayout two = LayOutPrint(LogBook(26));
  ASSERT_EQ(two.pages.size(), 2u);
  EXPECT_FALSE(Find(two.pages[0], "Average") || Find(two.pages[0], "d25c0"));
  ASSERT_TRUE(Find(two.pages[1], "d25c0") && Find(two.pages[1], "Average"));
  EXPECT_FLOAT_EQ(Find(two.pages[1], "d25c0")->y, Find(p, "d0c0")->y);
  for (const auto& page : two.pages) EXPECT_TRUE(Find(page, "Log Book       From 11/01/2026     To     11/30/2026"));

  // No readings: one page with its head and the closing rows.
  EXPECT_EQ(LayOutPrint(LogBook(0)).pages.size(), 1u);
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
  EXPECT_TRUE(Find(l.pages[0], "Ann 24") && !Find(l.pages[0], "Ann 25"));
  EXPECT_TRUE(Find(l.pages[1], "Ann 25") && Find(l.pages[1], "Glucose Value Unit: mg/dL"));
  EXPECT_TRUE(Find(l.pages[1], "Multiple Download       From 11/02/2026     To     11/02/2026"));

  ReportModel q;
  q.type = kReportQuickView;
  QuickViewRow row;
  row.cells = {"Ann Lee", "12", "1", "2", "0", "6.5", "110", "150"};
  q.quickView.rows = {row};
  PrintLayout ql = LayOutPrint(q);
  EXPECT_EQ(ql.documentName, "Multiple Quick View");
  EXPECT_TRUE(Find(ql.pages.at(0), "150"));
}

TEST(PrintPages, DataListWrapsItsLastFiveColumnsAndBreaksPagesByHeight) {
  ReportModel m;
  m.type = kReportDataList;
  std::string comment(65, 'c');
  m.dataList.rows = test::RowsOf({{"11/02/2026", "08:00", "120", "", "", "", "", comment},
                                  {"11/01/2026", "07:00", "99", "", "", "", "", ""}});
  PrintLayout l = LayOutPrint(m);
  ASSERT_EQ(l.pages.size(), 1u);
  const PrintPage& p = l.pages[0];
  std::vector<const PrintText*> pieces;
  for (const auto& t : p.texts)
    if (t.x == 410 && t.text != "Comments") pieces.push_back(&t);
  ASSERT_EQ(pieces.size(), 3u);  // 32, 32 and 1 characters
  EXPECT_EQ(pieces[0]->text.size(), 32u);
  EXPECT_EQ(pieces[2]->text.size(), 1u);
  EXPECT_GT(Find(p, "11/01/2026")->y, pieces[2]->y);  // below the last piece

  // Rows of one line are 20 high: 34 fit between y 80 and the page's bottom at 770.
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 35; ++i) rows.push_back({"r" + std::to_string(i), "", "1"});
  m.dataList.rows = test::RowsOf(rows);
  l = LayOutPrint(m);
  ASSERT_EQ(l.pages.size(), 2u);
  EXPECT_TRUE(Find(l.pages[0], "r33") && Find(l.pages[1], "r34") && Find(l.pages[1], "Comments"));
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
  // The values are in mmol/L here, and the unit line says so.
  for (const char* t : {"Full Name:", "Ann Lee", "Within Target:", "55", "5.3/30 days", "60",
                        "Glucose Value Unit: mmol/L"})
    EXPECT_TRUE(Find(p, t)) << t;
  EXPECT_EQ(p.rules.size(), 15u);  // one above each of the 14 rows and a closing one

  // Chart types are printed by their widgets, not laid out here.
  m.type = kReportTrend;
  EXPECT_TRUE(LayOutPrint(m).pages.empty());
  EXPECT_EQ(LayOutPrint(m).documentName, "Glucose Trand");
}

}  // namespace
}  // namespace meridane
