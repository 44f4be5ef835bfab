#include <sqlcipher/sqlite3.h>

#include <map>

#include "store/database_key.h"
#include "store/patient_store.h"
#include "support/fixtures.h"

namespace meridane::test {
namespace {

TEST_F(DataFolderTest, FirstStartCreatesFolderFileAndNineTablesOnly) {
  MERIDANE_FILE_BOOK_ONLY();
  ASSERT_FALSE(std::filesystem::exists(DataFolder()));
  Database db = FreshDatabase();
  ASSERT_TRUE(db.ok() && std::filesystem::exists(PatientDatabasePath()));
  // The nine tables and how many columns each has.
  std::map<std::string, std::size_t> columns;
  for (const std::string& t : Column(db, "SELECT name FROM sqlite_master WHERE type='table';"))
    columns[t] = Column(db, "PRAGMA table_info(" + t + ");").size();
  EXPECT_EQ(columns, (std::map<std::string, std::size_t>{
                         {"Patient", 18}, {"WorkingDateSchedule", 8}, {"NonWorkingDateSchedule", 9},
                         {"Medications", 21}, {"Regimen", 92}, {"Complications", 4},
                         {"HealthRecord", 21}, {"Inquiry", 5}, {"GlucoDetail", 25}}));

  // Other installations and archives compare this text.
  auto sql = Column(db, "SELECT sql FROM sqlite_master WHERE name='Patient';");
  EXPECT_NE(
      sql.at(0).find("Patient(fullName varchar(30),IDNo varchar(12), medicalNo varchar(3), "
                     "birth date, phone varchar(12), address varchar(100), gender bool, email "
                     "varchar(40),meterSN varchar(12), timeUnit bool, scheduleEnable bool, "
                     "workEnable bool, mealEnable bool, medicationEnable bool, regimenEnable "
                     "bool,complicationsEnable bool, healthRecordEnable bool, inquiryEnable "
                     "bool, primary key(fullName, IDNo))"),
      std::string::npos)
      << sql[0];
  auto regimen = Rows(db, "PRAGMA table_info(Regimen);");
  EXPECT_EQ(regimen.at(2)[1] + " " + regimen.at(91)[1], "r1Name r5NightT2");

  // Running again at the next start changes nothing and reports nothing.
  EXPECT_TRUE(CreateSchema(db));
  EXPECT_EQ(Column(db, "SELECT name FROM sqlite_master WHERE type='table';").size(), 9u);
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(DataFolderTest, FileIsEncryptedAndOpensOnlyWithTheKey) {
  MERIDANE_FILE_BOOK_ONLY();
  {
    Database db = FreshDatabase();
    ASSERT_TRUE(db.ok());
    ASSERT_TRUE(db.Exec("INSERT INTO Patient (fullName, IDNo) VALUES ('Ann', 'A1');"));
  }
  EXPECT_NE(Slurp(PatientDatabasePath()).substr(0, 16), std::string("SQLite format 3\0", 16));

  // Without the key the file is not a database.
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(PatientDatabasePath().c_str(), &raw), SQLITE_OK);
  EXPECT_NE(sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);

  Database again = OpenPatientDatabase();
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(Column(again, "SELECT IDNo FROM Patient;"), std::vector<std::string>{"A1"});
}

// Reads the Patient IDs of a file keyed with the pass phrase, as any SQLCipher tool would.
std::vector<std::string> IdsWithPassPhrase(const std::string& path) {
  std::vector<std::string> ids;
  sqlite3* raw = nullptr;
  sqlite3_open(path.c_str(), &raw);
  sqlite3_key(raw, kDatabaseKey.data(), static_cast<int>(kDatabaseKey.size()));
  sqlite3_exec(
      raw, "SELECT IDNo FROM Patient ORDER BY IDNo;",
      [](void* out, int, char** v, char**) {
        static_cast<std::vector<std::string>*>(out)->push_back(v[0] ? v[0] : "");
        return 0;
      },
      &ids, nullptr);
  sqlite3_close(raw);
  return ids;
}

TEST_F(DataFolderTest, KeyIsDerivedOncePerFileAndWhatItWritesOpensWithThePassPhrase) {
  MERIDANE_FILE_BOOK_ONLY();
  { Database db = FreshDatabase(); }
  const int before = KeyDerivationCount();
  for (const char* id : {"A1", "A2", "A3"}) {
    Database db = OpenPatientDatabase();
    ASSERT_TRUE(
        db.Exec(std::string("INSERT INTO Patient (fullName, IDNo) VALUES ('n', '") + id + "');"));
  }
  EXPECT_LE(KeyDerivationCount() - before, 1);
  EXPECT_EQ(IdsWithPassPhrase(PatientDatabasePath()), (std::vector<std::string>{"A1", "A2", "A3"}));

  // Another keyed file put in its place (a restored copy) has its own salt and still opens.
  const std::string other = Path("other.db");
  {
    Database db = Database::OpenFile(other);
    ASSERT_TRUE(
        db.Exec("CREATE TABLE Patient (fullName, IDNo); INSERT INTO Patient VALUES ('b', 'B1');"));
  }
  std::filesystem::copy_file(other, PatientDatabasePath(),
                             std::filesystem::copy_options::overwrite_existing);
  Database db = OpenPatientDatabase();
  EXPECT_EQ(Column(db, "SELECT IDNo FROM Patient;"), std::vector<std::string>{"B1"});
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(DataFolderTest, OpenFailureIsReturnedToTheCaller) {
  MERIDANE_FILE_BOOK_ONLY();
  Database db = Database::OpenFile(tmp_.Write("junk.db", std::string(4096, 'x')));
  EXPECT_TRUE(!db.ok() && !db.error().empty());
  // The schema step does not pile one message per statement on top of the open failure.
  EXPECT_FALSE(CreateSchema(db));
  EXPECT_FALSE(db.failed());
  // Statements on it fail with the open's reason instead of crashing.
  EXPECT_FALSE(ExecStatement("SELECT 1;", db));
  EXPECT_EQ(db.errors(), std::vector<std::string>{db.error()});
}

// The layout older installations wrote, with rows in it.
void MakeOldLayout(Database& db, bool withAllColumns) {
  std::string sql =
      "CREATE TABLE Patient(fullName varchar(30),IDNo varchar(12), medicalNo varchar(3), birth "
      "date, phone varchar(12), address varchar(100), gender bool, email varchar(40),meterSN "
      "varchar(10), timeUnit bool, scheduleEnable bool, workEnable bool, mealEnable bool, "
      "medicationEnable bool, regimenEnable bool,complicationsEnable bool, healthRecordEnable "
      "bool";
  sql += withAllColumns ? ", inquiryEnable bool, primary key(fullName, IDNo));"
                        : ", primary key(fullName, IDNo));";
  ASSERT_TRUE(db.Exec(sql));
  const char* values = withAllColumns
                           ? "('O''Hara','7','007','1950-02-03','555','1 Main St','1','a@b','SN1234567','1','1','0','1','0','0','0','1','0'),"
                             "('Bo','8','','1970-01-01','','','0','','','0','0','0','0','0','0','0','0','0');"
                           : "('Bo','8','','1970-01-01','','','0','','','0','0','0','0','0','0','0','0');";
  ASSERT_TRUE(db.Exec(std::string("INSERT INTO Patient VALUES ") + values));
}

TEST_F(DataFolderTest, OldPatientLayoutIsUpgradedOnceWithEveryRow) {
  MERIDANE_FILE_BOOK_ONLY();
  auto rowsOf = [&](Database& db) {
    return Column(db, "SELECT fullName||'|'||IDNo||'|'||medicalNo||'|'||birth||'|'||phone||'|'||"
                      "address||'|'||gender||'|'||meterSN||'|'||healthRecordEnable FROM Patient "
                      "ORDER BY IDNo;");
  };
  EnsureDataFolder();
  std::vector<std::string> before;
  {
    Database old = OpenPatientDatabase();
    MakeOldLayout(old, true);
    before = rowsOf(old);
  }
  ASSERT_EQ(before.size(), 2u);

  Database db = FreshDatabase();
  EXPECT_EQ(rowsOf(db), before);
  auto sql = Column(db, "SELECT sql FROM sqlite_master WHERE name='Patient';");
  EXPECT_NE(sql[0].find("meterSN varchar(12)"), std::string::npos);
  EXPECT_FALSE(db.TableExists("PatientOld"));
  EXPECT_TRUE(sqlErrors_.list.empty());

  // The next start leaves the new layout alone; a row added since stays too.
  ASSERT_TRUE(db.Exec("INSERT INTO Patient (fullName, IDNo) VALUES ('Cy','9');"));
  CreateSchema(db);
  EXPECT_EQ(rowsOf(db).size(), 3u);
  EXPECT_TRUE(sqlErrors_.list.empty());

  // A serial of 12 characters now fits the declared column and loads back.
  ASSERT_TRUE(db.Exec("UPDATE Patient SET meterSN='ABCDEFGHIJKL' WHERE IDNo='8';"));
  EXPECT_EQ(FindIdByMeterSerial(db, "ABCDEFGHIJKL"), "8");
}

TEST_F(DataFolderTest, FailedUpgradeKeepsTheOldTableAndItsRows) {
  MERIDANE_FILE_BOOK_ONLY();
  EnsureDataFolder();
  {
    Database db = OpenPatientDatabase();
    MakeOldLayout(db, false);  // one column short: the copy cannot succeed
  }
  Database db = FreshDatabase();
  EXPECT_FALSE(sqlErrors_.list.empty());
  EXPECT_FALSE(db.TableExists("PatientOld"));
  EXPECT_EQ(Column(db, "SELECT fullName FROM Patient;"), std::vector<std::string>{"Bo"});
}

}  // namespace
}  // namespace meridane::test
