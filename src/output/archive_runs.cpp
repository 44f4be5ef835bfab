#include "output/archive_runs.h"

#include "base/text_lookup.h"
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

namespace {

// The run on the open patient book, once the path is known to be one it may use.
TransferResult RunOnBook(const TransferRequest& request, Database& patients, Prompter& prompter) {
  const std::string& path = request.path;
  const PatientKey single = request.patients.empty() ? PatientKey{} : request.patients.front();
  switch (request.mode) {
    case TransferMode::Export: {
      // A name without an ID (typed on the command line) must name one patient: writing a
      // namesake's readings under the wrong header would be worse than writing nothing.
      PatientKey key = single;
      if (key.IDNo.empty()) {
        std::vector<PatientKey> named = CollectPatients(patients, {single});
        if (named.size() > 1)
          return FailedRun(prompter, LookupText("FileMsg", "ArcMsg12", "Several patients have this name; choose one by "
                                            "its ID No.: ") + single.fullName);
        if (!named.empty()) key = named.front();
      }
      if (IsCsvPath(path)) return ExportCsv(patients, key, request.period, path, prompter);
      return WriteArchive(patients, {key}, request.period, path, prompter);
    }
    case TransferMode::Archive: {
      std::vector<PatientKey> keys = CollectPatients(patients, request.patients, request.all);
      if (IsCsvPath(path)) return ArchiveCsv(patients, keys, request.period, path, prompter);
      return WriteArchive(patients, keys, request.period, path, prompter);
    }
    case TransferMode::Retrieve: {
      // "All patients" stands for the patients of the patient database; chosen keys go to
      // the merge as they are, a name alone standing for every archived patient of it.
      std::vector<PatientKey> keys = request.all ? AllPatientKeys(patients) : std::vector<PatientKey>{};
      keys.insert(keys.end(), request.patients.begin(), request.patients.end());
      return MergeArchive(patients, keys, request.period, path, prompter);
    }
    case TransferMode::Import:
      return MergeArchive(patients, {single}, request.period, path, prompter);
  }
  return {};
}

}  // namespace

TransferResult RunTransfer(const TransferRequest& request, Prompter& prompter) {
  TransferResult result;
  const std::string& path = request.path;
  auto refuse = [&](const std::string& text) { return FailedRun(prompter, text); };

  if (!path.empty() && path.back() == 'b' && !IsLegalDatabasePath(path))
    return refuse(LookupText("FileMsg", "PathMsg1", "Cannot save data in a illegal file path."));
  if (path.empty()) return result;

  const bool writes = request.mode == TransferMode::Archive || request.mode == TransferMode::Export;
  // Every written file is deleted first: pointing a run at the patient database itself would
  // wipe every patient.
  if (writes && IsPatientDatabase(path))
    return refuse(LookupText("FileMsg", "PathMsg2", "Cannot save data in the patient database file itself."));

  Database patients = OpenPatientDatabase();
  TellFailures(patients, prompter);
  result = RunOnBook(request, patients, prompter);
  // A statement that failed (its text was shown) fails the run, whatever it made of it: a
  // read failure must not pass for a run with nothing to do.
  if (result.ok && patients.failed()) {
    result.ok = false;
    result.message = patients.lastError();
  }
  return result;
}

}  // namespace meridane
