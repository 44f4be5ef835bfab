#include "store/schema.h"

#include <regex>
#include <string>

#include "store/reading_store.h"

namespace meridane {

namespace {

// These texts are what sqlite_master keeps, so archives and other installations read the
// same schema; keep them byte for byte.
constexpr const char* kCreatePatient =
    "CREATE TABLE IF NOT EXISTS Patient(fullName varchar(30),IDNo varchar(12), medicalNo "
    "varchar(3), birth date, phone varchar(12), address varchar(100), gender bool, email "
    "varchar(40),meterSN varchar(12), timeUnit bool, scheduleEnable bool, workEnable bool, "
    "mealEnable bool, medicationEnable bool, regimenEnable bool,complicationsEnable bool, "
    "healthRecordEnable bool, inquiryEnable bool, primary key(fullName, IDNo));";

constexpr const char* kCreateWorking =
    "CREATE TABLE IF NOT EXISTS WorkingDateSchedule(IDNo varchar(12) primary key, preMealA "
    "time, postMealA time, preMealB time, postMealB time, preMealC time, postMealC time, "
    "night time);";

constexpr const char* kCreateNonWorking =
    "CREATE TABLE IF NOT EXISTS NonWorkingDateSchedule(IDNo varchar(12) primary key, "
    "nonWorkingDay int, preMealA time, postMealA time, preMealB time, postMealB time, "
    "preMealC time, postMealC time, night time);";

constexpr const char* kCreateMedications =
    "CREATE TABLE IF NOT EXISTS Medications(IDNo varchar(12) primary key, insulin int, oral "
    "int, insulinPump bool, dietExercise bool, insulin1 varchar(20), insulin2 varchar(20), "
    "insulin3 varchar(20), insulin4 varchar(20), oral1 varchar(20), oral2 varchar(20), oral3 "
    "varchar(20), oral4 varchar(20), insulin1Check bool, insulin2Check bool, insulin3Check "
    "bool, insulin4Check bool, oral1Check bool, oral2Check bool, oral3Check bool, oral4Check "
    "bool);";

constexpr const char* kCreateComplications =
    "CREATE TABLE IF NOT EXISTS Complications(IDNo varchar(12) primary key, complications "
    "int, other varchar(20), otherCheck bool);";

constexpr const char* kCreateHealthRecord =
    "CREATE TABLE IF NOT EXISTS HealthRecord(IDNo varchar(12) primary key, diabetesType int, "
    "yearDiagnosed date, hight float, weight float, hightUnit bool, weightUnit bool, "
    "preMealHigh float, preMealLow float, postMealHigh float, postMealLow float, glucoUnit "
    "bool, ketnotes int, microalbumin int, hbA1C float, bloodPressureA int, bloodPressureB "
    "int, cholesterol int, LDL int, HDL int, hypoglycemic int);";

constexpr const char* kCreateInquiry =
    "CREATE TABLE IF NOT EXISTS Inquiry(IDNo varchar(12) primary key, inquiryDate date, "
    "comment varchar(100), note varchar(1000), special bool);";

constexpr const char* kCreateGlucoDetail =
    "CREATE TABLE IF NOT EXISTS GlucoDetail(IDNo varchar(12), idx INTEGER, type INTEGER, slot "
    "INTEGER, commentOptions INTEGER, commentOptionsFood INTEGER, commentOptionsExercise "
    "INTEGER, commentOptionsType INTEGER, insulinType int, insulin varchar(20), insulinAmount "
    "float, oral varchar(20), oralAmount float, exerciseHour INTEGER, exerciseMinute INTEGER, "
    "intensity INTEGER, carbs INTEGER, fats INTEGER, carlories INTEGER, proteins INTEGER, "
    "comment varchar(100), commentIns varchar(100), commentOra varchar(100), commentExe "
    "varchar(100), commentFoo varchar(100), primary key(IDNo, idx));";

// 92 columns: IDNo, activeRegimen, then 18 per regimen r1..r5.
std::string CreateRegimenStatement() {
  std::string sql = "CREATE TABLE IF NOT EXISTS Regimen(IDNo varchar(12) primary key, activeRegimen int";
  static const char* const kSlots[] = {"M1", "M2", "M3", "Night"};
  for (int n = 1; n <= 5; ++n) {
    const std::string r = "r" + std::to_string(n);
    sql += ", " + r + "Name varchar(20), " + r + "Date date";
    for (const char* s : kSlots) {
      for (int d = 1; d <= 2; ++d) {
        const std::string k = std::to_string(d);
        sql += ", " + r + s + "U" + k + " float, " + r + s + "T" + k + " varchar(20)";
      }
    }
  }
  sql += ");";
  return sql;
}

// An older Patient table had meterSN varchar(10); its rows are carried over column by column.
bool UpgradePatientTable(Database& db) {
  Statement st = db.Prepare("SELECT sql FROM sqlite_master where name = ?;");
  st.Bind(1, "Patient");
  if (!st.Step()) return st.ok();
  const std::string sql = st.Text(0);
  st = Statement();
  if (sql.find("meterSN varchar(10)") == std::string::npos) return true;
  // All four steps or none: dropping PatientOld after a failed copy would lose every
  // patient, and a half-done rename would leave no Patient table at all.
  Database::Transaction tx(db);
  if (ExecStatement("ALTER TABLE Patient RENAME TO PatientOld;", db) &&
      ExecStatement(kCreatePatient, db) &&
      ExecStatement("INSERT INTO Patient SELECT * FROM PatientOld;", db) &&
      ExecStatement("DROP TABLE PatientOld;", db)) {
    return tx.Commit();
  }
  return false;
}

const std::string& RegimenCreateStatement() {
  static const std::string sql = CreateRegimenStatement();
  return sql;
}

// ---- a book on a server ----

// The tables of a server's book are the file's, column for column in the same order, so the
// store's statements read and write them alike. Values keep the kinds the program reads
// them as: flags as integers (their text "0"/"1"), names and the profile's dates and times
// as text of any length, reals as double precision.
std::string ServerTable(const std::string& fileSql, const std::string& extra) {
  static const std::regex kType(R"(\b(varchar\(\d+\)|bool|float|date|time|int)\b)",
                                std::regex::icase);
  std::string sql = std::regex_replace(fileSql, kType, "$&@");
  auto swap = [&](const char* from, const char* to) {
    sql = std::regex_replace(sql, std::regex(from, std::regex::icase), to);
  };
  swap(R"(varchar\(\d+\)@)", "text");
  swap("bool@", "integer");
  swap("float@", "double precision");
  swap("date@", "text");
  swap("time@", "text");
  swap("int@", "integer");
  sql.erase(sql.rfind(')'));
  return sql + extra + ");";
}

// Rows of a patient go with the patient: an IDNo renamed or deleted takes them along, and
// no row can name a patient the book does not have (checked when the transaction commits,
// so a patient and its rows may be written in any order).
constexpr const char* kOfPatient =
    ", FOREIGN KEY (IDNo) REFERENCES Patient(IDNo) ON UPDATE CASCADE ON DELETE CASCADE "
    "DEFERRABLE INITIALLY DEFERRED";

// Every patient's readings in one table; a reading is the same reading when its patient,
// date and time and value are, and the book holds it once.
constexpr const char* kCreateServerReadings =
    "CREATE TABLE IF NOT EXISTS readings(IDNo text NOT NULL, idx bigserial, "
    "glucoDate timestamp(0) NOT NULL, gluco integer NOT NULL, meal integer NOT NULL DEFAULT 0, "
    "medicalNo integer NOT NULL DEFAULT 0, PRIMARY KEY (IDNo, idx), "
    "UNIQUE (IDNo, glucoDate, gluco)";

constexpr int kServerSchemaVersion = 2;

std::vector<std::string> ServerSchemaStatements() {
  std::vector<std::string> sql = {
      // Patient keeps the file's column order; rowid keeps the order patients were added.
      // revision counts the saves of the patient's profile and reading details.
      ServerTable(kCreatePatient,
                  ", UNIQUE (IDNo), rowid bigserial, revision bigint NOT NULL DEFAULT 0"),
      ServerTable(kCreateWorking, kOfPatient),
      ServerTable(kCreateNonWorking, kOfPatient),
      ServerTable(kCreateMedications, kOfPatient),
      ServerTable(CreateRegimenStatement(), kOfPatient),
      ServerTable(kCreateComplications, kOfPatient),
      ServerTable(kCreateHealthRecord, kOfPatient),
      ServerTable(kCreateInquiry, kOfPatient),
      ServerTable(kCreateGlucoDetail, kOfPatient),
      std::string(kCreateServerReadings) + kOfPatient + ");",
      // A period's readings of every patient, as the quick view counts them, straight from
      // the index without visiting the table's rows (version 2; it replaces version 1's
      // readings_by_date).
      "CREATE INDEX IF NOT EXISTS readings_of_period ON readings(glucoDate) "
      "INCLUDE (IDNo, gluco, meal);",
      "DROP INDEX IF EXISTS readings_by_date;",
      "CREATE TABLE IF NOT EXISTS meridane_schema(version integer NOT NULL);",
  };
  return sql;
}

// The schema version the server's book carries; 0 when it has none yet, -1 when it could
// not be read.
int ServerSchemaVersion(Database& db) {
  if (!db.TableExists("meridane_schema")) return 0;
  Statement st = db.Prepare("SELECT max(version) FROM meridane_schema;");
  if (!st.Step()) return -1;
  return st.IsNull(0) ? 0 : static_cast<int>(st.Int(0));
}

bool CreateServerSchema(Database& db) {
  const int version = ServerSchemaVersion(db);
  if (version == kServerSchemaVersion) return true;
  if (version < 0) return false;
  if (version > kServerSchemaVersion) {
    db.RecordFailure("The patient book on the server was made by a newer version of "
                         "Meridane; update Meridane on this computer.");
    return false;
  }
  // Created whole or not at all. A desk's role may not create tables: the book's owner
  // role sets it up once (README, "A clinic's patient book on a server").
  Database::Transaction tx(db);
  if (!tx.ok()) return false;
  std::string error;
  for (const std::string& sql : ServerSchemaStatements()) {
    if (!db.ExecQuiet(sql, &error)) {
      db.RecordFailure(
          std::string(version == 0 ? "The patient book on the server has no tables yet and they "
                                     "cannot be made with this role ("
                                   : "The patient book on the server needs an upgrade for this "
                                     "version of Meridane that this role cannot make (") +
          error + "). Connect once with the book's owner role to set it up.");
      return false;
    }
  }
  Statement st = db.Prepare("INSERT INTO meridane_schema VALUES(?);");
  st.BindInt(1, kServerSchemaVersion);
  return st.Run() && tx.Commit();
}

// The table's name and column names from its CREATE statement: the first word of every
// definition at the top level of the parentheses, table constraints left out.
BookTable TableOf(const std::string& createSql) {
  BookTable t;
  const size_t open = createSql.find('(');
  const size_t nameStart = createSql.rfind(' ', open) + 1;
  t.name = createSql.substr(nameStart, open - nameStart);
  int depth = 0;
  std::string part;
  auto take = [&] {
    const size_t b = part.find_first_not_of(' ');
    const std::string word = b == std::string::npos ? "" : part.substr(b, part.find(' ', b) - b);
    if (!word.empty() && word != "primary") t.columns.push_back(word);
    part.clear();
  };
  for (size_t i = open; i < createSql.size(); ++i) {
    const char c = createSql[i];
    if (c == '(' && ++depth == 1) continue;
    if (c == ')' && --depth == 0) break;
    if (c == ',' && depth == 1) {
      take();
      continue;
    }
    part += c;
  }
  take();
  return t;
}

}  // namespace

const std::vector<BookTable>& BookTables() {
  static const std::vector<BookTable> tables = [] {
    std::vector<BookTable> out;
    for (const std::string& sql :
         {std::string(kCreatePatient), std::string(kCreateWorking), std::string(kCreateNonWorking),
          std::string(kCreateMedications), RegimenCreateStatement(),
          std::string(kCreateComplications), std::string(kCreateHealthRecord),
          std::string(kCreateInquiry), std::string(kCreateGlucoDetail)})
      out.push_back(TableOf(sql));
    return out;
  }();
  return tables;
}

bool CreateSchema(Database& db) {
  if (!db.ok()) return false;
  if (db.server()) return CreateServerSchema(db);
  // Each step runs even when one before it failed, so one bad table costs only itself.
  bool ok = ExecStatement(kCreatePatient, db);
  ok = UpgradePatientTable(db) && ok;
  for (const char* sql : {kCreateWorking, kCreateNonWorking, kCreateMedications}) {
    ok = ExecStatement(sql, db) && ok;
  }
  ok = ExecStatement(RegimenCreateStatement(), db) && ok;
  for (const char* sql : {kCreateComplications, kCreateHealthRecord, kCreateInquiry,
                          kCreateGlucoDetail}) {
    ok = ExecStatement(sql, db) && ok;
  }
  // Without them (a book another desk holds locked) readings are still found, only slower.
  EnsureReadingDateIndexes(db);
  return ok;
}

}  // namespace meridane
