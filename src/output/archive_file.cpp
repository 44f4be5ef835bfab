#include "output/archive_file.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>

#include "base/text_lookup.h"
#include "output/safe_file.h"
#include "store/columns.h"
#include "store/patient_store.h"
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
constexpr int kArchiveDetailFirst = 4;
// Readings without details to one insert: four values each, beside the 23 shared ones, well
// inside SQLite's 999 parameters. A power of two.
constexpr size_t kPlainRunRows = 64;
// The largest value a meter record can carry is far below this; anything above is damage.
constexpr int kMaxMergedGluco = 9999;  // type … commentFoo follow glucoDate, gluco, meal, medicalNo

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
  std::string sql = "INSERT INTO " + QuoteBookIdentifier(db, table) + "(";
  for (size_t i = 0; i < cols.size(); ++i) sql += (i ? "," : "") + QuoteBookIdentifier(db, cols[i]);
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
  std::string sql = "UPDATE " + QuoteBookIdentifier(db, table) + " SET ";
  std::vector<size_t> set;
  for (size_t i = 0; i < cols.size() && i < row.size(); ++i) {
    if (cols[i] == keep) continue;
    sql += (set.empty() ? "" : ",") + QuoteBookIdentifier(db, cols[i]) + "=?";
    set.push_back(i);
  }
  if (set.empty()) return true;
  for (size_t w = 0; w < where.size(); ++w)
    sql += (w ? " AND " : " WHERE ") + QuoteBookIdentifier(db, where[w].first) + "=?";
  sql += ";";
  Statement st = db.Prepare(sql);
  int b = 1;
  for (size_t i : set) BindRaw(st, b++, row[i]);
  for (const auto& w : where) st.Bind(b++, w.second);
  return st.Run();
}

