#pragma once
// The four runs of the Import/Export page, Qt-free so the window and the command line share
// them: Archive, Retrieve, Export and Import, with the page's path checks and format choice.
#include <string>
#include <vector>

#include "base/prompter.h"
#include "output/archive_common.h"

namespace meridane {

enum class TransferMode { Archive = 0, Retrieve = 1, Export = 2, Import = 3 };

struct TransferRequest {
  TransferMode mode = TransferMode::Export;
  // Archive and Retrieve: the checked rows of the patient list. Export and Import: the one
  // chosen patient (only the first is used). Each row names its patient by full name and
  // IDNo, so two patients who share a name stay apart.
  std::vector<PatientKey> patients;
  // "All patients" is checked: every patient of the patient database, listed first.
  bool all = false;
  TransferPeriod period;
  std::string path;
};

// A path ending in "v" (as in ".csv") is written as CSV; anything else, ".CSV" included, as
// an archive database file.
bool IsCsvPath(const std::string& path);
// A database file's path must be plain 7-bit ASCII.
bool IsLegalDatabasePath(const std::string& path);

// Runs the request against the patient database (opened here, closed at the end). An empty
// path does nothing. Messages go through the prompter; the result says what happened and
// whether the window has to reload the patient.
TransferResult RunTransfer(const TransferRequest& request, Prompter& prompter);

}  // namespace meridane
