// Archive files carry patient books between installations: what goes in, and what a merge
// makes of it — nothing lost, nothing doubled, nothing filed under the wrong patient.
#include <gtest/gtest.h>


#include "base/prompter.h"
#include "output/archive_file.h"
#include "output/archive_runs.h"
#include "output/files_fixture.h"

namespace meridane::test {
namespace {

const TransferPeriod kYear = TransferPeriod::WholeDays({2024, 1, 1}, {2024, 12, 31});
const char* const kSections[] = {"WorkingDateSchedule", "NonWorkingDateSchedule", "Medications",
                                 "Regimen",             "Complications",          "HealthRecord",
                                 "Inquiry"};

class ArchiveTest : public FilesFixture {
 protected:
  // A row in every section table, each value distinct and some with apostrophes and quotes.
  void AddAllSections(const std::string& id, const std::string& tag) {
    for (const char* table : kSections) {
      Statement info = db_.Prepare(std::string("PRAGMA table_info(") + table + ");");
      std::vector<std::string> values;
      while (info.Step()) {
        const std::string col = info.Text(1);
        values.push_back(col == "IDNo" ? id : tag + "'s \"" + col + "\"");
      }
      std::string sql = std::string("INSERT INTO ") + table + " VALUES(";
      for (size_t i = 0; i < values.size(); ++i) sql += i ? ",?" : "?";
      Run(db_, sql + ");", values);
    }
  }

  // The readings of a patient joined with their details, idx left out (a new installation
  // numbers its rows afresh).
  Table Readings(const std::string& id) {
    if (!db_.TableExists("G" + id)) return {};
    return Rows(db_,
                "SELECT r.glucoDate, r.gluco, r.meal, r.medicalNo, d.type, d.slot, "
                "d.commentOptions, d.insulin, d.insulinAmount, d.oral, d.oralAmount, "
                "d.exerciseHour, d.intensity, d.carbs, d.comment, d.commentIns, d.commentFoo "
                "FROM \"G" +
                    id + "\" r LEFT JOIN GlucoDetail d ON d.IDNo='" + id +
                    "' AND d.idx=r.idx ORDER BY r.glucoDate, r.gluco;");
  }

  Table Book() {
    Table all = Rows(db_, "SELECT * FROM Patient ORDER BY IDNo;");
    for (const char* t : kSections) {
      auto rows = Rows(db_, std::string("SELECT * FROM ") + t + " ORDER BY IDNo;");
      all.insert(all.end(), rows.begin(), rows.end());
    }
    return all;
  }

  TransferResult Archive(const std::vector<PatientKey>& names, const std::string& file,
                         const TransferPeriod& p = kYear) {
    return WriteArchive(db_, names, p, Path(file), prompter_);
  }
  TransferResult Merge(const std::vector<PatientKey>& names, const std::string& file) {
    return MergeArchive(db_, names, kYear, Path(file), prompter_);
  }
  TransferResult Transfer(TransferMode mode, const std::vector<PatientKey>& names,
                          const std::string& file, bool all = false) {
    TransferRequest req{mode, names, all, kYear, Path(file)};
    return RunTransfer(req, prompter_);
  }

  // Ann: every section, readings with details; Bob: flags all "0" but section rows stored.
  void FillHomeBook() {
    AddPatient("Ann O'Hara", "A1", "1", "11111111", "SN-A", "001");
    AddAllSections("A1", "ann");
    AddPatient("Bob", "B2", "0", "00000000", "SN-B", "");
    AddAllSections("B2", "bob");
    int a = AddReading("A1", At(2024, 3, 1, 8, 0), 120, 1 * 256 + 1, 1);
    AddReading("A1", At(2024, 3, 1, 12, 30), 185, 4 * 256, 1);
    int c = AddReading("A1", At(2024, 3, 2, 22, 15), 64, 7 * 256, 1);
    AddReading("A1", At(2023, 12, 31, 23, 59), 99);  // outside the year
    AddDetail("A1", a,
              {.type = 0, .commentOptions = kOptStress | kOptFood, .insulin = "Rapid",
               .insulinAmount = 4.5, .comment = "O'Hara's \"late\" lunch", .commentFoo = "pasta, bread"});
    AddDetail("A1", c, {.oral = "Metformin", .oralAmount = 2, .exerciseHour = 1, .intensity = 2, .carbs = 30});
    AddReading("B2", At(2024, 5, 5, 7, 0), 140);
  }