std::string SelectByIdNo(const Database& db, const char* table) {
  return "SELECT * FROM " + QuoteBookIdentifier(db, table) + " WHERE IDNo=?;";
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

std::string WriteFailedArchiveText() {
  return LookupText("ErrMsg", "ErrMsg9", "Please make sure the disk can be written.");
}

// ---- archive write ----

// ", d.type, d.slot, …": the detail columns in table order, each with the prefix.
std::string DetailColumnList(const char* prefix) {
  GlucoDetailRecord probe;
  std::string out;
  for (const ColumnRef& c : DetailColumns(probe)) out += std::string(", ") + prefix + c.name;
  return out;
}

// `rows` readings without details into the joined table: the empty detail values are
// ?1..?details, shared by every row; each row's own four values follow in row order.
std::string PlainRunSql(const std::string& idNo, size_t rows, int details) {
  std::string shared;
  for (int d = 1; d <= details; ++d) shared += ",?" + std::to_string(d);
  std::string sql = "INSERT INTO " + QuotedReadingsTable(idNo) + " VALUES";
  int n = details;
  for (size_t r = 0; r < rows; ++r) {
    sql += r ? ",(" : "(";
    for (int v = 0; v < kArchiveDetailFirst; ++v) sql += (v ? ",?" : "?") + std::to_string(++n);
    sql += shared + ")";
  }
  return sql + ";";
}

// The readings of one patient in the range, each with its details, into its joined table.
// Returns the number written, or -1 on a failed statement.
int WriteArchiveReadings(Database& patients, Database& archive, const std::string& idNo,
                         const TransferPeriod& period) {
  if (!HasReadingsTable(patients, idNo)) return 0;
  // The readings in idx order, and beside them the patient's detail rows in idx order (the
  // order of their key): each reading takes the row of its idx, at most one.
  Statement sel = PrepareReadings(patients, idNo, "idx, glucoDate, gluco, meal, medicalNo",
                                  "glucoDate>=? AND glucoDate<=?", /*idxOrder=*/true);
  const int range = ReadingParamsFrom(patients);
  sel.Bind(range, period.FirstDayStart()).Bind(range + 1, period.LastDayEnd());
  if (!sel.Step()) return 0;  // no reading in the range: no table either
  Statement det = patients.Prepare("SELECT idx" + DetailColumnList("") +
                                   " FROM GlucoDetail WHERE IDNo=? ORDER BY idx;");
  det.Bind(1, idNo);
  bool detailRow = det.Step();

  if (!archive.Exec("CREATE TABLE IF NOT EXISTS " + QuotedReadingsTable(idNo) +
                    kArchiveReadingsColumns))
    return -1;
  GlucoDetailRecord detail, empty;
  const std::vector<ColumnRef> cols = DetailColumns(detail);
  const std::vector<ColumnRef> emptyCols = DetailColumns(empty);
  const int detailCount = static_cast<int>(cols.size());
  // A reading with details goes in alone, in its place. The readings between two such go in
  // many to a statement, whose rows all take the empty detail values bound once; only the
  // readings' own four values change from row to row.
  Statement detailed = archive.Prepare("INSERT INTO " + QuotedReadingsTable(idNo) + " VALUES(" +
                                       Placeholders(kArchiveReadingsColumnCount) + ");");
  std::map<size_t, Statement> plainRuns;  // by their number of rows
  struct PlainRow {
    std::optional<DateTime> at;  // the date as stored when it does not parse
    std::string when;
    int64_t gluco, meal, medicalNo;
  };
  std::vector<PlainRow> run;
  auto bindReading = [](Statement& st, int first, const std::optional<DateTime>& at,
                        std::string_view when, int64_t gluco, int64_t meal, int64_t medicalNo) {
    if (at)
      st.Bind(first, FormatDateTime(*at));
    else
      st.Bind(first, when);
    st.BindInt(first + 1, gluco).BindInt(first + 2, meal).BindInt(first + 3, medicalNo);
  };
  // A run goes in as statements of 64, 32, ... 1 rows, so that a patient needs at most seven
  // of them prepared, whatever the lengths of its runs.
  auto flushRun = [&] {
    for (size_t done = 0; done < run.size();) {
      size_t rows = kPlainRunRows;
      while (rows > run.size() - done) rows /= 2;
      auto [it, added] = plainRuns.try_emplace(rows);
      Statement& st = it->second;
      if (added) {
        st = archive.Prepare(PlainRunSql(idNo, rows, detailCount));
        BindColumns(st, 1, emptyCols);
      }
      st.Rewind();  // the empty details stay bound
      int b = detailCount + 1;
      for (size_t i = done; i < done + rows; ++i, b += kArchiveDetailFirst)
        bindReading(st, b, run[i].at, run[i].when, run[i].gluco, run[i].meal, run[i].medicalNo);
      if (!st.Run()) return false;
      done += rows;
    }
    run.clear();
    return true;
  };
  int written = 0;
  do {
    // Detail rows before this idx belong to readings outside the range or gone; an idx that
    // is not a whole number (sorted first or last) belongs to no reading.
    const int64_t idx = sel.Int(0);
    while (detailRow && (det.Type(0) != SQLITE_INTEGER || det.Int(0) < idx))
      detailRow = det.Step();
    const std::string_view when = sel.TextView(1);
    std::optional<DateTime> at = ParseDateTime(when);
    if (!(detailRow && det.Int(0) == idx)) {
      run.push_back({at, at ? std::string() : std::string(when), sel.Int(2), sel.Int(3), sel.Int(4)});
      if (run.size() == kPlainRunRows && !flushRun()) return -1;
    } else {
      if (!flushRun()) return -1;
      // Read as a load reads it (junk keeps the empty value), written in the stored form.
      detail = GlucoDetailRecord();
      ReadColumns(cols, det, 1);
      detailed.Rewind();  // every parameter is bound again below
      bindReading(detailed, 1, at, when, sel.Int(2), sel.Int(3), sel.Int(4));
      BindColumns(detailed, kArchiveDetailFirst + 1, cols);
      if (!detailed.Run()) return -1;
    }
    ++written;
  } while (sel.Step());
  if (!flushRun()) return -1;
  return written;
}

// ---- merge ----

struct ArchiveReading {
  DateTime at;
  int gluco = 0;
  int meal = 0;
  int medicalNo = 0;
  int detail = -1;  // index into ArchiveReadings::details, -1 for none
};

// Most readings have no details: those that have are kept apart, so that a reading costs
// only its few numbers.
struct ArchiveReadings {
  std::vector<ArchiveReading> readings;
  std::vector<GlucoDetailRecord> details;
};

// A whole number stored as an integer, or as a text of digits (with a sign), within lo..hi.
std::optional<int> WholeNumber(const Statement& st, int col, int lo, int hi) {
  long long v = 0;
  if (st.Type(col) == SQLITE_INTEGER) {
    v = st.Int(col);
  } else if (st.Type(col) == SQLITE_TEXT) {
    const std::string t = st.Text(col);
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (i == t.size() || t.size() > 12) return std::nullopt;
    for (size_t k = i; k < t.size(); ++k)
      if (t[k] < '0' || t[k] > '9') return std::nullopt;
    v = std::stoll(t);
  } else {
    return std::nullopt;
  }
  if (v < lo || v > hi) return std::nullopt;
  return static_cast<int>(v);
}

// The readings of the range as a download would accept them: a real calendar date and
// time, and whole numbers for the value, the meal code and the medical record number.
// Anything else is counted in `skipped`, never stored as a guess. False when the table
// could not be read as a whole (a missing column, a damaged page).
bool ReadArchiveReadings(Database& archive, const std::string& idNo, const TransferPeriod& period,
                         ArchiveReadings& out, int& skipped) {
  FailureWatch watch(archive);
  if (!archive.TableExists(ReadingsTableName(idNo))) return !watch.failed();
  GlucoDetailRecord scratch;
  const std::vector<ColumnRef> cols = DetailColumns(scratch);
  GlucoDetailRecord empty;
  const std::vector<ColumnRef> emptyCols = DetailColumns(empty);
  Statement st = archive.Prepare("SELECT glucoDate, gluco, meal, medicalNo" +
                                 DetailColumnList("") + " FROM " + QuotedReadingsTable(idNo) +
                                 " WHERE glucoDate>=? AND glucoDate<=?;");
  if (!st.ok()) return false;
  st.Bind(1, period.FirstDayStart()).Bind(2, period.LastDayEnd());
  // A row whose detail columns hold exactly the empty values (slot aside, which alone makes
  // no details) has nothing to read. Any other row is read column by column, as a load
  // reads it.
  std::vector<size_t> compared;
  for (size_t i = 0; i < emptyCols.size(); ++i)
    if (std::string_view(emptyCols[i].name) != "slot") compared.push_back(i);
  auto holdsEmptyValues = [&] {
    for (size_t i : compared)
      if (!ColumnHolds(st, kArchiveDetailFirst + static_cast<int>(i), emptyCols[i])) return false;
    return true;
  };
  // A reading more than a day ahead (time zones aside) never happened yet; merged, it would
  // head every "latest days" period.
  const Date latest = AddDays(Today(), 1);
  while (st.Step()) {
    auto at = ParseDateTime(st.TextView(0));
    auto gluco = WholeNumber(st, 1, 0, kMaxMergedGluco);
    auto meal = WholeNumber(st, 2, INT32_MIN, INT32_MAX);
    auto medicalNo = WholeNumber(st, 3, -1, 999);
    if (!at || !IsValidDateTime(*at) || at->date() > latest || !gluco || !meal || !medicalNo) {
      ++skipped;
      continue;
    }
    ArchiveReading& r = out.readings.emplace_back();
    r.at = *at;
    r.gluco = *gluco;
    r.meal = *meal;
    r.medicalNo = *medicalNo;
    if (holdsEmptyValues()) continue;
    scratch = GlucoDetailRecord();
    ReadColumns(cols, st, kArchiveDetailFirst);
    if (scratch.IsNonEmpty()) {
      r.detail = static_cast<int>(out.details.size());
      out.details.push_back(scratch);
      out.details.back().IDNo = idNo;
    }
  }
  return !watch.failed();
}

// The readings of one patient into its table: a duplicate (same value, same minute) of a
// reading stored before the merge gets the archive's meal, medicalNo and details; any other
// reading is added with its details.
bool MergeReadings(Database& patients, const std::string& idNo, const ArchiveReadings& archived,
                   TransferResult& result) {
  if (!EnsureReadingsTable(patients, idNo)) return false;
  std::map<std::pair<DateTime, int>, int> stored;
  for (const StoredReading& r : ReadStoredReadings(patients, idNo))
    stored.emplace(std::make_pair(r.at, r.gluco), r.idx);  // the first of equal ones wins

  const bool server = patients.server();
  Statement update = patients.Prepare(
      server ? std::string("UPDATE readings SET meal=?, medicalNo=? WHERE idx=? AND IDNo=?;")
             : "UPDATE " + QuotedReadingsTable(idNo) + " SET meal=?, medicalNo=? WHERE idx=?;");
  ReadingWriter writer(patients, idNo);
  // New readings go in many to a statement after the duplicates are updated; the details
  // of both follow, filed by the idx each reading has (of two archived readings that match
  // one stored reading, the later one's details stay).
  std::vector<ReadingWriter::NewReading> added;
  std::vector<int> addedDetail;
  std::vector<ReadingWriter::IndexedDetail> details;
  // An archived reading equal to one added before it is that one's duplicate, as it would be
  // of a stored one: added twice, the reading would be doubled (and a server, which holds a
  // reading once, would fail the whole merge). The later one's values stay.
  std::map<std::pair<DateTime, int>, size_t> pending;
  for (const ArchiveReading& r : archived.readings) {
    auto it = stored.empty() ? stored.end() : stored.find({r.at, r.gluco});
    if (it == stored.end()) {
      auto [first, fresh] = pending.try_emplace({r.at, r.gluco}, added.size());
      if (!fresh) {
        added[first->second].meal = r.meal;
        added[first->second].medicalNo = r.medicalNo;
        if (r.detail >= 0) addedDetail[first->second] = r.detail;
        ++result.readingsUpdated;
        continue;
      }
      added.push_back({r.at, r.gluco, r.meal, r.medicalNo});
      addedDetail.push_back(r.detail);
      continue;
    }
    update.Reset();
    update.BindInt(1, r.meal).BindInt(2, r.medicalNo).BindInt(3, it->second);
    if (server) update.Bind(4, idNo);
    if (!update.Run()) return false;
    ++result.readingsUpdated;
    if (r.detail >= 0) details.push_back({it->second, &archived.details[r.detail]});
  }
  std::vector<int64_t> idx;
  if (!writer.InsertAll(added, idx)) return false;
  for (size_t i = 0; i < added.size(); ++i)
    if (addedDetail[i] >= 0) details.push_back({idx[i], &archived.details[addedDetail[i]]});
  if (!writer.WriteDetails(details)) return false;
  result.readingsAdded += static_cast<int>(added.size());
  // A merge changes meal codes and details another desk may have open: it counts as a save
  // of the patient, so that desk's next save is told instead of writing over it.
  return CountPatientSave(patients, idNo);
}

// Another patient of the patient database than `target` already holding `idNo` would get
// this patient's sections and readings.
std::optional<std::string> OtherHolderOf(Database& patients, const std::string& idNo,
                                         const PatientKey& target) {
  Statement st = patients.Prepare("SELECT fullName FROM Patient WHERE " +
                                  CaseBlindEquals(patients, "IDNo") +
                                  " AND NOT (fullName=? AND IDNo=?);");
  st.Bind(1, idNo).Bind(2, target.fullName).Bind(3, target.IDNo);
  if (st.Step()) return st.Text(0);
  return std::nullopt;
}

std::vector<PatientKey> KeysNamed(Database& db, const std::string& fullName) {
  std::vector<PatientKey> keys;
  // A server keeps the order patients were added in rowid, as the file's own rowid does.
  Statement st = db.Prepare(db.server() ? "SELECT IDNo FROM Patient WHERE fullName=? ORDER BY rowid;"
                                        : "SELECT IDNo FROM Patient WHERE fullName=?;");
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
// On a server the patient's row is renamed (by name and ID: a namesake keeps its own) and
// its foreign keys take every row of the patient along.
bool MoveToId(Database& patients, const PatientKey& patient, const std::string& to) {
  const std::string& from = patient.IDNo;
  if (patients.server()) {
    Statement st = patients.Prepare("UPDATE Patient SET IDNo=? WHERE fullName=? AND IDNo=?;");
    st.Bind(1, to).Bind(2, patient.fullName).Bind(3, from);
    return st.Run();
  }
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
      patients.RecordFailure("table " + ReadingsTableName(to) + " already exists");
      return false;
    }
    if (!patients.Exec("DROP TABLE " + QuotedReadingsTable(to) + ";")) return false;
  }
  return patients.Exec("ALTER TABLE " + QuotedReadingsTable(from) + " RENAME TO " +
                       QuotedReadingsTable(to) + ";");
}

