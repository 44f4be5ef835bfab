#pragma once
// Pieces shared by the CSV export, the archive write and the merge: the period of a run, the
// patient selection, raw rows read as the database holds them, and the run's result.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/prompter.h"
#include "output/safe_file.h"
#include "store/database.h"
#include "store/date_time.h"

namespace meridane {

// The date range of a run. The CSV filter compares full date-times (the pickers hold
// seconds); the archive write and the merge use the whole days of `from` and `to`.
struct TransferPeriod {
  DateTime from;
  int fromSecond = 0;
  DateTime to;
  int toSecond = 59;

  // 00:00:00 of the first day to 23:59:59 of the last.
  static TransferPeriod WholeDays(const Date& first, const Date& last);
  // A stored reading (seconds 00) lies within the range, both ends included.
  bool Contains(const DateTime& at) const;
  // The SQL bounds of the whole days, "YYYY-MM-DD 00:00:00" and "YYYY-MM-DD 23:59:59".
  std::string FirstDayStart() const;
  std::string LastDayEnd() const;
};

// The label of the patient list's first row.
inline constexpr const char* kAllPatients = "All patients";

// One patient of a run. Two patients may share a full name, so the page names the row it
// shows by both; an empty IDNo (a name typed on the command line) stands for every patient
// of that name in the source of the run.
struct PatientKey {
  std::string fullName;
  std::string IDNo;
  PatientKey() = default;
  PatientKey(std::string name, std::string id = {}) : fullName(std::move(name)), IDNo(std::move(id)) {}
  PatientKey(const char* name) : fullName(name) {}
  bool operator==(const PatientKey&) const = default;
};

// Every patient of the patient database, in the order returned.
std::vector<PatientKey> AllPatientKeys(Database& patients);

// Patients to write: `all` (or a chosen "All patients") stands for every patient in the
// order returned, a name without an IDNo for every patient of that name, any other key for
// itself. Each patient is kept once, at its first place, so none is written twice.
std::vector<PatientKey> CollectPatients(Database& patients, const std::vector<PatientKey>& chosen,
                                        bool all = false);

// The keys in order, each kept once at its first place.
std::vector<PatientKey> UniqueKeys(const std::vector<PatientKey>& keys);

// One row exactly as stored; a NULL stays distinct from an empty text.
using RawRow = std::vector<std::optional<std::string>>;

// Every column of the first row `sql` gives with `keys` bound to its parameters in order.
std::optional<RawRow> ReadRawRow(Database& db, const std::string& sql,
                                 const std::vector<std::string>& keys);
// The Patient row of one patient, by full name and IDNo (the first of the name without one).
std::optional<RawRow> ReadPatientRow(Database& db, const PatientKey& key);
// Text of a column of a raw row; "" for NULL or a missing column.
std::string RawText(const RawRow& row, size_t col);
// Booleans read back count as true unless their text is exactly "0".
bool RawFlag(const RawRow& row, size_t col);
// A table or column name quoted for `db`'s SQL: as written on the file, in the lower case
// the server's schema gave it there.
std::string QuoteBookIdentifier(const Database& db, std::string_view name);
// Column names of a table, in order (empty when the table does not exist); on a server
// without the Patient rowid the file does not have as a column.
std::vector<std::string> TableColumns(Database& db, const std::string& table);

// Stored readings of a patient's table in storage order.
struct StoredReading {
  int idx = 0;
  DateTime at;
  int gluco = 0;
};
std::vector<StoredReading> ReadStoredReadings(Database& db, const std::string& idNo);

// Patient columns used by the runs (the 18 columns of Patient, by position).
enum PatientColumn : size_t {
  kPatFullName = 0,
  kPatIDNo = 1,
  kPatMedicalNo = 2,
  kPatMeterSN = 8,
  kPatTimeUnit = 9,
  kPatColumnCount = 18,
};

// Profile tables in the order they are copied or merged, each with the Patient flag that
// governs it.
struct ProfileTableFlag {
  const char* table;
  size_t flagColumn;
};
extern const std::vector<ProfileTableFlag> kProfileTables;

// The outcome of one run, for the window and the command line.
struct TransferResult {
  bool ok = true;           // false: the run was refused or failed; `message` says why
  std::string message;      // the last message shown, if any
  int patients = 0;         // patients written or merged
  int readingsWritten = 0;  // readings written to the file (export, archive)
  int readingsAdded = 0;    // readings new to the patient database (merge)
  int readingsUpdated = 0;  // duplicates whose meal, medicalNo and details were rewritten
  int readingsSkipped = 0;  // archive readings with an impossible date, time or value (merge)
  bool dataChanged = false; // the patient database changed: the window reloads the patient
};

// Shows each statement failure of `db` as a message of its own as it happens, the way the
// runs show their other messages.
void TellFailures(Database& db, Prompter& prompter);

// A refused or failed run: the message shown (when there is one) and returned.
TransferResult FailedRun(Prompter& prompter, const std::string& text);

// True when `path` names the patient database or one of its journals, so a run that
// overwrites its target must refuse it.
bool IsPatientDatabase(const std::string& path);

// The message for a target the runs may not write (`fallback` when the path itself cannot
// take a new file, e.g. a missing folder).
std::string WriteTargetText(TargetProblem problem, const std::string& fallback);
// "Can't open database: " and the connection's own message.
std::string OpenFailText(const Database& db);
// "The data of this patient could not be read; nothing was written: NAME".
std::string ReadFailedText(const std::string& name);

}  // namespace meridane
