#include "output/archive_file.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <unordered_map>
#include <utility>

#include "store/columns.h"
#include "store/reading_store.h"
#include "store/schema.h"

namespace meridane {

namespace {

constexpr const char* kArchiveReadingsColumns =
    " (glucoDate DATETIME, gluco INTEGER, meal INTEGER, medicalNo INTEGER, type INTEGER, slot "
    "INTEGER, commentOptions INTEGER, commentOptionsFood INTEGER,commentOptionsExercise "
    "INTEGER, commentOptionsType INTEGER, insulinType INTEGER,insulin VARCHAR(20), "
    "insulinAmount FLOAT, oral varchar(20), oralAmount float, exerciseHour "
    "INTEGER,exerciseMinute INTEGER, intensity INTEGER, carbs INTEGER, fats INTEGER, carlories "
    "INTEGER,proteins INTEGER, comment varchar(100), commentIns varchar(100), commentOra "
    "varchar(100), commentExe varchar(100), commentFoo varchar(100));";
constexpr int kArchiveReadingsColumnCount = 27;
constexpr int kArchiveDetailFirst = 4;  // type … commentFoo follow glucoDate, gluco, meal, medicalNo

std::string Placeholders(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += i ? ",?" : "?";
  return s;
}

void BindRaw(Statement& st, int index, const std::optional<std::string>& value) {
  if (value)
    st.Bind(index, *value);
  else
    st.BindNull(index);
}

// Writes a row read elsewhere into `table`, column for column by name.
bool InsertRow(Database& db, const std::string& table, const std::vector<std::string>& cols,
               const RawRow& row) {
  std::string sql = "INSERT INTO " + QuoteIdentifier(table) + "(";
  for (size_t i = 0; i < cols.size(); ++i) sql += (i ? "," : "") + QuoteIdentifier(cols[i]);
  sql += ") VALUES(" + Placeholders(cols.size()) + ");";
  Statement st = db.Prepare(sql);
  for (size_t i = 0; i < cols.size() && i < row.size(); ++i)
    BindRaw(st, static_cast<int>(i + 1), row[i]);
  return st.Run();
}

// Overwrites every column but `keep` of the one row that `where` (column, value) pairs name.
bool UpdateRow(Database& db, const std::string& table, const std::vector<std::string>& cols,
               const RawRow& row, const std::string& keep,
               const std::vector<std::pair<std::string, std::string>>& where) {
  std::string sql = "UPDATE " + QuoteIdentifier(table) + " SET ";
  std::vector<size_t> set;
  for (size_t i = 0; i < cols.size() && i < row.size(); ++i) {
    if (cols[i] == keep) continue;
    sql += (set.empty() ? "" : ",") + QuoteIdentifier(cols[i]) + "=?";
    set.push_back(i);
  }
  if (set.empty()) return true;
  for (size_t w = 0; w < where.size(); ++w)
    sql += (w ? " AND " : " WHERE ") + QuoteIdentifier(where[w].first) + "=?";
  sql += ";";
  Statement st = db.Prepare(sql);
  int b = 1;
  for (size_t i : set) BindRaw(st, b++, row[i]);
  for (const auto& w : where) st.Bind(b++, w.second);
  return st.Run();
}

std::string SelectByIdNo(const char* table) {
  return "SELECT * FROM " + QuoteIdentifier(table) + " WHERE IDNo=?;";
}

// Column names of Patient and of each profile table (in kProfileTables order), read once
// per run rather than once per patient.
struct TableLayouts {
  std::vector<std::string> patient;
  std::vector<std::vector<std::string>> sections;
};

TableLayouts ReadTableLayouts(Database& db) {
  TableLayouts l{TableColumns(db, "Patient"), {}};
  for (const ProfileTableFlag& t : kProfileTables) l.sections.push_back(TableColumns(db, t.table));
  return l;
}

std::string OpenFailText(const Database& db) {
  return "Can't open database: " + db.error();
}

// ---- archive write ----

// The readings of one patient in the range, each with its details, into its joined table.
// Returns the number written, or -1 on a failed statement.
int WriteArchiveReadings(Database& patients, Database& archive, const std::string& idNo,
                         const TransferPeriod& period) {
  if (!patients.TableExists(ReadingsTableName(idNo))) return 0;
  Statement sel = patients.Prepare("SELECT idx, glucoDate, gluco, meal, medicalNo FROM " +
                                   QuotedReadingsTable(idNo) +
                                   " WHERE glucoDate>=? AND glucoDate<=?;");
  sel.Bind(1, period.FirstDayStart()).Bind(2, period.LastDayEnd());
  if (!sel.Step()) return 0;  // no reading in the range: no table either

  std::unordered_map<int, GlucoDetailRecord> details;
  for (auto& d : LoadDetails(patients, idNo)) details.emplace(d.idx, std::move(d));

  if (!archive.Exec("CREATE TABLE IF NOT EXISTS " + QuotedReadingsTable(idNo) +
                    kArchiveReadingsColumns))
    return -1;
  Statement ins = archive.Prepare("INSERT INTO " + QuotedReadingsTable(idNo) + " VALUES(" +
                                  Placeholders(kArchiveReadingsColumnCount) + ");");
  const GlucoDetailRecord none;
  int written = 0;
  do {
    std::string when = sel.Text(1);
    if (auto at = ParseDateTime(when)) when = FormatDateTime(*at);
    ins.Reset();
    ins.Bind(1, when).BindInt(2, sel.Int(2)).BindInt(3, sel.Int(3)).BindInt(4, sel.Int(4));
    auto it = details.find(static_cast<int>(sel.Int(0)));
    GlucoDetailRecord d = it != details.end() ? it->second : none;
    int b = kArchiveDetailFirst + 1;
    for (const ColumnRef& c : DetailColumns(d)) ins.Bind(b++, ColumnText(c));
    if (!ins.Run()) return -1;
    ++written;
  } while (sel.Step());
  return written;
}

// ---- merge ----

struct ArchiveReading {
  DateTime at;
  int gluco = 0;
  int meal = 0;
  int medicalNo = 0;
  GlucoDetailRecord detail;
};

std::vector<ArchiveReading> ReadArchiveReadings(Database& archive, const std::string& idNo,
                                                const TransferPeriod& period) {
  std::vector<ArchiveReading> out;
  if (!archive.TableExists(ReadingsTableName(idNo))) return out;
  std::string sql = "SELECT glucoDate, gluco, meal, medicalNo";
  GlucoDetailRecord probe;
  for (const ColumnRef& c : DetailColumns(probe)) sql += std::string(", ") + c.name;
  sql += " FROM " + QuotedReadingsTable(idNo) + " WHERE glucoDate>=? AND glucoDate<=?;";
  Statement st = archive.Prepare(sql);
  st.Bind(1, period.FirstDayStart()).Bind(2, period.LastDayEnd());
  while (st.Step()) {
    auto at = ParseDateTime(st.Text(0));
    if (!at) continue;  // not a reading date: nothing to file it under
    ArchiveReading r;
    r.at = *at;
    r.gluco = static_cast<int>(st.Int(1));
    r.meal = static_cast<int>(st.Int(2));
    r.medicalNo = static_cast<int>(st.Int(3));
    r.detail.IDNo = idNo;
    ReadColumns(DetailColumns(r.detail), st, kArchiveDetailFirst);
    out.push_back(std::move(r));
  }
  return out;
}

// The readings of one patient into its table: a duplicate (same value, same minute) of a
// reading stored before the merge gets the archive's meal, medicalNo and details; any other
// reading is added with its details.
bool MergeReadings(Database& patients, const std::string& idNo,
                   const std::vector<ArchiveReading>& readings, TransferResult& result) {
  if (!EnsureReadingsTable(patients, idNo)) return false;
  std::map<std::pair<DateTime, int>, int> stored;
  for (const StoredReading& r : ReadStoredReadings(patients, idNo))
    stored.emplace(std::make_pair(r.at, r.gluco), r.idx);  // the first of equal ones wins

  Statement update = patients.Prepare("UPDATE " + QuotedReadingsTable(idNo) +
                                      " SET meal=?, medicalNo=? WHERE idx=?;");
  for (const ArchiveReading& r : readings) {
    auto it = stored.find({r.at, r.gluco});
    int idx;
    if (it != stored.end()) {
      idx = it->second;
      update.Reset();
      update.BindInt(1, r.meal).BindInt(2, r.medicalNo).BindInt(3, idx);
      if (!update.Run()) return false;
      ++result.readingsUpdated;
    } else {
      int64_t added = InsertReading(patients, idNo, r.at, r.gluco, r.meal, r.medicalNo);
      if (added < 0) return false;
      idx = static_cast<int>(added);
      ++result.readingsAdded;
    }
    if (r.detail.IsNonEmpty()) {
      GlucoDetailRecord d = r.detail;
      d.idx = idx;
      if (!WriteDetail(patients, idNo, idx, d)) return false;
    }
  }
  return true;
}

// Another patient of the patient database than `target` already holding `idNo` would get
// this patient's sections and readings.
std::optional<std::string> OtherHolderOf(Database& patients, const std::string& idNo,
                                         const PatientKey& target) {
  Statement st = patients.Prepare(
      "SELECT fullName FROM Patient WHERE IDNo=? AND NOT (fullName=? AND IDNo=?);");
  st.Bind(1, idNo).Bind(2, target.fullName).Bind(3, target.IDNo);
  if (st.Step()) return st.Text(0);
  return std::nullopt;
}

std::vector<PatientKey> KeysNamed(Database& db, const std::string& fullName) {
  std::vector<PatientKey> keys;
  Statement st = db.Prepare("SELECT IDNo FROM Patient WHERE fullName=?;");
  st.Bind(1, fullName);
  while (st.Step()) keys.emplace_back(fullName, st.Text(0));
  return keys;
}

// Where an archived patient goes: the stored patient of the same name and ID, else the one
// the page chose (`preferred`), else the only stored patient of that name when the archive
// has only one of it too (its ID follows the archive), else a new patient when every stored
// namesake is an archived patient of its own. Otherwise which namesake it is cannot be told:
// nullopt, nothing is merged.
std::optional<PatientKey> MergeTarget(Database& patients, const PatientKey& archived,
                                      const std::string& preferred,
                                      const std::vector<PatientKey>& archivedNamesakes) {
  const std::vector<PatientKey> named = KeysNamed(patients, archived.fullName);
  for (const std::string& id : {archived.IDNo, preferred})
    for (const PatientKey& k : named)
      if (!id.empty() && k.IDNo == id) return k;
  if (named.size() == 1 && archivedNamesakes.size() == 1) return named.front();
  for (const PatientKey& k : named)
    if (std::find(archivedNamesakes.begin(), archivedNamesakes.end(), k) == archivedNamesakes.end())
      return std::nullopt;
  return PatientKey{archived.fullName, ""};  // a new patient
}

// The archive gives a known patient another ID: the rows kept under the old one follow it,
// or the patient's stored readings and sections would stay behind where nothing finds them.
bool MoveToId(Database& patients, const std::string& from, const std::string& to) {
  for (const char* table : {"WorkingDateSchedule", "NonWorkingDateSchedule", "Medications",
                            "Regimen", "Complications", "HealthRecord", "Inquiry", "GlucoDetail"}) {
    Statement st = patients.Prepare("UPDATE " + QuoteIdentifier(table) + " SET IDNo=? WHERE IDNo=?;");
    st.Bind(1, to).Bind(2, from);
    if (!st.Run()) return false;
  }
  if (!patients.TableExists(ReadingsTableName(from))) return true;
  if (patients.TableExists(ReadingsTableName(to))) {
    Statement rows = patients.Prepare("SELECT count(*) FROM " + QuotedReadingsTable(to) + ";");
    if (!rows.Step() || rows.Int(0) != 0) {
      ReportStatementError("table " + ReadingsTableName(to) + " already exists");
      return false;
    }
    if (!patients.Exec("DROP TABLE " + QuotedReadingsTable(to) + ";")) return false;
  }
  return patients.Exec("ALTER TABLE " + QuotedReadingsTable(from) + " RENAME TO " +
                       QuotedReadingsTable(to) + ";");
}

// Merges the archived patient `arow` into the stored patient `target` (an empty IDNo: a new
// patient).
bool MergePatient(Database& patients, Database& archive, const TableLayouts& layouts,
                  const RawRow& arow, const PatientKey& target, const TransferPeriod& period,
                  TransferResult& result) {
  const std::string name = RawText(arow, kPatFullName);
  const std::string idNo = RawText(arow, kPatIDNo);
  Database::Transaction tx(patients);

  bool ok;
  if (!target.IDNo.empty()) {
    ok = target.IDNo == idNo || MoveToId(patients, target.IDNo, idNo);
    // By name and ID: a namesake of this patient keeps its own row.
    ok = ok && UpdateRow(patients, "Patient", layouts.patient, arow, "fullName",
                         {{"fullName", name}, {"IDNo", target.IDNo}});
  } else
    ok = InsertRow(patients, "Patient", layouts.patient, arow);

  for (size_t i = 0; i < kProfileTables.size() && ok; ++i) {
    const ProfileTableFlag& t = kProfileTables[i];
    if (!RawFlag(arow, t.flagColumn)) continue;
    auto section = ReadRawRow(archive, SelectByIdNo(t.table), {idNo});
    if (!section) continue;
    const std::vector<std::string>& cols = layouts.sections[i];
    if (ReadRawRow(patients, SelectByIdNo(t.table), {idNo}))
      ok = UpdateRow(patients, t.table, cols, *section, "IDNo", {{"IDNo", idNo}});
    else
      ok = InsertRow(patients, t.table, cols, *section);
  }

  TransferResult counts;
  if (ok) {
    std::vector<ArchiveReading> readings = ReadArchiveReadings(archive, idNo, period);
    if (!readings.empty()) ok = MergeReadings(patients, idNo, readings, counts);
  }
  if (!ok || !tx.Commit()) return false;  // the guard rolls the patient back
  result.readingsAdded += counts.readingsAdded;
  result.readingsUpdated += counts.readingsUpdated;
  return true;
}

}  // namespace

TransferResult WriteArchive(Database& patients, const std::vector<PatientKey>& keys,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter) {
  std::error_code ec;
  std::filesystem::remove(path, ec);  // an archive file always starts empty
  if (!patients.ok()) return FailedRun(prompter, {});
  Database archive = Database::OpenFile(path);
  if (!archive.ok()) return FailedRun(prompter, OpenFailText(archive));

  // The profile tables exactly as the patient database has them; readings go inline.
  CreateSchema(archive);
  archive.ExecQuiet("DROP TABLE GlucoDetail;");

  const TableLayouts layouts = ReadTableLayouts(patients);
  TransferResult result;
  for (const PatientKey& key : CollectPatients(patients, keys)) {
    auto row = ReadPatientRow(patients, key);
    if (!row) continue;
    const std::string& name = key.fullName;
    const std::string idNo = RawText(*row, kPatIDNo);
    Database::Transaction tx(archive);
    bool ok = InsertRow(archive, "Patient", layouts.patient, *row);
    for (size_t i = 0; i < kProfileTables.size() && ok; ++i) {
      const ProfileTableFlag& t = kProfileTables[i];
      if (!RawFlag(*row, t.flagColumn)) continue;
      if (auto section = ReadRawRow(patients, SelectByIdNo(t.table), {idNo}))
        ok = InsertRow(archive, t.table, layouts.sections[i], *section);
    }
    int written = ok ? WriteArchiveReadings(patients, archive, idNo, period) : -1;
    if (written < 0 || !tx.Commit()) {
      result.ok = false;
      result.message =
          FileText("ArcMsg4", "This patient could not be written to the archive file: ") + name;
      prompter.Message(result.message);
      continue;
    }
    ++result.patients;
    result.readingsWritten += written;
  }
  return result;
}

TransferResult MergeArchive(Database& patients, const std::vector<PatientKey>& keys,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter) {
  if (!patients.ok()) return FailedRun(prompter, {});
  std::error_code ec;
  // Opening would create an empty file where none is; there is nothing to merge from.
  if (!std::filesystem::is_regular_file(path, ec))
    return FailedRun(prompter, FileText("ArcMsg1", "The archive file does not exist: ") + path);
  Database archive = Database::OpenFile(path);
  if (!archive.ok()) return FailedRun(prompter, OpenFailText(archive));
  if (!archive.TableExists("Patient"))
    return FailedRun(prompter, FileText("ArcMsg2", "The file holds no archived patients: ") + path);

  const TableLayouts layouts = ReadTableLayouts(archive);
  TransferResult result;
  auto fail = [&](const std::string& text) {
    result.ok = false;
    result.message = text;
    prompter.Message(text);
  };
  for (const PatientKey& key : UniqueKeys(keys)) {
    // The archived patients this key stands for: the one of its name and ID; a patient
    // whose ID the archive changed, when the name alone is unmistakable; every patient of
    // the name for a key without an ID.
    std::vector<PatientKey> archived;
    const std::vector<PatientKey> named = KeysNamed(archive, key.fullName);
    if (key.IDNo.empty())
      archived = named;
    else if (std::find(named.begin(), named.end(), key) != named.end())
      archived = {key};
    else if (named.size() == 1 && KeysNamed(patients, key.fullName).size() == 1)
      archived = named;
    else if (!named.empty())
      fail(FileText("ArcMsg6", "Several archived patients have this name and none has its "
                               "ID No.; nothing was merged for it: ") +
           key.fullName + " (" + key.IDNo + ")");

    for (const PatientKey& a : archived) {
      auto arow = ReadPatientRow(archive, a);
      if (!arow) continue;
      auto target = MergeTarget(patients, a, key.IDNo, named);
      if (!target) {
        fail(FileText("ArcMsg7", "Several patients have this name and none has the archived "
                                 "ID No.; nothing was merged for it: ") +
             a.fullName + " (" + a.IDNo + ")");
        continue;
      }
      if (auto other = OtherHolderOf(patients, a.IDNo, *target)) {
        fail(FileText("ArcMsg3", "The ID No. of this archived patient belongs to "
                                 "another patient; nothing was merged for it: ") +
             a.fullName + " (" + a.IDNo + ", " + *other + ")");
        continue;
      }
      if (!MergePatient(patients, archive, layouts, *arow, *target, period, result)) {
        fail(FileText("ArcMsg5", "This patient could not be merged; nothing was changed for it: ") +
             a.fullName);
        continue;
      }
      ++result.patients;
      result.dataChanged = true;
    }
  }
  return result;
}

}  // namespace meridane