// Why an archived patient is not merged; empty when it may be. Run under the write lock,
// so the answer holds until the commit.
std::string MergeRefusal(Database& patients, const RawRow& arow, const PatientKey& target) {
  const std::string name = RawText(arow, kPatFullName);
  const std::string idNo = RawText(arow, kPatIDNo);
  if (arow.size() < kPatColumnCount || !arow[kPatFullName] || !arow[kPatIDNo] ||
      !IsAcceptablePatientKey(name, idNo))
    return LookupText("FileMsg", "ArcMsg7", "The name or ID No. of this archived patient is empty or too long; "
                               "nothing was merged for it: ") +
           name + " (" + idNo + ")";
  if (auto other = OtherHolderOf(patients, idNo, target))
    return LookupText("FileMsg", "ArcMsg3", "The ID No. of this archived patient belongs to "
                               "another patient; nothing was merged for it: ") +
           name + " (" + idNo + ", " + *other + ")";
  // A new ID (a new patient, or a known one renumbered) must not share storage with
  // another table, whatever its case.
  if (target.IDNo != idNo && IdNoTaken(patients, idNo))
    return LookupText("FileMsg", "ArcMsg3", "The ID No. of this archived patient belongs to "
                               "another patient; nothing was merged for it: ") +
           name + " (" + idNo + ")";
  return {};
}

