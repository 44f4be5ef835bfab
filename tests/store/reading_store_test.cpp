#include "store/reading_store.h"

#include <algorithm>

#include "store/patient_store.h"
#include "support/fixtures.h"

namespace meridane::test {
namespace {

class ReadingStoreTest : public BookTest {
 protected:
  void SetUp() override {
    BookTest::SetUp();
    patient.IDNo = "P1";
    // A server's book holds readings only of patients it has.
    if (ServerBookWanted()) {
      ASSERT_TRUE(AddPatientByForm(db, "Pat", patient.IDNo));
    }
    ASSERT_TRUE(EnsureReadingsTable(db, patient.IDNo));
  }
  int64_t Insert(const DateTime& at, int gluco, int meal = 0, int medicalNo = 0) {
    return InsertReading(db, patient.IDNo, at, gluco, meal, medicalNo);
  }
  ReadingTable Load(const std::string& id = "P1", const SlotClassifier& classify = {}) {
    CPatientProfile p;
    p.IDNo = id;
    ReadingTable t;
    LoadReadings(db, p, t, classify);
    return t;
  }
  Database& db = db_;
  CPatientProfile patient;
};

TEST_F(ReadingStoreTest, TablesOfUnusualIdsWork) {
  MERIDANE_FILE_BOOK_ONLY();
  for (const std::string id : {"A 1", "x-y-z", "Zoë-李", "O'Neil", "a\"b", "G; DROP TABLE Patient"}) {
    ASSERT_TRUE(EnsureReadingsTable(db, id)) << id;
    ASSERT_TRUE(EnsureReadingsTable(db, id)) << id;  // again: IF NOT EXISTS
    EXPECT_TRUE(db.TableExists("G" + id)) << id;
    EXPECT_EQ(InsertReading(db, id, {2024, 2, 29, 23, 59}, 120, 0x0301, 7), 1) << id;
    ReadingTable t = Load(id);
    ASSERT_EQ(t.count(), 1u) << id;
    EXPECT_EQ(std::tie(t.entries[0].at, t.entries[0].medicalNo),
              std::make_tuple(DateTime{2024, 2, 29, 23, 59}, 7));
  }
  EXPECT_TRUE(db.TableExists("Patient"));
  EXPECT_TRUE(sqlErrors_.list.empty());
  // The stored text of a readings table is the program's statement with the name spliced in.
  auto sql = Column(db, "SELECT sql FROM sqlite_master WHERE name='GA 1';");
  EXPECT_EQ(sql, std::vector<std::string>{
                     "CREATE TABLE 'GA 1' (idx INTEGER PRIMARY KEY AUTOINCREMENT, glucoDate "
                     "DATETIME, gluco INTEGER, meal INTEGER, medicalNo INTEGER)"});
}

TEST_F(ReadingStoreTest, IdxIsNeverReusedAndValuesAreStoredAsBefore) {
  MERIDANE_FILE_BOOK_ONLY();
  EXPECT_EQ(Insert({2024, 1, 1, 7, 5}, 95), 1);
  EXPECT_EQ(Insert({2024, 1, 1, 9, 0}, 180), 2);
  ASSERT_TRUE(db.Exec("DELETE FROM \"GP1\" WHERE idx=2;"));
  EXPECT_EQ(Insert({2024, 1, 1, 12, 0}, 101), 3);
  EXPECT_EQ(Column(db, "SELECT glucoDate||'|'||typeof(gluco)||'|'||typeof(meal) FROM GP1 "
                       "WHERE idx=1;"),
            std::vector<std::string>{"2024-01-01 07:05:00|integer|integer"});
  // Without a table the insert fails visibly instead of pretending.
  EXPECT_EQ(InsertReading(db, "missing", {2024, 1, 1, 0, 0}, 100, 0, 0), -1);
  EXPECT_EQ(sqlErrors_.list.size(), 1u);
}

TEST_F(ReadingStoreTest, DetailNumbersAreStoredAsTheirTextAlwaysWasAndStaleBindsFail) {
  MERIDANE_FILE_BOOK_ONLY();
  GlucoDetailRecord d;
  d.insulin = "Rapid";
  d.insulinAmount = 1.0 / 3;  // six decimals, as the text form keeps them
  d.oralAmount = 2;
  ASSERT_TRUE(WriteDetail(db, patient.IDNo, Insert({2024, 1, 1, 7, 5}, 95), d));
  EXPECT_EQ(Column(db, "SELECT typeof(type)||'|'||type||'|'||typeof(insulinAmount)||'|'||"
                       "insulinAmount||'|'||typeof(oralAmount)||'|'||oralAmount||'|'||insulin "
                       "FROM GlucoDetail;"),
            std::vector<std::string>{"integer|-1|real|0.333333|real|2.0|Rapid"});
  // A value bound while the statement still runs would not take: the old one would stay.
  Statement st = db.Prepare("SELECT ?;");
  st.Bind(1, "first");
  ASSERT_TRUE(st.Step());
  FailureWatch watch(db);
  st.Bind(1, "second");
  EXPECT_TRUE(watch.failed() && st.failed());
}

TEST_F(ReadingStoreTest, MealCodeSplitsAndSavesBack) {
  MERIDANE_FILE_BOOK_ONLY();
  Insert({2024, 3, 1, 10, 0}, 140, 513);  // slot 2, mark 1
  Insert({2024, 3, 1, 6, 30}, 90, 0);     // unclassified
  Insert({2024, 3, 1, 23, 0}, 90, 2);     // slot 0, mark 2
  int calls = 0;
  ReadingTable t = Load("P1", [&](const CPatientProfile& p, const DateTime& at) {
    ++calls;
    EXPECT_EQ(p.IDNo, "P1");
    return at.hour < 9 ? 1 : 7;
  });
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(t.count(), 3u);
  // Sorted by time of reading, not by idx.
  std::vector<int> idxSlotMark;
  for (const auto& r : t.entries) idxSlotMark.insert(idxSlotMark.end(), {r.idx, r.slot, r.mark});
  EXPECT_EQ(idxSlotMark, (std::vector<int>{2, 1, 0, 1, 2, 1, 3, 7, 2}));

  // Without a classifier slot 0 stays 0.
  EXPECT_EQ(Load().entries[0].slot, 0);

  ASSERT_EQ(SaveReadingEdits(db, patient, t), PatientCheck::Current);
  EXPECT_EQ(Column(db, "SELECT meal FROM GP1 ORDER BY idx;"),
            (std::vector<std::string>{"513", "256", "1794"}));
  EXPECT_TRUE(Column(db, "SELECT idx FROM GlucoDetail;").empty());  // no details, no rows
}

TEST_F(ReadingStoreTest, DetailsLoadSaveClearAndSurviveApostrophes) {
  MERIDANE_FILE_BOOK_ONLY();
  Insert({2024, 5, 1, 8, 0}, 100);
  Insert({2024, 5, 1, 9, 0}, 200);
  ReadingTable t = Load();
  t.entries[0].detail.comment = "walk";
  GlucoDetailRecord& d = t.entries[1].detail;
  d.comment = "Tom's \"party\" cake; ok";
  d.insulin = "Dr's mix";
  d.insulinAmount = 4.5;
  d.commentOptions = kOptFood | kOptStress;
  d.type = 0;
  ASSERT_EQ(SaveReadingEdits(db, patient, t), PatientCheck::Current);
  EXPECT_EQ(
      Column(db, "SELECT idx||'|'||insulinAmount||'|'||comment FROM GlucoDetail WHERE idx=2;"),
      std::vector<std::string>{"2|4.5|Tom's \"party\" cake; ok"});

  // Load, save unchanged, load again: nothing drifts and no second row appears.
  ReadingTable again = Load();
  ASSERT_EQ(SaveReadingEdits(db, patient, again), PatientCheck::Current);
  ReadingTable third = Load();
  EXPECT_EQ(third.entries[1].detail, d);
  EXPECT_EQ(third.entries[0].detail.comment, "walk");
  // The user empties the first reading's details: its row goes and does not come back.
  third.entries[0].detail = GlucoDetailRecord{};
  ASSERT_EQ(SaveReadingEdits(db, patient, third), PatientCheck::Current);
  EXPECT_FALSE(Load().entries[0].detail.IsNonEmpty());
  EXPECT_EQ(Column(db, "SELECT idx FROM GlucoDetail;"), std::vector<std::string>{"2"});

  // A detail row whose reading is gone is neither shown nor deleted.
  ASSERT_TRUE(db.Exec("DELETE FROM GP1 WHERE idx=2;"));
  ReadingTable fourth = Load();
  ASSERT_EQ(fourth.count(), 1u);
  EXPECT_FALSE(fourth.entries[0].detail.IsNonEmpty());
  ASSERT_EQ(SaveReadingEdits(db, patient, fourth), PatientCheck::Current);
  ASSERT_EQ(LoadDetails(db, "P1").size(), 1u);
  EXPECT_EQ(LoadDetails(db, "P1")[0].comment, d.comment);
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(ReadingStoreTest, MalformedRowsLoadWithoutLoss) {
  MERIDANE_FILE_BOOK_ONLY();
  ASSERT_TRUE(db.Exec(
      "INSERT INTO GP1 VALUES(null,'garbage','abc',NULL,'x');"
      "INSERT INTO GP1 VALUES(null,'2024-02-30 10:00:00','120','768','0');"
      "INSERT INTO GP1 VALUES(null,'2024-01-01 10:00','130','-256','0');"
      "INSERT INTO GlucoDetail (IDNo, idx, type, comment) VALUES('P1','x','1','bad idx');"
      "INSERT INTO GlucoDetail (IDNo, idx, type, insulinAmount) VALUES('P1','3',NULL,'nan');"));
  ReadingTable t = Load();
  ASSERT_EQ(t.count(), 3u);  // every row kept, bad dates sort first
  EXPECT_TRUE(t.entries[0].at == DateTime{} && t.entries[1].at == DateTime{});
  EXPECT_EQ(t.entries[0].gluco, 0);
  EXPECT_EQ(t.entries[1].slot, 3);
  // Sign-preserving split of the meal code.
  EXPECT_EQ(std::tie(t.entries[2].slot, t.entries[2].mark, t.entries[2].detail.type,
                     t.entries[2].detail.insulinAmount),
            std::make_tuple(-1, 0, -1, 0.0));
}

TEST_F(ReadingStoreTest, EmptyAndMissing) {
  EXPECT_EQ(SaveReadingEdits(db, patient, {}), PatientCheck::Current);
  ReadingTable t;
  t.entries.resize(3);  // stale rows of another patient go
  CPatientProfile noTable;
  noTable.IDNo = "none";
  LoadReadings(db, noTable, t);
  EXPECT_EQ(t.count(), 0u);
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(ReadingStoreTest, GrowsPastTheOldFixedCapacity) {
  MERIDANE_FILE_BOOK_ONLY();
  {
    Database::Transaction tx(db);
    for (int i = 0; i < 10'050; ++i)
      Insert({2020 + i / 5000, 1 + (i / 400) % 12, 1 + (i / 16) % 25, (i / 2) % 24, i % 60}, 50 + i % 300);
    ASSERT_TRUE(tx.Commit());
  }
  ReadingTable t = Load();
  EXPECT_EQ(t.count(), 10'050u);
  EXPECT_TRUE(std::ranges::is_sorted(t.entries, {}, &GlucoReading::at));
}

TEST_F(ReadingStoreTest, SavesComposeIntoACallersTransaction) {
  MERIDANE_FILE_BOOK_ONLY();
  Insert({2024, 6, 1, 8, 0}, 100, 256);
  ReadingTable t = Load();
  t.entries[0].mark = 2;
  {
    Database::Transaction outer(db);
    ASSERT_EQ(SaveReadingEdits(db, patient, t), PatientCheck::Current);
    {
      Database::Transaction inner(db);
      Insert({2024, 6, 1, 9, 0}, 110);
      // left uncommitted: only this part rolls back
    }
    ASSERT_TRUE(outer.Commit());
  }
  EXPECT_EQ(Column(db, "SELECT idx||':'||meal FROM GP1;"), std::vector<std::string>{"1:258"});
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(ReadingStoreTest, RefusedCommitRollsBackAndLeavesTheConnectionUsable) {
  MERIDANE_FILE_BOOK_ONLY();
  // A deferred constraint broken inside the transaction makes COMMIT itself fail.
  ASSERT_TRUE(db.Exec("PRAGMA foreign_keys=ON;"));
  ASSERT_TRUE(db.Exec("CREATE TABLE Owner(id INTEGER PRIMARY KEY);"
                      "CREATE TABLE Owned(owner INTEGER REFERENCES Owner(id) "
                      "DEFERRABLE INITIALLY DEFERRED);"));
  {
    Database::Transaction tx(db);
    Insert({2024, 6, 1, 8, 0}, 100);
    ASSERT_TRUE(db.Exec("INSERT INTO Owned VALUES(7);"));
    EXPECT_FALSE(tx.Commit());
  }
  EXPECT_FALSE(sqlErrors_.list.empty());
  EXPECT_EQ(Load().count(), 0u);
  // A later write is committed on its own, not held in the refused transaction.
  Insert({2024, 6, 1, 9, 0}, 110);
  Database other = OpenPatientDatabase();
  EXPECT_EQ(Column(other, "SELECT gluco FROM GP1;"), std::vector<std::string>{"110"});
}

}  // namespace
}  // namespace meridane::test
