#include "store/reading_store.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "store/columns.h"
#include "store/patient_store.h"

namespace meridane {

namespace {

std::string IntText(int v) { return std::to_string(v); }

// The whole row of a reading's details: its key (IDNo, idx) replaces any row it had, which
// is the update of every column that a row found before would have had.
constexpr const char* kDetailWriteHead = "INSERT OR REPLACE INTO GlucoDetail VALUES";
constexpr const char* kServerDetailWriteHead = "INSERT INTO GlucoDetail VALUES";
constexpr const char* kDetailRow = "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
constexpr int kDetailRowValues = 25;  // IDNo, idx and the detail columns

// A server has no INSERT OR REPLACE: the row's key taking every column of the new values
// is the same replacement.
const std::string& ServerDetailConflict() {
  static const std::string tail = [] {
    GlucoDetailRecord d;
    std::string sql = " ON CONFLICT (IDNo, idx) DO UPDATE SET ";
    bool first = true;
    for (const ColumnRef& c : DetailColumns(d)) {
      (sql += first ? "" : ", ") += std::string(c.name) + "=EXCLUDED." + c.name;
      first = false;
    }
    return sql;
  }();
  return tail;
}

// `head` followed by `rows` copies of `row`, comma-separated.
std::string ManyRowSql(const std::string& head, const char* row, size_t rows,
                       const std::string& tail = "") {
  std::string sql = head;
  for (size_t i = 0; i < rows; ++i) (sql += i ? "," : "") += row;
  return sql + tail + ";";
}

std::string DetailWriteSql(const Database& db, size_t rows) {
  return db.server() ? ManyRowSql(kServerDetailWriteHead, kDetailRow, rows, ServerDetailConflict())
                     : ManyRowSql(kDetailWriteHead, kDetailRow, rows);
}

}  // namespace

std::string SelectReadings(const Database& db, const std::string& idNo, const char* columns,
                           std::string_view condition, bool idxOrder) {
  std::string sql = std::string("SELECT ") + columns;
  if (db.server()) {
    sql += " FROM readings WHERE IDNo = ?";
    if (!condition.empty()) (sql += " AND ") += condition;
    return sql + " ORDER BY idx;";
  }
  sql += " FROM " + QuotedReadingsTable(idNo);
  if (!condition.empty()) (sql += " WHERE ") += condition;
  return sql + (idxOrder ? " ORDER BY idx;" : ";");
}

Statement PrepareReadings(Database& db, const std::string& idNo, const char* columns,
                          std::string_view condition, bool idxOrder) {
  Statement st = db.Prepare(SelectReadings(db, idNo, columns, condition, idxOrder));
  if (db.server()) st.Bind(1, idNo);
  return st;
}

namespace {
// The date index of a file book's readings table: its name starts with no "G", so it can
// never be the readings table name of a patient yet to come.
constexpr const char* kDateIndexPrefix = "byDate ";
std::string DateIndexName(const std::string& table) { return QuoteIdentifier(kDateIndexPrefix + table); }
}  // namespace

bool HasReadingsTable(Database& db, const std::string& idNo) {
  return db.server() || db.TableExists(ReadingsTableName(idNo));
}

namespace {

// One detail row's values from parameter `first` on: its key, then its columns.
void BindDetailRow(Statement& st, int first, const std::string& idNo, int64_t idx,
                   const GlucoDetailRecord& d) {
  GlucoDetailRecord copy = d;  // the column list refers to the fields it fills
  st.Bind(first, idNo).BindInt(first + 1, idx);
  BindColumns(st, first + 2, DetailColumns(copy));
}

// Prepared once per save, reused for every reading.
struct DetailWriter {
  explicit DetailWriter(Database& db) : write(db.Prepare(DetailWriteSql(db, 1))) {}

  bool Write(const std::string& idNo, int idx, const GlucoDetailRecord& d) {
    write.Reset();
    BindDetailRow(write, 1, idNo, idx, d);
    return write.Run();
  }

