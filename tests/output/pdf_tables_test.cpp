// Table-type pages read back from the saved documents: the head, the row loop with its
// page breaks, the data list's wrapped columns and the unit line.
#include <gtest/gtest.h>

#include <cmath>

#include "pdf_support.h"

namespace meridane {
namespace {

using test::FindWord;
using test::PdfFolder;
using test::ReadWords;


ReportModel LogBook(int rows) {
  ReportModel r = test::AnnsLogBook();
  std::vector<std::vector<std::string>> cells;
  for (int i = 0; i < rows; ++i)
    cells.push_back({"row" + std::to_string(i), std::to_string(100 + i), "", "", "", "", "", "", ""});
  r.logBook.rows = test::RowsOf(cells);
  return r;
}

TEST(PdfTablePages, EmptyLogBookIsOnePageOfHeadTitlesAndRule) {
  PdfFolder dir;
  std::string path = dir.Save(LogBook(0));
  EXPECT_EQ(test::PageCount(path), 1);
  auto words = ReadWords(path);
  std::string all;
  for (const auto& w : words) all += w.text + " ";
  EXPECT_EQ(all,
            "Log Book From 11/01/2026 To 11/30/2026 Patient Name :Ann Lee(007) Glucose Value Unit: "
            "mg/dL Date Before Breakfast After Breakfast Before Lunch After Lunch Before Dinner "
            "After Dinner Bedtime Glucose Insulin ");

  ReportModel meals = LogBook(0);
  meals.ctx.mealEnable = true;
  std::string text = test::PdfText(dir.Save(meals, "meals.pdf"));
  EXPECT_NE(text.find("Before Meal1"), std::string::npos);
  EXPECT_NE(text.find("After Meal3"), std::string::npos);
  EXPECT_EQ(text.find("Breakfast"), std::string::npos);
}

TEST(PdfTablePages, RowsBreakBelow110WithTheHeadRepeated) {
  // Rows are 16 points apart from H - 95: forty start at 110 or above on the first page.
  PdfFolder dir;
  std::string path = dir.Save(LogBook(41));
  EXPECT_EQ(test::PageCount(path), 2);
  auto words = ReadWords(path);
  const auto *last = FindWord(words, "row39"), *next = FindWord(words, "row40");
  ASSERT_TRUE(last && next);
  EXPECT_EQ(last->page, 1);
  EXPECT_EQ(next->page, 2);
  EXPECT_NEAR(next->y, FindWord(words, "row0")->y, 0.1);
  for (const char* head : {"Log", ":Ann", "Unit:", "Insulin"}) EXPECT_TRUE(FindWord(words, head, 2));
  EXPECT_EQ(test::PageCount(dir.Save(LogBook(40), "forty.pdf")), 1);
}

TEST(PdfTablePages, DataListWrapsLongCellsAndDropsTheRuleBelowTheLowestPiece) {
  PdfFolder dir;
  ReportModel r;
  r.type = kReportDataList;
  r.ctx.timeUnit24 = true;
  std::string comment;
  for (int i = 0; i < 65; ++i) comment += static_cast<char>('a' + i % 26);
  r.dataList.rows = test::RowsOf({{"11/02/2026", "08:00", "120", "", "", "", "", comment},
                                  {"11/01/2026", "07:00", "HI", "", "", "", "", ""},
                                  {"10/31/2026", "06:00", "99", "", "", "", "", ""}});
  auto words = ReadWords(dir.Save(r));
  std::vector<const test::PdfWord*> pieces;
  for (const auto& w : words)
    if (std::abs(w.x - 415) < 0.01 && w.text != "Comments") pieces.push_back(&w);
  ASSERT_EQ(pieces.size(), 3u);
  double y = 841.89 - 95;  // from the top of an A4 page
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(pieces[i]->text, comment.substr(30 * i, 30));
    EXPECT_NEAR(pieces[i]->y, y - 8 * i, 0.1);
  }
  // Three pieces end the row 24 below it; rule 6 below that, next row 10 further.
  EXPECT_NEAR(FindWord(words, "11/01/2026")->y, y - 40, 0.1);
  // A row without wrapped text is 16 high.
  EXPECT_NEAR(FindWord(words, "10/31/2026")->y, y - 56, 0.1);

  // The am/pm clock moves date and time left.
  r.ctx.timeUnit24 = false;
  auto words12 = ReadWords(dir.Save(r, "ampm.pdf"));
  EXPECT_NEAR(FindWord(words12, "11/02/2026")->x, 15, 0.01);
  EXPECT_NEAR(FindWord(words12, "08:00")->x, 55, 0.01);
}

TEST(PdfTablePages, CellsWrapByCharactersNotBytes) {
  struct Case {
    std::string text;
    size_t limit;
    std::vector<std::string> pieces;
  } cases[] = {
      {"", 5, {}},
      {"abcde", 5, {"abcde"}},
      {"abcdef", 5, {"abcde", "f"}},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 2, {"\xC3\xA9\xC3\xA9", "\xC3\xA9"}},  // two-byte letters
      {std::string("a\xFF") + "bc", 2, {"a\xFF", "bc"}},  // a malformed byte is one character
  };
  for (const auto& c : cases) EXPECT_EQ(WrapCell(c.text, c.limit), c.pieces) << c.text;
}

TEST(PdfTablePages, MmolChangesThePatientUnitLinesButNotTheClinicPages) {
  PdfFolder dir;
  for (int type : {kReportLogBook, kReportDataList, kReportSummary, kReportMultipleDownload,
                   kReportQuickView}) {
    const bool clinic = type == kReportMultipleDownload || type == kReportQuickView;
    for (bool mgdl : {false, true}) {
      ReportModel r = LogBook(1);
      r.type = type;
      r.ctx.unitMgdl = mgdl;
      const std::string unit = mgdl || clinic ? "mg/dL" : "mmol/L";
      EXPECT_NE(test::PdfText(dir.Save(r, "u.pdf")).find("Glucose Value Unit: " + unit),
                std::string::npos)
          << type << " " << mgdl;
    }
  }
}

}  // namespace
}  // namespace meridane