enum class MergeOutcome { Merged, Refused, Failed };

// Merges the archived patient `arow` into the stored patient `target` (an empty IDNo: a new
// patient).
MergeOutcome MergePatient(Database& patients, Database& archive, const TableLayouts& layouts,
                          const RawRow& arow, const PatientKey& target,
                          const TransferPeriod& period, TransferResult& result,
                          std::string& refusal) {
  const std::string name = RawText(arow, kPatFullName);
  const std::string idNo = RawText(arow, kPatIDNo);
  Database::Transaction tx(patients);
  if (!tx.ok()) return MergeOutcome::Failed;
  FailureWatch watch(patients), archiveWatch(archive);
  refusal = MergeRefusal(patients, arow, target);
  if (watch.failed()) return MergeOutcome::Failed;
  if (!refusal.empty()) return MergeOutcome::Refused;

  bool ok;
  if (!target.IDNo.empty()) {
    ok = target.IDNo == idNo || MoveToId(patients, target, idNo);
    // By name and ID: a namesake of this patient keeps its own row. On a server the move
    // gave the row its new ID already.
    ok = ok && UpdateRow(patients, "Patient", layouts.patient, arow, "fullName",
                         {{"fullName", name}, {"IDNo", patients.server() ? idNo : target.IDNo}});
  } else
    ok = InsertRow(patients, "Patient", layouts.patient, arow);

  for (size_t i = 0; i < kProfileTables.size() && ok; ++i) {
    const ProfileTableFlag& t = kProfileTables[i];
    if (!RawFlag(arow, t.flagColumn)) continue;
    auto section = ReadRawRow(archive, SelectByIdNo(archive, t.table), {idNo});
    if (!section) continue;
    const std::vector<std::string>& cols = layouts.sections[i];
    if (ReadRawRow(patients, SelectByIdNo(patients, t.table), {idNo}))
      ok = UpdateRow(patients, t.table, cols, *section, "IDNo", {{"IDNo", idNo}});
    else
      ok = InsertRow(patients, t.table, cols, *section);
  }

  TransferResult counts;
  if (ok) {
    ArchiveReadings readings;
    ok = ReadArchiveReadings(archive, idNo, period, readings, counts.readingsSkipped);
    if (ok && !readings.readings.empty()) ok = MergeReadings(patients, idNo, readings, counts);
  }
  // Any failed statement, a read included, leaves the patient as it was.
  if (!ok || watch.failed() || archiveWatch.failed() || !tx.Commit()) return MergeOutcome::Failed;
  result.readingsAdded += counts.readingsAdded;
  result.readingsUpdated += counts.readingsUpdated;
  result.readingsSkipped += counts.readingsSkipped;
  return MergeOutcome::Merged;
}

}  // namespace