  ScriptedPrompter prompter_;
};

TEST_F(ArchiveTest, ArchiveHoldsFlaggedSectionsAndJoinedReadingsOnly) {
  FillHomeBook();
  TransferResult r = Archive({"Ann O'Hara", "Bob", "Nobody"}, "book.db");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.patients, 2);
  EXPECT_EQ(r.readingsWritten, 4);

  Database archive = Database::OpenFile(Path("book.db"));
  ASSERT_TRUE(archive.ok());
  EXPECT_FALSE(archive.TableExists("GlucoDetail"));
  EXPECT_EQ(Rows(archive, "SELECT * FROM Patient ORDER BY IDNo;"),
            Rows(db_, "SELECT * FROM Patient ORDER BY IDNo;"));
  // Ann's rows unchanged; Bob's flags are all "0", so none of his.
  for (const char* t : kSections)
    EXPECT_EQ(Rows(archive, std::string("SELECT * FROM ") + t + ";"),
              Rows(db_, std::string("SELECT * FROM ") + t + " WHERE IDNo='A1';"))
        << t;
  auto rows = Rows(archive, "SELECT * FROM \"GA1\";");
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_EQ(rows[0].size(), 27u);
  EXPECT_EQ(rows[0][0] + "|" + rows[0][2] + "|" + rows[0][22],
            "2024-03-01 08:00:00|257|O'Hara's \"late\" lunch");
  EXPECT_EQ(rows[1][4], "-1") << "a reading without details carries the empty values";
  EXPECT_EQ(Rows(archive, "SELECT gluco FROM \"GB2\";").size(), 1u);

  // A range without readings creates no readings table for the patient.
  ASSERT_TRUE(Archive({"Bob"}, "empty.db", TransferPeriod::WholeDays({2020, 1, 1}, {2020, 2, 1})).ok);
  Database empty = Database::OpenFile(Path("empty.db"));
  EXPECT_EQ(Rows(empty, "SELECT fullName FROM Patient;").size(), 1u);
  EXPECT_FALSE(empty.TableExists("GB2"));

