#pragma once
// The download runs of the main window: the driver of the single-patient "Download", the
// shared start-wait-report step, and the filing of the new readings under one patient.
// Runs on the user-interface thread; the worker runs on its own.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/prompter.h"
#include "download/download_worker.h"
#include "store/database.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"
#include "store/patient_store.h"

namespace meridane {

struct DownloadHooks {
  Prompter* prompter = nullptr;
  // Waits until the worker's outcome is final: the progress dialog (which may Cancel), or
  // WaitForDownload. Must return only once session.Poll() != kDownloadRunning.
  std::function<void(DownloadSession&)> wait;
  // Opens the patient form in add mode with its meter serial field set to `serial`; a saved
  // patient becomes `current`. Left empty, no patient can be created.
  std::function<void(const std::string& serial, CPatientProfile& current)> createPatient;
  // Asks which of the patients who share the meter the readings belong to: the chosen IDNo,
  // or nullopt to file nothing. Left empty, such a download stops with a message naming them.
  std::function<std::optional<std::string>(const std::vector<PatientChoice>&)> choosePatient;
};

struct DownloadReport {
  DownloadResult result = kDownloadOk;  // the worker's outcome
  bool messageShown = false;           // a message ended the download
  bool stored = false;                 // a patient was settled and the new readings filed
  int inserted = 0;                    // rows written
  int insertFailures = 0;              // rows not filed because the database failed (its
                                       // text was shown); then none was filed
  int skipped = 0;                     // damaged meter records left out
  int futureDated = 0;                 // filed readings dated after today
};

// The note after a download that skipped damaged records or filed readings dated after
// today (the meter's clock may be wrong); empty when there is nothing to say.
std::string DownloadNoticeText(int skipped, int futureDated);
// Counts the table's readings from startIndex on dated after today.
int CountFutureDated(const ReadingTable& table);

inline constexpr const char* kNotConnectedText = "Please make sure the meter is connected properly.";
inline constexpr const char* kUnknownSerialText =
    "This serial number doesn't exist. Please maintain the user profile.";

// "Download" on the patient page: reads the meter's serial, settles the patient (the one
// given, else the one whose meterSN equals the serial, asked through choosePatient when
// several have it), loads the stored readings,
// downloads and files the new ones. `current` and `table` are the main window's.
DownloadReport RunSinglePatientDownload(DownloadSession& session, const DownloadHooks& hooks,
                                        Database& db, CPatientProfile& current,
                                        ReadingTable& table);

// Starts the worker of `mode`, waits through hooks.wait and shows the outcome message, if
// any (setting session.errorShown).
DownloadReport RunDownloadWorker(DownloadSession& session, const DownloadHooks& hooks,
                                 ReadingTable& table, DownloadMode mode);

// Files the table's readings from startIndex on under `idNo` in one write transaction,
// skipping those already stored: all of them or none. Returns the number inserted (their
// idx set in the table); on a failure 0, with `failures` set to the number not filed.
int FileNewReadings(Database& db, const std::string& idNo, ReadingTable& table, int& failures);

// Runs the single-patient worker and files its readings under the settled patient.
DownloadReport StoreDownloadedReadings(DownloadSession& session, const DownloadHooks& hooks,
                                       Database& db, CPatientProfile& current,
                                       ReadingTable& table);

}  // namespace meridane
