#pragma once
// The CSV file of the Export and Archive runs: one block per patient, a header of ten lines
// and a line per reading with its details, lines ended by CR LF on every platform.
#include <string>
#include <string_view>
#include <vector>

#include "base/prompter.h"
#include "base/version.h"
#include "output/archive_common.h"
#include "store/database.h"

namespace meridane {

// One field for a spreadsheet: a field holding a comma, a double quote or a line break is
// put in double quotes with its inner quotes doubled; any other field stays as it is.
std::string CsvField(std::string_view text);

// One patient's block, as the runs write it.
struct CsvBlock {
  bool found = false;    // the name matched a Patient row
  bool hasRows = false;  // the readings table holds rows (in or out of the range)
  int kept = 0;          // readings within the range, numbered 1..kept
  bool readFailed = false;  // a statement failed: the block is incomplete, never to be written
  std::string text;      // header and reading lines, without the separator
};

// Builds the block of the patient `key` from the patient database. Readings are kept
// in storage order when `period` contains them; `today` fills the "Export Date" line.
CsvBlock BuildCsvBlock(Database& patients, const PatientKey& key,
                       const TransferPeriod& period, const Date& today);

// The Export run: the one patient `key` into a new CSV file at `path`, which replaces an
// existing file only once it is complete (an unknown patient writes nothing).
TransferResult ExportCsv(Database& patients, const PatientKey& key,
                         const TransferPeriod& period, const std::string& path, Prompter& prompter,
                         const Date& today = Today());

// The Archive run: every name in turn into one CSV file, a patient with stored readings
// followed by four empty lines.
TransferResult ArchiveCsv(Database& patients, const std::vector<PatientKey>& keys,
                          const TransferPeriod& period, const std::string& path,
                          Prompter& prompter, const Date& today = Today());

}  // namespace meridane
