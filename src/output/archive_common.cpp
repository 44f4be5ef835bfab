#include "output/archive_common.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/data_paths.h"
#include "base/text_lookup.h"
#include "store/reading_store.h"

namespace meridane {

namespace {
std::string DayBound(int y, int m, int d, const char* clock) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %s", y, m, d, clock);
  return buf;
}
}  // namespace

TransferPeriod TransferPeriod::WholeDays(const Date& first, const Date& last) {
  TransferPeriod p;
  p.from = {first.year, first.month, first.day, 0, 0};
  p.fromSecond = 0;
  p.to = {last.year, last.month, last.day, 23, 59};
  p.toSecond = 59;
  return p;
}

bool TransferPeriod::Contains(const DateTime& at) const {
  // A stored reading has seconds 00: it is at or after `from` only when `from` has none
  // left over in the same minute, and never after `to` within `to`'s own minute.
  bool afterFrom = at > from || (at == from && fromSecond == 0);
  bool beforeTo = at <= to;
  return afterFrom && beforeTo;
}

std::string TransferPeriod::FirstDayStart() const {
  return DayBound(from.year, from.month, from.day, "00:00:00");
}

std::string TransferPeriod::LastDayEnd() const {
  return DayBound(to.year, to.month, to.day, "23:59:59");
}

std::vector<PatientKey> UniqueKeys(const std::vector<PatientKey>& keys) {
  std::vector<PatientKey> out;
  for (const auto& k : keys)
    if (std::find(out.begin(), out.end(), k) == out.end()) out.push_back(k);
  return out;
}

std::vector<PatientKey> AllPatientKeys(Database& patients) {
  std::vector<PatientKey> keys;
  // A server keeps the order patients were added in rowid, as the file's own rowid does.
  Statement st = patients.Prepare(patients.server()
                                      ? "SELECT fullName, IDNo FROM Patient ORDER BY rowid;"
                                      : "SELECT fullName, IDNo FROM Patient;");
  while (st.Step()) keys.emplace_back(st.Text(0), st.Text(1));
  return keys;
}

std::vector<PatientKey> CollectPatients(Database& patients, const std::vector<PatientKey>& chosen,
                                        bool all) {
  // The list shows "All patients" above every patient, so it counts first.
  bool allChosen = all;
  for (const auto& k : chosen) allChosen = allChosen || (k.fullName == kAllPatients && k.IDNo.empty());
  const std::vector<PatientKey> everyone = AllPatientKeys(patients);
  std::vector<PatientKey> keys;
  if (allChosen) keys = everyone;
  for (const auto& k : chosen) {
    if (k.fullName == kAllPatients && k.IDNo.empty()) continue;
    if (!k.IDNo.empty()) {
      keys.push_back(k);
      continue;
    }
    for (const auto& e : everyone)
      if (e.fullName == k.fullName) keys.push_back(e);
  }
  return UniqueKeys(keys);
}

std::optional<RawRow> ReadRawRow(Database& db, const std::string& sql,
                                 const std::vector<std::string>& keys) {
  Statement st = db.Prepare(sql);
  for (size_t i = 0; i < keys.size(); ++i) st.Bind(static_cast<int>(i + 1), keys[i]);
  if (!st.Step()) return std::nullopt;
  RawRow row;
  int n = st.ColumnCount();
  row.reserve(static_cast<size_t>(n));
  for (int c = 0; c < n; ++c) {
    if (st.IsNull(c))
      row.emplace_back(std::nullopt);
    else
      row.emplace_back(st.Text(c));
  }
  return row;
}

std::optional<RawRow> ReadPatientRow(Database& db, const PatientKey& key) {
  if (key.IDNo.empty()) return ReadRawRow(db, "SELECT * FROM Patient WHERE fullName=?;", {key.fullName});
  return ReadRawRow(db, "SELECT * FROM Patient WHERE fullName=? AND IDNo=?;",
                    {key.fullName, key.IDNo});
}

std::string RawText(const RawRow& row, size_t col) {
  if (col >= row.size() || !row[col]) return {};
  return *row[col];
}

bool RawFlag(const RawRow& row, size_t col) { return RawText(row, col) != "0"; }

std::string QuoteBookIdentifier(const Database& db, std::string_view name) {
  if (!db.server()) return QuoteIdentifier(name);
  // The server's schema names its tables and columns unquoted, which folds them to lower case.
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return QuoteIdentifier(lower);
}

std::vector<std::string> TableColumns(Database& db, const std::string& table) {
  std::vector<std::string> cols;
  if (db.server()) {
    // Patient's rowid (the order of adding) and revision (saves counted) are the server's own,
    // not columns of the file's.
    Statement st = db.Prepare(
        "SELECT column_name FROM information_schema.columns WHERE table_schema = "
        "current_schema() AND table_name = lower(?) AND column_name NOT IN ('rowid', 'revision') "
        "ORDER BY ordinal_position;");
    st.Bind(1, table);
    while (st.Step()) cols.push_back(st.Text(0));
    return cols;
  }
  Statement st = db.Prepare("PRAGMA table_info(" + QuoteIdentifier(table) + ");");
  while (st.Step()) cols.push_back(st.Text(1));
  return cols;
}

std::vector<StoredReading> ReadStoredReadings(Database& db, const std::string& idNo) {
  std::vector<StoredReading> out;
  if (!HasReadingsTable(db, idNo)) return out;
  Statement st = PrepareReadings(db, idNo, "idx, glucoDate, gluco");
  while (st.Step()) {
    StoredReading r;
    r.idx = static_cast<int>(st.Int(0));
    // An unreadable date keeps the 1970 default and so falls outside any real range.
    if (auto at = ParseDateTime(st.Text(1))) r.at = *at;
    r.gluco = static_cast<int>(st.Int(2));
    out.push_back(r);
  }
  return out;
}

const std::vector<ProfileTableFlag> kProfileTables = {
    {"WorkingDateSchedule", 10}, {"NonWorkingDateSchedule", 11}, {"Medications", 13},
    {"Regimen", 14},             {"Complications", 15},          {"HealthRecord", 16},
    {"Inquiry", 17},
};

void TellFailures(Database& db, Prompter& prompter) {
  db.ReportFailuresTo([&prompter](const std::string& message) {
    prompter.Message(message, LookupText("Label", "Warning", "Warning"));
  });
}

TransferResult FailedRun(Prompter& prompter, const std::string& text) {
  TransferResult r;
  r.ok = false;
  r.message = text;
  if (!text.empty()) prompter.Message(text);
  return r;
}

bool IsPatientDatabase(const std::string& path) { return IsPatientDatabaseFile(path); }

std::string WriteTargetText(TargetProblem problem, const std::string& fallback) {
  switch (problem) {
    case TargetProblem::PatientDatabase:
      return LookupText("FileMsg", "PathMsg2", "Cannot save data in the patient database file itself.");
    case TargetProblem::NotAFile:
      return LookupText("FileMsg", "PathMsg3", "Cannot save data there: the path names a folder, a link or a "
                                  "device, not a file.");
    case TargetProblem::OtherOwner:
      return LookupText("FileMsg", "PathMsg4", "Cannot save data there: the file belongs to another user.");
    case TargetProblem::Ok:
      break;
  }
  return fallback;
}

std::string OpenFailText(const Database& db) {
  return LookupText("ErrMsg", "DbMsg", "Can't open database: ") + db.error();
}

std::string ReadFailedText(const std::string& name) {
  return LookupText("FileMsg", "ArcMsg6", "The data of this patient could not be read; nothing was written: ") +
         name;
}

}  // namespace meridane