TransferResult WriteArchive(Database& patients, const std::vector<PatientKey>& keys,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter) {
  if (!patients.ok()) return FailedRun(prompter, {});
  // A new file beside the old one, put in its place only when every patient is in it.
  SafeFileWriter file(path);
  if (!file.ok())
    return FailedRun(prompter, WriteTargetText(file.problem(),
                                               LookupText("FileMsg", "ArcMsg9", "Cannot create the archive file: ") + path));
  TransferResult result;
  {
    Database archive = Database::OpenFile(file.tempPath());
    if (!archive.ok()) return FailedRun(prompter, OpenFailText(archive));
    TellFailures(archive, prompter);

    // The profile tables exactly as the patient database has them; readings go inline.
    if (!CreateSchema(archive)) return FailedRun(prompter, WriteFailedArchiveText());
    archive.ExecQuiet("DROP TABLE GlucoDetail;");

    // Other desks file into a server's book while the run reads it: every patient's row,
    // sections, readings and details come from one moment.
    Database::ReadSnapshot snapshot(patients, Database::ReadSnapshot::kLongRun);
    if (!snapshot.ok()) return FailedRun(prompter, OpenFailText(patients));
    const TableLayouts layouts = ReadTableLayouts(patients);
    for (const PatientKey& key : CollectPatients(patients, keys)) {
      const std::string& name = key.fullName;
      FailureWatch watch(patients), archiveWatch(archive);
      auto row = ReadPatientRow(patients, key);
      if (watch.failed()) return FailedRun(prompter, ReadFailedText(name));
      if (!row) continue;
      const std::string idNo = RawText(*row, kPatIDNo);
      Database::Transaction tx(archive);
      bool ok = tx.ok() && InsertRow(archive, "Patient", layouts.patient, *row);
      for (size_t i = 0; i < kProfileTables.size() && ok; ++i) {
        const ProfileTableFlag& t = kProfileTables[i];
        if (!RawFlag(*row, t.flagColumn)) continue;
        if (auto section = ReadRawRow(patients, SelectByIdNo(patients, t.table), {idNo}))
          ok = InsertRow(archive, t.table, layouts.sections[i], *section);
      }
      int written = ok ? WriteArchiveReadings(patients, archive, idNo, period) : -1;
      // Nothing is written from half-read data, and a patient missing from the file must
      // not pass for written: the whole file is dropped, the old one kept.
      if (written < 0 || watch.failed() || archiveWatch.failed() || !tx.Commit())
        return FailedRun(prompter, LookupText("FileMsg", "ArcMsg4", "This patient could not be written to "
                                                       "the archive file: ") + name);
      ++result.patients;
      result.readingsWritten += written;
    }
  }
  if (!file.Commit()) return FailedRun(prompter, WriteFailedArchiveText());
  return result;
}

