#pragma once
// Readings from a CSV or TSV file into one patient: the program's own CSV export, or a plain
// table from other software. The file is read into a plan first (what will be filed, which
// lines are duplicates, which are refused and why), shown to the user, and only then filed,
// all in one transaction.
#include <string>
#include <vector>

#include "store/database.h"
#include "store/date_time.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

enum class DateOrder { Unknown, DayMonthYear, MonthDayYear, YearMonthDay };
enum class GlucoseUnit { Unknown, MgDl, MmolL };

struct CsvImportOptions {
  DateOrder dateOrder = DateOrder::Unknown;  // Unknown: from the data, else asked
  GlucoseUnit unit = GlucoseUnit::Unknown;   // Unknown: from the header, else asked
  Date today = Today();                      // readings after tomorrow are refused
};

// Largest file taken: ten full meters' worth of lines.
inline constexpr int kMaxImportLines = 100000;
// What "HI" and "LO" are filed as: the nearest values that still show as HI and LO.
inline constexpr int kImportedHi = 601;
inline constexpr int kImportedLo = 19;

struct ImportedReading {
  int line = 0;  // 1-based line of the file
  DateTime at;
  int gluco = 0;  // mg/dL
  GlucoDetailRecord detail;
};

struct RefusedLine {
  int line = 0;
  std::string reason;
};

struct CsvImportPlan {
  bool ok = false;      // false: the whole file is refused, `message` says why
  std::string message;
  bool ownFormat = false;      // the program's own CSV export
  bool needsDateOrder = false; // the day/month order must be chosen
  bool needsUnit = false;      // the glucose unit must be chosen
  GlucoseUnit unit = GlucoseUnit::Unknown;
  std::vector<ImportedReading> readings;  // to be filed, in file order
  std::vector<ImportedReading> duplicates;  // already stored or earlier in the file
  std::vector<RefusedLine> refused;
  int dataLines = 0;  // non-blank lines after any header
};

// Reads the file's bytes into a plan; duplicates within the file are found here.
CsvImportPlan ReadCsvImport(const std::string& bytes, const CsvImportOptions& options);
// The same for a file, then moves the readings already stored for the patient to duplicates.
CsvImportPlan PlanCsvImport(Database& db, const std::string& idNo, const std::string& path,
                            const CsvImportOptions& options);

// Files the plan's readings for the patient as a download files them (slot from the
// schedule, meal code, details) in one transaction; readings stored meanwhile are skipped.
// Returns how many were filed, -1 when nothing was (the database refused the change).
int FileImportedReadings(Database& db, const CPatientProfile& patient,
                         const std::vector<ImportedReading>& readings);

// "2026-03-04 08:15" for the preview and the command line.
std::string ImportTimeText(const DateTime& at);

}  // namespace meridane
