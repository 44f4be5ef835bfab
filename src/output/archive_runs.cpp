#include "output/archive_runs.h"

#include "output/archive_file.h"
#include "output/csv_export.h"
#include "store/database.h"

namespace meridane {

bool IsCsvPath(const std::string& path) { return !path.empty() && path.back() == 'v'; }

bool IsLegalDatabasePath(const std::string& path) {
  for (unsigned char c : path)
    if (c > 0x7F) return false;
  return true;
}

TransferResult RunTransfer(const TransferRequest& request, Prompter& prompter) {
  TransferResult result;
  const std::string& path = request.path;
  auto refuse = [&](const std::string& text) {
    result.ok = false;
    result.message = text;
    prompter.Message(text);
    return result;
  };

  if (!path.empty() && path.back() == 'b' && !IsLegalDatabasePath(path))
    return refuse(FileText("PathMsg1", "Cannot save data in a illegal file path."));
  if (path.empty()) return result;

  const bool writes = request.mode == TransferMode::Archive || request.mode == TransferMode::Export;
  // Every written file is deleted first: pointing a run at the patient database itself would
  // wipe every patient.
  if (writes && IsPatientDatabase(path))
    return refuse(FileText("PathMsg2", "Cannot save data in the patient database file itself."));

  Database patients = OpenPatientDatabase();
  const std::string single = request.names.empty() ? std::string() : request.names.front();
  switch (request.mode) {
    case TransferMode::Export:
      if (IsCsvPath(path))
        return ExportCsv(patients, single, request.period, path, prompter);
      return WriteArchive(patients, {single}, request.period, path, prompter);
    case TransferMode::Archive: {
      std::vector<std::string> names = CollectPatientNames(patients, request.names);
      if (IsCsvPath(path)) return ArchiveCsv(patients, names, request.period, path, prompter);
      return WriteArchive(patients, names, request.period, path, prompter);
    }
    case TransferMode::Retrieve:
      return MergeArchive(patients, CollectPatientNames(patients, request.names), request.period,
                          path, prompter);
    case TransferMode::Import:
      return MergeArchive(patients, {single}, request.period, path, prompter);
  }
  return result;
}

}  // namespace meridane