TransferResult MergeArchive(Database& patients, const std::vector<PatientKey>& keys,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter) {
  if (!patients.ok()) return FailedRun(prompter, {});
  std::error_code ec;
  // Opening would create an empty file where none is; there is nothing to merge from.
  if (!std::filesystem::is_regular_file(path, ec))
    return FailedRun(prompter, LookupText("FileMsg", "ArcMsg1", "The archive file does not exist: ") + path);
  Database archive = Database::OpenFile(path);
  if (!archive.ok()) return FailedRun(prompter, OpenFailText(archive));
  TellFailures(archive, prompter);
  if (!archive.TableExists("Patient"))
    return FailedRun(prompter, LookupText("FileMsg", "ArcMsg2", "The file holds no archived patients: ") + path);

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
      fail(LookupText("FileMsg", "ArcMsg10", "Several archived patients have this name and none has its "
                               "ID No.; nothing was merged for it: ") +
           key.fullName + " (" + key.IDNo + ")");

    for (const PatientKey& a : archived) {
      auto arow = ReadPatientRow(archive, a);
      if (!arow) continue;
      auto target = MergeTarget(patients, a, key.IDNo, named);
      if (!target) {
        fail(LookupText("FileMsg", "ArcMsg11", "Several patients have this name and none has the archived "
                                 "ID No.; nothing was merged for it: ") +
             a.fullName + " (" + a.IDNo + ")");
        continue;
      }
      std::string refusal;
      const MergeOutcome outcome =
          MergePatient(patients, archive, layouts, *arow, *target, period, result, refusal);
      if (outcome != MergeOutcome::Merged) {
        fail(outcome == MergeOutcome::Refused
                 ? refusal
                 : LookupText("FileMsg", "ArcMsg5", "This patient could not be merged; nothing was changed "
                                       "for it: ") + a.fullName);
        continue;
      }
      ++result.patients;
      result.dataChanged = true;
    }
  }
  if (result.readingsSkipped > 0)
    prompter.Message(LookupText("FileMsg", "ArcMsg8", "Readings of the archive with an impossible date, time or "
                                         "value were skipped: ") +
                     std::to_string(result.readingsSkipped));
  return result;
}

}  // namespace meridane