  // "All patients" together with the patients' own rows archives each patient once.
  r = Transfer(TransferMode::Archive, {kAllPatients, "Bob", "Ann O'Hara"}, "twice.db");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_TRUE(prompter_.texts().empty());
  Database twice = Database::OpenFile(Path("twice.db"));
  EXPECT_EQ(Rows(twice,
                 "SELECT (SELECT count(*) FROM Patient), (SELECT count(*) FROM \"GA1\"), "
                 "(SELECT count(*) FROM \"GB2\");"),
            (Table{{"2", "3", "1"}}));
}

TEST_F(ArchiveTest, RetrieveIntoFreshDatabaseRestoresEverythingAndTwiceAddsNothing) {
  FillHomeBook();
  ASSERT_TRUE(Archive({"Ann O'Hara", "Bob"}, "book.db").ok);
  auto book = Book();
  auto annReadings = Readings("A1");
  annReadings.erase(annReadings.begin());  // the 2023 reading stayed out of the archive
  auto bobReadings = Readings("B2");

  UseFolder("fresh");
  TransferResult first = Merge({"Ann O'Hara", "Bob"}, "book.db");
  ASSERT_TRUE(first.ok) << first.message;
  EXPECT_TRUE(first.dataChanged);
  EXPECT_EQ(first.readingsAdded, 4);
  EXPECT_EQ(first.readingsUpdated, 0);
  // Bob's section rows were not archived, everything else arrives as it was.
  auto expected = book;
  std::erase_if(expected, [](const std::vector<std::string>& row) {
    return row.size() != 18 && row[0] == "B2";
  });
  EXPECT_EQ(Book(), expected);
  EXPECT_EQ(Readings("A1"), annReadings);
  EXPECT_EQ(Readings("B2"), bobReadings);

  // The second time every reading is a duplicate: only meal, medicalNo and details are
  // rewritten, so edits made since are replaced by the archive's values.
  ASSERT_TRUE(db_.Exec("UPDATE \"GA1\" SET meal='999', medicalNo='5'; DELETE FROM GlucoDetail;"));
  TransferResult second = Merge({"Ann O'Hara", "Bob"}, "book.db");
  ASSERT_TRUE(second.ok) << second.message;
  EXPECT_EQ(second.readingsAdded, 0);
  EXPECT_EQ(second.readingsUpdated, 4);
  EXPECT_EQ(Book(), expected);
  EXPECT_EQ(Readings("A1"), annReadings);
  EXPECT_EQ(Rows(db_, "SELECT max(idx) FROM \"GA1\";")[0][0], "3");
}

TEST_F(ArchiveTest, ManyReadingsKeepTheirOwnDetailsAcrossBatchesAndDuplicates) {
  // More readings than one insert takes: details on every third of the first 140, then a
  // longer run without any; a few already stored at the clinic.
  AddPatient("Ann", "A1");
  for (int i = 0; i < 257; ++i) {
    const int idx = AddReading("A1", At(2024, 3, 1 + i / 24, i % 24, 7), 60 + i, 256 * (i % 8));
    if (i % 3 == 1 && i < 140)
      AddDetail("A1", idx, {.type = i % 5, .insulin = "Rapid", .carbs = i, .comment = "n" + std::to_string(i)});
  }
  // Detail rows that belong to no reading in the archive: a deleted reading's, one past the
  // last idx, one before the first and one whose idx is not a number.
  Run(db_, "DELETE FROM \"GA1\" WHERE gluco=70;", {});  // i = 10, which has details
  for (const char* idx : {"0", "900", "12x"})
    Run(db_, "INSERT INTO GlucoDetail (IDNo, idx, type, comment) VALUES ('A1', ?, 2, 'stale');",
        {idx});
  const auto all = Readings("A1");
  ASSERT_EQ(all.size(), 256u);
  // A date nothing can read goes into the file as stored; the merge passes it over.
  Run(db_, "INSERT INTO \"GA1\" (glucoDate, gluco, meal, medicalNo) VALUES ('2024-03-09 x', 99, 0, 0);", {});
  ASSERT_TRUE(Archive({"Ann"}, "many.db").ok);

  // The file: every reading in idx order, each with its own details or the empty values.
  Database archive = Database::OpenFile(Path("many.db"));
  EXPECT_EQ(Rows(archive, "SELECT glucoDate, gluco, typeof(type), type, carbs, insulin, comment FROM \"GA1\";"),
            Rows(db_, "SELECT r.glucoDate, r.gluco, 'integer', coalesce(d.type, -1), "
                        "coalesce(d.carbs, 0), coalesce(d.insulin, ''), coalesce(d.comment, '') "
                        "FROM \"GA1\" r LEFT JOIN GlucoDetail d ON d.IDNo='A1' AND d.idx=r.idx "
                        "ORDER BY r.idx;"));

  UseFolder("clinic");
  AddPatient("Ann", "A1");
  for (int i : {0, 3, 150}) AddReading("A1", At(2024, 3, 1 + i / 24, i % 24, 7), 60 + i);
  // The same minute with another value is a reading of its own.
  AddReading("A1", At(2024, 3, 1, 1, 7), 999, 512);
  TransferResult r = Merge({"Ann"}, "many.db");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.readingsAdded, 253);
  EXPECT_EQ(r.readingsUpdated, 3);
  EXPECT_EQ(r.readingsSkipped, 1);
  EXPECT_EQ(Rows(db_, "SELECT meal FROM \"GA1\" WHERE gluco=999;"), (Table{{"512"}}));
  Run(db_, "DELETE FROM \"GA1\" WHERE gluco=999;", {});
  EXPECT_EQ(Readings("A1"), all);
  // The new readings are numbered after the stored ones, in the archive's order.
  EXPECT_EQ(Rows(db_, "SELECT gluco FROM \"GA1\" WHERE idx=5;")[0][0], "61");
  EXPECT_EQ(Rows(db_, "SELECT max(idx) FROM \"GA1\";")[0][0], "257");
}