  Statement write;
};

// One reading row into memory. Unreadable values keep the field's empty value: a bad date
// reads as 1970-01-01 00:00, a bad number as 0, so the row still loads and a later save,
// which writes only the meal by idx, changes nothing else.
void ReadReadingRow(const Statement& st, GlucoReading& r) {
  ColumnRef idx{"idx", &r.idx};
  ReadColumn(idx, st, 0);
  if (auto at = ParseDateTime(st.TextView(1)); at && IsValidDateTime(*at)) r.at = *at;
  ColumnRef gluco{"gluco", &r.gluco};
  ReadColumn(gluco, st, 2);
  int meal = 0;
  ColumnRef mealRef{"meal", &meal};
  ReadColumn(mealRef, st, 3);
  r.slot = SlotOfMeal(meal);
  r.mark = MarkOfMeal(meal);
  ColumnRef medicalNo{"medicalNo", &r.medicalNo};
  ReadColumn(medicalNo, st, 4);
}

// Earliest first; equal times keep their stored (idx) order. Readings usually arrive in
// time order already, and otherwise only small keys are sorted, not whole entries.
void SortByTime(std::vector<GlucoReading>& entries) {
  auto earlier = [](const GlucoReading& a, const GlucoReading& b) { return a.at < b.at; };
  if (std::is_sorted(entries.begin(), entries.end(), earlier)) return;
  auto key = [](const DateTime& t) {
    return ((((static_cast<int64_t>(t.year) * 16 + t.month) * 32 + t.day) * 32 + t.hour) * 64) +
           t.minute;
  };
  std::vector<std::pair<int64_t, size_t>> order(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) order[i] = {key(entries[i].at), i};
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<GlucoReading> sorted;
  sorted.reserve(entries.size());
  for (const auto& o : order) sorted.push_back(std::move(entries[o.second]));
  entries.swap(sorted);
}

// The idx of every GlucoDetail row of the patient, sorted.
std::vector<int> DetailRowIdx(Database& db, const std::string& idNo) {
  std::vector<int> out;
  Statement st = db.Prepare("SELECT idx FROM GlucoDetail WHERE IDNo = ?;");
  st.Bind(1, idNo);
  int idx = 0;
  ColumnRef idxRef{"idx", &idx};
  while (st.Step())
    if (ReadColumn(idxRef, st, 0)) out.push_back(idx);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

bool EnsureReadingsTable(Database& db, const std::string& idNo) {
  if (db.server()) return true;
  // The one statement whose table name is written into the text: its text is what
  // sqlite_master keeps. Doubling apostrophes keeps any IDNo inside the quotes.
  std::string quoted;
  for (char c : idNo) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return ExecStatement("CREATE TABLE IF NOT EXISTS 'G" + quoted +
                           "' (idx INTEGER PRIMARY KEY AUTOINCREMENT, glucoDate DATETIME, "
                           "gluco INTEGER, meal INTEGER, medicalNo INTEGER);",
                       db) &&
         ExecStatement("CREATE INDEX IF NOT EXISTS " + DateIndexName(ReadingsTableName(idNo)) +
                           " ON " + QuotedReadingsTable(idNo) + "(glucoDate);",
                       db);
}

bool EnsureReadingDateIndexes(Database& db) {
  if (db.server()) return true;
  // SQLite compares names without case (ASCII only); tables and indexes share the names.
  auto folded = [](std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  };
  std::set<std::string> taken, indexed;
  std::vector<std::string> tables;
  {
    Statement st = db.Prepare("SELECT type, name, tbl_name FROM sqlite_master;");
    while (st.Step()) {
      const std::string type = st.Text(0), name = st.Text(1);
      taken.insert(folded(name));
      if (type == "index" && name.rfind(kDateIndexPrefix, 0) == 0) indexed.insert(folded(st.Text(2)));
      if (type == "table" && name.size() > 1 && name[0] == 'G' && name != "GlucoDetail")
        tables.push_back(name);
    }
    if (!st.ok()) return false;
  }
  std::vector<std::string> missing;
  for (const std::string& t : tables)
    if (!indexed.count(folded(t))) missing.push_back(t);
  if (missing.empty()) return true;
  Database::Transaction tx(db);
  if (!tx.ok()) return false;
  bool ok = true;
  for (const std::string& table : missing) {
    // A table renamed to another patient's IDNo took its index, name and all, along.
    std::string name = kDateIndexPrefix + table;
    for (int n = 2; taken.count(folded(name)); ++n) name = kDateIndexPrefix + table + " " + std::to_string(n);
    taken.insert(folded(name));
    ok = db.ExecQuiet("CREATE INDEX " + QuoteIdentifier(name) + " ON " + QuoteIdentifier(table) +
                      "(glucoDate);") && ok;
  }
  return tx.Commit() && ok;
}

bool LoadReadings(Database& db, const CPatientProfile& patient, ReadingTable& table,
                  const SlotClassifier& classify) {
  FailureWatch watch(db);
  table.Clear();
  const std::string& id = patient.IDNo;
  if (id.empty() || !HasReadingsTable(db, id)) return !watch.failed();
  {
    Statement st = PrepareReadings(db, id, "idx, glucoDate, gluco, meal, medicalNo");
    while (st.Step()) {
      GlucoReading& r = table.entries.emplace_back();
      ReadReadingRow(st, r);
    }
  }
  if (classify) {
    for (GlucoReading& r : table.entries)
      if (r.slot == 0) r.slot = classify(patient, r.at);
  }
  // The first entry with an idx takes its details, as the table has always been matched.
  // Rows come in idx order, so this index is normally sorted already.
  std::vector<std::pair<int, size_t>> byIdx(table.entries.size());
  for (size_t i = 0; i < table.entries.size(); ++i) byIdx[i] = {table.entries[i].idx, i};
  auto idxLess = [](const auto& a, const auto& b) { return a.first < b.first; };
  if (!std::is_sorted(byIdx.begin(), byIdx.end(), idxLess))
    std::stable_sort(byIdx.begin(), byIdx.end(), idxLess);
  {
    Statement st = db.Prepare("SELECT * FROM GlucoDetail WHERE IDNo = ?;");
    st.Bind(1, id);
    int idx = 0;
    ColumnRef idxRef{"idx", &idx};
    while (st.Step()) {
      if (!ReadColumn(idxRef, st, 1)) continue;
      auto it = std::lower_bound(byIdx.begin(), byIdx.end(), std::pair<int, size_t>{idx, 0},
                                 idxLess);
      if (it == byIdx.end() || it->first != idx) continue;  // reading gone: row left alone
      ReadColumns(DetailColumns(table.entries[it->second].detail), st, 2);
    }
  }
  SortByTime(table.entries);
  return !watch.failed();
}

bool ForEachStoredReading(Database& db, const std::string& idNo, const StoredReadingVisitor& row) {
  FailureWatch watch(db);
  if (idNo.empty() || !HasReadingsTable(db, idNo)) return !watch.failed();
  Statement st = PrepareReadings(db, idNo, "glucoDate, gluco, meal");
  int gluco = 0, meal = 0;
  ColumnRef glucoRef{"gluco", &gluco}, mealRef{"meal", &meal};
  while (st.Step()) {
    std::optional<DateTime> at = ParseDateTime(st.TextView(0));
    if (!at) continue;
    gluco = meal = 0;
    ReadColumn(glucoRef, st, 1);
    ReadColumn(mealRef, st, 2);
    row(*at, gluco, meal);
  }
  return !watch.failed();
}

namespace {

// The readings of one patient whose table is known to exist.
void VisitReadingsBetween(Database& db, const std::string& idNo, const Date& first,
                          const Date& last, const StoredReadingVisitor& row) {
  // From the first day's date on, to before the day after the last: every time of the last
  // day, with or without seconds, sorts before the next day's bare date.
  Statement st = db.Prepare(
      db.server() ? "SELECT glucoDate, gluco, meal FROM readings WHERE IDNo = ? AND "
                    "glucoDate >= ? AND glucoDate < ? ORDER BY idx;"
                  : "SELECT glucoDate, gluco, meal FROM " + QuotedReadingsTable(idNo) +
                        " WHERE glucoDate >= ? AND glucoDate < ? ORDER BY glucoDate;");
  const int b = db.server() ? 2 : 1;
  if (db.server()) st.Bind(1, idNo);
  st.Bind(b, FormatDate(first)).Bind(b + 1, FormatDate(AddDays(last, 1)));
  int gluco = 0, meal = 0;
  ColumnRef glucoRef{"gluco", &gluco}, mealRef{"meal", &meal};
  while (st.Step()) {
    std::optional<DateTime> at = ParseDateTime(st.TextView(0));
    if (!at || at->date() < first || last < at->date()) continue;
    gluco = meal = 0;
    ReadColumn(glucoRef, st, 1);
    ReadColumn(mealRef, st, 2);
    row(*at, gluco, meal);
  }
}

// Up to this many patients a server is asked patient by patient, each through its index;
// past it, for the period's readings of the whole book at once.
constexpr size_t kPatientsOneByOne = 50;

// The period's readings of the whole book streamed as text lines "IDNo<TAB>gluco<TAB>meal":
// the server sends rows as fast as it reads its period index, with no grouping to wait for
// and no answer of millions of rows held in memory. COPY takes no parameters, so the period
// goes in as two settings of the connection, bound as any value is.
void ServerValuesBetween(Database& db, const std::vector<std::string>& idNos, const Date& first,
                         const Date& last, const PatientReadingVisitor& row) {
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, std::vector<size_t>, Hash, std::equal_to<>> positions;
  for (size_t i = 0; i < idNos.size(); ++i) positions[idNos[i]].push_back(i);
  Statement period = db.Prepare(
      "SELECT set_config('meridane.period_from', ?, false), "
      "set_config('meridane.period_to', ?, false);");
  period.Bind(1, FormatDate(first)).Bind(2, FormatDate(AddDays(last, 1)));
  if (!period.Step()) return;
  std::string scratch;
  bool unreadable = false;
  const bool copied = db.CopyOut(
      "COPY (SELECT IDNo, gluco, meal FROM readings WHERE "
      "glucoDate >= current_setting('meridane.period_from')::timestamp AND "
      "glucoDate < current_setting('meridane.period_to')::timestamp) TO STDOUT;",
      [&](std::string_view line) {
        const size_t tab2 = line.rfind('\t');
        const size_t tab1 = tab2 == std::string_view::npos ? tab2 : line.rfind('\t', tab2 - 1);
        int gluco = 0, meal = 0;
        const char* end = line.data() + line.size();
        if (tab1 == std::string_view::npos ||
            std::from_chars(line.data() + tab1 + 1, line.data() + tab2, gluco).ptr !=
                line.data() + tab2 ||
            std::from_chars(line.data() + tab2 + 1, end, meal).ptr != end) {
          unreadable = true;
          return;
        }
        auto it = positions.find(UnescapeCopyText(line.substr(0, tab1), scratch));
        if (it == positions.end()) return;
        for (size_t patient : it->second) row(patient, gluco, meal);
      });
  if (copied && unreadable) db.RecordFailure("the server sent readings that could not be read");
}

}  // namespace

bool ForEachStoredReadingBetween(Database& db, const std::string& idNo, const Date& first,
                                 const Date& last, const StoredReadingVisitor& row) {
  FailureWatch watch(db);
  if (!idNo.empty() && !(last < first) && HasReadingsTable(db, idNo))
    VisitReadingsBetween(db, idNo, first, last, row);
  return !watch.failed();
}

bool ForEachStoredReadingBetween(Database& db, const std::vector<std::string>& idNos,
                                 const Date& first, const Date& last,
                                 const PatientReadingVisitor& row) {
  FailureWatch watch(db);
  if (last < first) return true;
  if (db.server() && idNos.size() > kPatientsOneByOne) {
    ServerValuesBetween(db, idNos, first, last, row);
    return !watch.failed();
  }
  Database::ReadSnapshot snapshot(db);
  // Every readings table's name in one look rather than one look per patient; names as
  // they are written, as TableExists compares them.
  std::set<std::string> tables;
  if (!db.server()) {
    Statement st = db.Prepare("SELECT name FROM sqlite_master WHERE type='table';");
    while (st.Step()) tables.insert(st.Text(0));
  }
  for (size_t i = 0; i < idNos.size(); ++i) {
    const std::string& id = idNos[i];
    if (id.empty() || (!db.server() && !tables.count(ReadingsTableName(id)))) continue;
    VisitReadingsBetween(db, id, first, last,
                         [&](const DateTime&, int gluco, int meal) { row(i, gluco, meal); });
  }
  return !watch.failed();
}

PatientCheck SaveReadingEdits(Database& db, CPatientProfile& patient, const ReadingTable& table) {
  const std::string& id = patient.IDNo;
  if (id.empty()) return PatientCheck::Current;
  bool ok = true;
  int64_t revision = patient.revision;
  {
    Database::Transaction tx(db);
    if (!tx.ok()) return PatientCheck::Failed;
    if (PatientCheck check = ClaimPatientSave(db, patient, &revision); check != PatientCheck::Current)
      return check;
    Statement st = db.Prepare(db.server() ? "UPDATE readings SET meal=? WHERE idx=? AND IDNo=?;"
                                          : "UPDATE " + QuotedReadingsTable(id) + " SET meal=? WHERE idx=?");
    for (const GlucoReading& r : table.entries) {
      st.Reset();
      st.Bind(1, IntText(r.MealCode())).Bind(2, IntText(r.idx));
      if (db.server()) st.Bind(3, id);
      ok = st.Run() && ok;  // a failing row is reported and the others still go in
    }
    ok = tx.Commit() && ok;
  }
  if (ok) patient.revision = revision;
  {
    Database::Transaction tx(db);
    if (!tx.ok()) return PatientCheck::Failed;
    DetailWriter writer(db);
    // A reading whose details were all cleared loses its row; left in place, the old
    // details would come back with the next load.
    const std::vector<int> withRows = DetailRowIdx(db, id);
    Statement remove = db.Prepare("DELETE FROM GlucoDetail WHERE IDNo = ? AND idx=?;");
    for (const GlucoReading& r : table.entries) {
      if (r.detail.IsNonEmpty()) {
        ok = writer.Write(id, r.idx, r.detail) && ok;
      } else if (std::binary_search(withRows.begin(), withRows.end(), r.idx)) {
        remove.Reset();
        remove.Bind(1, id).Bind(2, IntText(r.idx));
        ok = remove.Run() && ok;
      }
    }
    ok = tx.Commit() && ok;
  }
  return ok ? PatientCheck::Current : PatientCheck::Failed;
}

int64_t InsertReading(Database& db, const std::string& idNo, const DateTime& at, int gluco,
                      int meal, int medicalNo) {
  return ReadingWriter(db, idNo).Insert(at, gluco, meal, medicalNo);
}

// A server gives each new reading its idx from the book's sequence and names it back; the
// patient's IDNo is the last value of each row there.
constexpr const char* kServerReadingHead =
    "INSERT INTO readings(glucoDate, gluco, meal, medicalNo, IDNo) VALUES";

struct ReadingWriter::Statements {
  Statements(Database& db, const std::string& idNo)
      : insert(db.Prepare(db.server()
                              ? std::string(kServerReadingHead) + "(?,?,?,?,?) RETURNING idx;"
                              : "INSERT INTO " + QuotedReadingsTable(idNo) + " VALUES( null,?,?,?,?);")) {}
  Statement insert;
  // The many-row statements by their number of rows, and InsertAll's check of the idx given.
  std::map<size_t, Statement> readingBatches;
  std::map<size_t, Statement> detailBatches;
  Statement idxRange;
};

namespace {
// Rows to one many-row statement, well inside SQLite's 999 parameters: readings take four
// values each, details 25.
constexpr size_t kBatchRows = 100;
constexpr size_t kDetailBatchRows = 32;

// The statement of `rows` rows from `cache`, prepared the first time that many are written.
Statement& BatchStatement(std::map<size_t, Statement>& cache, Database& db, size_t rows,
                          const std::string& head, const char* row, const std::string& tail = "") {
  auto [it, added] = cache.try_emplace(rows);
  if (added) it->second = db.Prepare(ManyRowSql(head, row, rows, tail));
  it->second.Rewind();  // every parameter is bound again
  return it->second;
}

// One reading's four values from parameter `first` on; the numbers as numbers: the INTEGER
// columns store them so from text too. A server's row takes the IDNo fifth.
int BindReading(Statement& st, int first, const DateTime& at, int gluco, int meal, int medicalNo,
                const Database& db, const std::string& idNo) {
  st.Bind(first, FormatDateTime(at)).BindInt(first + 1, gluco).BindInt(first + 2, meal);
  st.BindInt(first + 3, medicalNo);
  if (!db.server()) return 4;
  st.Bind(first + 4, idNo);
  return 5;
}

}  // namespace

ReadingWriter::ReadingWriter(Database& db, const std::string& idNo)
    : db_(db), idNo_(idNo), st_(std::make_unique<Statements>(db, idNo)) {}

ReadingWriter::~ReadingWriter() = default;

int64_t ReadingWriter::Insert(const DateTime& at, int gluco, int meal, int medicalNo) {
  Statement& st = st_->insert;
  st.Rewind();  // every parameter is bound again below
  BindReading(st, 1, at, gluco, meal, medicalNo, db_, idNo_);
  if (db_.server()) return st.Step() ? st.Int(0) : -1;
  if (!st.Run()) return -1;
  return db_.LastInsertRowId();
}

bool ReadingWriter::InsertAll(const std::vector<NewReading>& readings, std::vector<int64_t>& idx) {
  idx.clear();
  idx.reserve(readings.size());
  if (db_.server()) return InsertAllOnServer(readings, idx);
  for (size_t done = 0; done < readings.size();) {
    const size_t rows = std::min(kBatchRows, readings.size() - done);
    // OR FAIL: a failed row fails the statement and, with it, the caller's transaction,
    // so SQLite need not keep the pages each statement changes to undo it alone.
    Statement& st = BatchStatement(st_->readingBatches, db_, rows,
                                   "INSERT OR FAIL INTO " + QuotedReadingsTable(idNo_) + " VALUES",
                                   "(null,?,?,?,?)");
    int b = 1;
    for (size_t i = done; i < done + rows; ++i) {
      const NewReading& r = readings[i];
      b += BindReading(st, b, r.at, r.gluco, r.meal, r.medicalNo, db_, idNo_);
    }
    if (!st.Run()) return false;
    // The rows of one statement take the idx after the largest ever given, one by one;
    // that they did is checked rather than assumed, since details are filed by them.
    const int64_t last = db_.LastInsertRowId();
    const int64_t first = last - static_cast<int64_t>(rows) + 1;
    Statement& check = st_->idxRange;
    if (!check.ok())
      check = db_.Prepare("SELECT count(*), min(idx), max(idx) FROM " + QuotedReadingsTable(idNo_) +
                          " WHERE idx>=?;");
    check.Reset();
    check.BindInt(1, first);
    if (!check.Step() || check.Int(0) != static_cast<int64_t>(rows) || check.Int(1) != first ||
        check.Int(2) != last) {
      db_.RecordFailure("the readings just added did not get consecutive idx");
      return false;
    }
    for (int64_t i = first; i <= last; ++i) idx.push_back(i);
    done += rows;
  }
  return true;
}

bool ReadingWriter::InsertAllOnServer(const std::vector<NewReading>& readings,
                                      std::vector<int64_t>& idx) {
  for (size_t done = 0; done < readings.size();) {
    const size_t rows = std::min(kBatchRows, readings.size() - done);
    Statement& st = BatchStatement(st_->readingBatches, db_, rows, kServerReadingHead,
                                   "(?,?,?,?,?)", " RETURNING idx");
    int b = 1;
    for (size_t i = done; i < done + rows; ++i) {
      const NewReading& r = readings[i];
      b += BindReading(st, b, r.at, r.gluco, r.meal, r.medicalNo, db_, idNo_);
    }
    // The server names the idx of each row in the order the rows were given.
    size_t named = 0;
    while (st.Step()) {
      idx.push_back(st.Int(0));
      ++named;
    }
    if (named != rows) {
      if (named) db_.RecordFailure("the readings just added were not all given an idx");
      return false;
    }
    done += rows;
  }
  return true;
}

bool ReadingWriter::WriteDetails(const std::vector<IndexedDetail>& given) {
  // One statement may not update a server's row twice: of two details for one idx, the
  // later stays, as it does on the file.
  std::vector<IndexedDetail> once;
  if (db_.server()) {
    std::set<int64_t> seen;
    for (auto it = given.rbegin(); it != given.rend(); ++it)
      if (seen.insert(it->idx).second) once.push_back(*it);
    std::reverse(once.begin(), once.end());
  }
  const std::vector<IndexedDetail>& details = db_.server() ? once : given;
  for (size_t done = 0; done < details.size();) {
    const size_t rows = std::min(kDetailBatchRows, details.size() - done);
    Statement& st = BatchStatement(st_->detailBatches, db_, rows,
                                   db_.server() ? kServerDetailWriteHead : kDetailWriteHead,
                                   kDetailRow, db_.server() ? ServerDetailConflict() : "");
    int b = 1;
    for (size_t i = done; i < done + rows; ++i, b += kDetailRowValues)
      BindDetailRow(st, b, idNo_, details[i].idx, *details[i].detail);
    if (!st.Run()) return false;
    done += rows;
  }
  return true;
}

std::vector<GlucoDetailRecord> LoadDetails(Database& db, const std::string& idNo) {
  std::vector<GlucoDetailRecord> out;
  Statement st = db.Prepare("SELECT * FROM GlucoDetail WHERE IDNo = ?;");
  st.Bind(1, idNo);
  while (st.Step()) {
    GlucoDetailRecord& d = out.emplace_back();
    d.IDNo = idNo;
    ColumnRef idx{"idx", &d.idx};
    ReadColumn(idx, st, 1);
    ReadColumns(DetailColumns(d), st, 2);
  }
  return out;
}

bool WriteDetail(Database& db, const std::string& idNo, int idx, const GlucoDetailRecord& d) {
  DetailWriter writer(db);
  return writer.Write(idNo, idx, d);
}

}  // namespace meridane
