// The readings of a period as the store finds them by date, and the quick view counted by a
// server's query against the same view counted reading by reading on a file.
#include <gtest/gtest.h>

#include <random>

#include "reports/quick_view.h"
#include "store/reading_store.h"
#include "support/fixtures.h"
#include "support/server_book.h"

namespace meridane {
namespace {

using test::At;

class PeriodReadingsTest : public test::BookTest {};

TEST_F(PeriodReadingsTest, FoundByDateFromTheFirstDayToTheLast) {
  ASSERT_TRUE(test::AddPatientByForm(db_, "Ann", "A1"));
  ASSERT_TRUE(EnsureReadingsTable(db_, "A1"));
  const struct {
    DateTime at;
    bool inside;
  } cases[] = {
      {At(2026, 2, 28, 23, 59), false}, {At(2026, 3, 1, 0, 0), true},  {At(2026, 3, 5, 12, 0), true},
      {At(2026, 3, 10, 23, 59), true},  {At(2026, 3, 11, 0, 0), false}, {At(2025, 3, 5, 12, 0), false},
  };
  std::vector<DateTime> expected;
  for (const auto& c : cases) {
    ASSERT_GT(InsertReading(db_, "A1", c.at, 100, 0, 0), 0);
    if (c.inside) expected.push_back(c.at);
  }
  auto found = [&](const std::string& id, const Date& first, const Date& last) {
    std::vector<DateTime> seen;
    EXPECT_TRUE(ForEachStoredReadingBetween(db_, id, first, last,
                                            [&](const DateTime& at, int, int) { seen.push_back(at); }));
    std::sort(seen.begin(), seen.end());
    return seen;
  };
  EXPECT_EQ(found("A1", {2026, 3, 1}, {2026, 3, 10}), expected);
  EXPECT_TRUE(found("A1", {2026, 3, 10}, {2026, 3, 1}).empty());
  // A patient never filed into has nothing, and that is no failure.
  ASSERT_TRUE(test::AddPatientByForm(db_, "Bob", "B1"));
  EXPECT_TRUE(found("B1", {2026, 3, 1}, {2026, 3, 10}).empty());
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(PeriodReadingsTest, OlderBooksGetTheirDateIndexes) {
  MERIDANE_FILE_BOOK_ONLY();
  // Tables as an older version made them, without an index; "GB"'s index name was taken by
  // a table renamed from it, which kept its index.
  for (const std::string t : {"GA", "GB", "GC"})
    Sql("CREATE TABLE '" + t + "' (idx INTEGER PRIMARY KEY AUTOINCREMENT, glucoDate DATETIME, "
        "gluco INTEGER, meal INTEGER, medicalNo INTEGER);");
  Sql("CREATE INDEX \"byDate GB\" ON GA(glucoDate);");
  Sql("INSERT INTO GC VALUES (NULL, '2026-03-05 07:00:00', 120, 0, 0);");
  ASSERT_TRUE(CreateSchema(db_));
  ASSERT_TRUE(CreateSchema(db_));  // nothing more the second time
  EXPECT_EQ(test::Rows(db_, "SELECT tbl_name, name FROM sqlite_master WHERE type='index' AND "
                            "name LIKE 'byDate %' ORDER BY tbl_name, name;"),
            (std::vector<std::vector<std::string>>{
                {"GA", "byDate GB"}, {"GB", "byDate GB 2"}, {"GC", "byDate GC"}}));
  int seen = 0;
  EXPECT_TRUE(ForEachStoredReadingBetween(db_, "C", {2026, 3, 5}, {2026, 3, 5},
                                          [&](const DateTime&, int v, int) { seen += v; }));
  EXPECT_EQ(seen, 120);
}

// The server counts the quick view in one query; a file counts reading by reading. Both
// books get the same random patients, targets and readings, and must show the same rows.
TEST(QuickViewBooksTest, ServerCountsAsTheFileCounts) {
  if (!std::getenv("MERIDANE_TEST_SERVER") || !*std::getenv("MERIDANE_TEST_SERVER"))
    GTEST_SKIP() << "needs a test server (MERIDANE_TEST_SERVER)";
  test::TempFolder tmp;
  Database file = test::FreshDatabaseFile(tmp.Path("book.db"));
  Database server = Database::OpenServer(test::NewServerBookUri());
  ASSERT_TRUE(file.ok() && server.ok() && CreateSchema(server));
  std::mt19937 rng(24);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  const char* units[] = {"1", "0"};
  const char* targets[] = {"130, 70, 180, 70", "7.2, 3.9, 10.0, 3.9", "150, 0, 200, 80",
                           "130, 70, 180, 70.5", "140, 60, 200, 60"};
  const char* hypos[] = {"0", "55", "3", "0.1", "70"};
  for (Database* db : {&file, &server}) {
    rng.seed(24);
    for (int p = 0; p < 60; ++p) {  // past the count a server is asked one by one
      // A backslash and a tab: the server escapes both in the rows it streams.
      const std::string id = "Q\\" + std::to_string(p) + "\t", name = "Pat " + std::to_string(p);
      ASSERT_TRUE(db->Exec("INSERT INTO Patient (fullName, IDNo, healthRecordEnable) VALUES ('" + name +
                           "','" + id + "'," + std::to_string(pick(4) ? 1 : 0) + ");"));
      if (pick(5)) {
        ASSERT_TRUE(db->Exec("INSERT INTO HealthRecord (IDNo, glucoUnit, preMealHigh, preMealLow, "
                             "postMealHigh, postMealLow, hbA1C, hypoglycemic) VALUES ('" + id + "'," +
                             units[pick(2)] + "," + targets[pick(5)] + ", 6.5," + hypos[pick(5)] + ");"));
      }
      ASSERT_TRUE(EnsureReadingsTable(*db, id));
      std::vector<ReadingWriter::NewReading> rows;
      for (int i = pick(60); i > 0; --i)
        rows.push_back({At(2026, 2, 25 + pick(20) % 4, pick(24), pick(60)), pick(700),
                        (pick(8) << 8) | pick(3), 0});
      for (int i = pick(60); i > 0; --i)
        rows.push_back({At(2026, 3, 1 + pick(14), pick(24), pick(60)), pick(700), (pick(8) << 8) | pick(3), 0});
      std::vector<int64_t> idx;
      ASSERT_TRUE(ReadingWriter(*db, id).InsertAll(rows, idx));
    }
  }
  std::vector<SelectionRow> selection = PatientSelectionList(file);
  selection[0].checked = true;
  selection.push_back({"Nobody", true});
  for (const ReportPeriod& period : {ReportPeriod{{2026, 3, 1}, {2026, 3, 10}},
                                     ReportPeriod{{2026, 2, 28}, {2026, 2, 28}}}) {
    const QuickViewSet onFile = BuildQuickView(file, selection, period);
    const QuickViewSet onServer = BuildQuickView(server, selection, period);
    ASSERT_EQ(onFile.rows.size(), selection.size() - 2);
    for (size_t i = 0; i < onFile.rows.size(); ++i) {
      EXPECT_EQ(onServer.rows[i].cells, onFile.rows[i].cells) << onFile.rows[i].cells[0];
      EXPECT_EQ(onServer.rows[i].found, onFile.rows[i].found);
    }
  }
}

}  // namespace
}  // namespace meridane