TEST_F(ArchiveTest, MergeNeverFilesUnderAnotherPatientAndRollsBackAFailedPatient) {
  FillHomeBook();
  ASSERT_TRUE(Archive({"Ann O'Hara", "Bob"}, "book.db").ok);

  UseFolder("clinic");
  // Another patient holds Ann's ID here: merging would hand Ann's readings to Zed.
  AddPatient("Zed", "A1");
  AddReading("A1", At(2024, 1, 1, 9, 0), 150);
  // Bob's readings table refuses his value: the whole of Bob stays out.
  Run(db_,
      "CREATE TABLE \"GB2\" (idx INTEGER PRIMARY KEY AUTOINCREMENT, glucoDate DATETIME, "
      "gluco INTEGER CHECK (gluco < 100), meal INTEGER, medicalNo INTEGER);",
      {});
  TransferResult r = Merge({"Ann O'Hara", "Bob"}, "book.db");

  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.dataChanged);
  EXPECT_EQ(prompter_.texts().size(), 2u);
  EXPECT_FALSE(sqlErrors_.list.empty()) << "the database's own message is shown";
  EXPECT_EQ(Rows(db_, "SELECT fullName FROM Patient;"), (Table{{"Zed"}}));
  EXPECT_EQ(Rows(db_, "SELECT gluco FROM \"GA1\";"), (Table{{"150"}}));
  EXPECT_TRUE(Rows(db_, "SELECT * FROM \"GB2\";").empty());
  EXPECT_TRUE(Rows(db_, "SELECT * FROM GlucoDetail;").empty());
}

TEST_F(ArchiveTest, NamesakesAreMergedEachIntoItselfAndNeverByGuess) {
  AddPatient("Ann Lee", "A1");
  AddPatient("Ann Lee", "A2");
  AddReading("A1", At(2024, 3, 1, 8, 0), 111);
  AddReading("A2", At(2024, 3, 1, 8, 0), 222);
  TransferResult r = Transfer(TransferMode::Archive, {}, "both.db", true);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.patients, 2);

  // A2 lost its reading and A1 gained one; retrieving the row of A2 restores A2 only.
  Run(db_, "DELETE FROM \"GA2\";", {});
  AddReading("A1", At(2024, 4, 1, 8, 0), 112);
  r = Transfer(TransferMode::Retrieve, {{"Ann Lee", "A2"}}, "both.db");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.readingsAdded, 1);
  EXPECT_EQ(Rows(db_, "SELECT gluco FROM \"GA2\";"), (Table{{"222"}}));
  EXPECT_EQ(Rows(db_, "SELECT gluco FROM \"GA1\" ORDER BY gluco;"), (Table{{"111"}, {"112"}}));

  // An archive from elsewhere with one "Ann Lee" under an ID neither of ours has: which of
  // the two it is cannot be told, so nothing is merged and the user is told why.
  UseFolder("elsewhere");
  AddPatient("Ann Lee", "Z9");
  AddReading("Z9", At(2024, 5, 1, 8, 0), 333);
  ASSERT_TRUE(Archive({"Ann Lee"}, "other.db").ok);
  UseFolder("home");
  prompter_.Clear();
  r = Transfer(TransferMode::Retrieve, {{"Ann Lee", "A1"}}, "other.db");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(prompter_.texts().size(), 1u);
  EXPECT_EQ(Rows(db_, "SELECT count(*) FROM \"GA1\";"), (Table{{"2"}}));
  EXPECT_FALSE(db_.TableExists("GZ9"));
  EXPECT_EQ(Rows(db_, "SELECT IDNo FROM Patient ORDER BY IDNo;"), (Table{{"A1"}, {"A2"}}));
}

}  // namespace
}  // namespace meridane::test
