#include "store/reading_store.h"

#include <algorithm>
#include <unordered_map>

#include "store/columns.h"

namespace meridane {

namespace {

std::string IntText(int v) { return std::to_string(v); }

// The detail columns as stored text, in table order after IDNo and idx.
std::vector<std::string> DetailValues(const GlucoDetailRecord& d) {
  GlucoDetailRecord copy = d;
  std::vector<std::string> v;
  for (const ColumnRef& c : DetailColumns(copy)) v.push_back(ColumnText(c));
  return v;
}

std::string DetailUpdateSql() {
  GlucoDetailRecord d;
  std::string sql = "UPDATE GlucoDetail SET ";
  bool first = true;
  for (const ColumnRef& c : DetailColumns(d)) {
    if (!first) sql += ", ";
    first = false;
    sql += c.name;
    sql += "=?";
  }
  sql += " WHERE IDNo =? AND idx=?;";
  return sql;
}

constexpr const char* kDetailInsertSql =
    "INSERT INTO GlucoDetail VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);";
constexpr const char* kDetailExistsSql = "SELECT * FROM GlucoDetail WHERE IDNo = ? AND idx=?;";

// Prepared once per save, reused for every reading.
struct DetailWriter {
  explicit DetailWriter(Database& db)
      : exists(db.Prepare(kDetailExistsSql)),
        insert(db.Prepare(kDetailInsertSql)),
        update(db.Prepare(DetailUpdateSql())) {}

  bool Write(const std::string& idNo, int idx, const GlucoDetailRecord& d) {
    const std::string idxText = IntText(idx);
    exists.Reset();
    exists.Bind(1, idNo).Bind(2, idxText);
    const bool found = exists.Step();
    exists.Reset();
    const std::vector<std::string> values = DetailValues(d);
    Statement& st = found ? update : insert;
    st.Reset();
    // Insert: IDNo, idx, fields. Update: fields, then IDNo and idx of the WHERE.
    int i = 1;
    if (!found) {
      st.Bind(i++, idNo);
      st.Bind(i++, idxText);
    }
    for (const std::string& v : values) st.Bind(i++, v);
    if (found) {
      st.Bind(i++, idNo);
      st.Bind(i++, idxText);
    }
    return st.Run();
  }

  Statement exists, insert, update;
};

// One reading row into memory. Unreadable values keep the field's empty value: a bad date
// reads as 1970-01-01 00:00, a bad number as 0, so the row still loads and a later save,
// which writes only the meal by idx, changes nothing else.
void ReadReadingRow(const Statement& st, GlucoReading& r) {
  ColumnRef idx{"idx", &r.idx};
  ReadColumnText(idx, st.TextView(0), st.IsNull(0));
  if (auto at = ParseDateTime(st.TextView(1));
      at && IsValidDate(at->date()) && at->hour >= 0 && at->hour < 24 && at->minute >= 0 &&
      at->minute < 60) {
    r.at = *at;
  }
  ColumnRef gluco{"gluco", &r.gluco};
  ReadColumnText(gluco, st.TextView(2), st.IsNull(2));
  int meal = 0;
  ColumnRef mealRef{"meal", &meal};
  ReadColumnText(mealRef, st.TextView(3), st.IsNull(3));
  r.slot = SlotOfMeal(meal);
  r.mark = MarkOfMeal(meal);
  ColumnRef medicalNo{"medicalNo", &r.medicalNo};
  ReadColumnText(medicalNo, st.TextView(4), st.IsNull(4));
}

}  // namespace

bool EnsureReadingsTable(Database& db, const std::string& idNo) {
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
                       db);
}

void LoadReadings(Database& db, const CPatientProfile& patient, ReadingTable& table,
                  const SlotClassifier& classify) {
  table.Clear();
  const std::string& id = patient.IDNo;
  if (id.empty() || !db.TableExists(ReadingsTableName(id))) return;
  {
    Statement st = db.Prepare("SELECT * FROM " + QuotedReadingsTable(id) + ";");
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
  std::unordered_map<int, size_t> byIdx;
  byIdx.reserve(table.entries.size());
  for (size_t i = 0; i < table.entries.size(); ++i) byIdx.emplace(table.entries[i].idx, i);
  {
    Statement st = db.Prepare("SELECT * FROM GlucoDetail WHERE IDNo = ?;");
    st.Bind(1, id);
    int idx = 0;
    ColumnRef idxRef{"idx", &idx};
    while (st.Step()) {
      if (!ReadColumnText(idxRef, st.TextView(1), st.IsNull(1))) continue;
      auto it = byIdx.find(idx);
      if (it == byIdx.end()) continue;  // details of a reading that is gone stay untouched
      ReadColumns(DetailColumns(table.entries[it->second].detail), st, 2);
    }
  }
  std::stable_sort(table.entries.begin(), table.entries.end(),
                   [](const GlucoReading& a, const GlucoReading& b) { return a.at < b.at; });
}

bool SaveReadingEdits(Database& db, const CPatientProfile& patient, const ReadingTable& table) {
  const std::string& id = patient.IDNo;
  if (id.empty()) return true;
  bool ok = true;
  {
    Database::Transaction tx(db);
    Statement st = db.Prepare("UPDATE " + QuotedReadingsTable(id) + " SET meal=? WHERE idx=?");
    for (const GlucoReading& r : table.entries) {
      st.Reset();
      st.Bind(1, IntText(r.MealCode())).Bind(2, IntText(r.idx));
      ok = st.Run() && ok;  // a failing row is reported and the others still go in
    }
    ok = tx.Commit() && ok;
  }
  {
    Database::Transaction tx(db);
    DetailWriter writer(db);
    for (const GlucoReading& r : table.entries) {
      if (!r.detail.IsNonEmpty()) continue;
      ok = writer.Write(id, r.idx, r.detail) && ok;
    }
    ok = tx.Commit() && ok;
  }
  return ok;
}

int64_t InsertReading(Database& db, const std::string& idNo, const DateTime& at, int gluco,
                      int meal, int medicalNo) {
  Statement st =
      db.Prepare("INSERT INTO " + QuotedReadingsTable(idNo) + " VALUES( null,?,?,?,?);");
  st.Bind(1, FormatDateTime(at))
      .Bind(2, IntText(gluco))
      .Bind(3, IntText(meal))
      .Bind(4, IntText(medicalNo));
  if (!st.Run()) return -1;
  return db.LastInsertRowId();
}

std::vector<GlucoDetailRecord> LoadDetails(Database& db, const std::string& idNo) {
  std::vector<GlucoDetailRecord> out;
  Statement st = db.Prepare("SELECT * FROM GlucoDetail WHERE IDNo = ?;");
  st.Bind(1, idNo);
  while (st.Step()) {
    GlucoDetailRecord& d = out.emplace_back();
    d.IDNo = idNo;
    ColumnRef idx{"idx", &d.idx};
    ReadColumnText(idx, st.TextView(1), st.IsNull(1));
    ReadColumns(DetailColumns(d), st, 2);
  }
  return out;
}

bool WriteDetail(Database& db, const std::string& idNo, int idx, const GlucoDetailRecord& d) {
  DetailWriter writer(db);
  return writer.Write(idNo, idx, d);
}

}  // namespace meridane
