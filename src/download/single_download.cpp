#include "download/single_download.h"

#include <cstdio>

#include "download/reading_keys.h"
#include "reports/classification.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane {
namespace {

std::string ConfirmTargetText(const CPatientProfile& p) {
  return "Please confirm the data are downloaded to " + p.fullName + "(" + p.medicalNo + ").";
}

// Settles the patient the new readings go to. False: nothing is to be stored (the table
// has been emptied).
bool SettlePatient(DownloadSession& session, const DownloadHooks& hooks, Database& db,
                   CPatientProfile& current, ReadingTable& table) {
  const std::string serial = session.serial.Text();
  auto refuse = [&] {
    table.Clear();
    return false;
  };
  if (current.IDNo.empty()) {
    std::optional<std::string> id = FindIdByMeterSerial(db, serial);
    if (session.serialReadFailed) return refuse();
    if (id) {
      LoadPatient(db, *id, current);
      return !current.IDNo.empty() || refuse();
    }
    if (!hooks.prompter->Confirm(kUnknownSerialText, PromptButtons::OkCancel)) return refuse();
    if (hooks.createPatient) hooks.createPatient(serial, current);
    return !current.IDNo.empty() || refuse();
  }
  if (session.serialReadFailed) return refuse();
  // A patient without a meter is asked every time; one whose meter is another is asked
  // too, so another person's readings never go silently into this book.
  if (current.meterSN.empty() || current.meterSN != serial) {
    if (!hooks.prompter->Confirm(ConfirmTargetText(current), PromptButtons::OkCancel))
      return refuse();
  }
  return true;
}

}  // namespace

DownloadReport RunDownloadWorker(DownloadSession& session, const DownloadHooks& hooks,
                                 ReadingTable& table, DownloadMode mode) {
  DownloadReport report;
  session.errorShown = false;
  session.Start(mode, table);
  if (hooks.wait) hooks.wait(session);
  report.result = session.Join();
  if (auto msg = DownloadOutcomeMessage(report.result)) {
    hooks.prompter->Message(msg->text, msg->caption);
    session.errorShown = true;
    report.messageShown = true;
  }
  return report;
}

DownloadReport StoreDownloadedReadings(DownloadSession& session, const DownloadHooks& hooks,
                                       Database& db, CPatientProfile& current,
                                       ReadingTable& table) {
  DownloadReport report = RunDownloadWorker(session, hooks, table, DownloadMode::SinglePatient);
  if (report.result != kDownloadOk) return report;
  if (!SettlePatient(session, hooks, db, current, table)) return report;

  ClassifyLoadedReadings(current, table);
  if (table.count() == 0) return report;
  EnsureReadingsTable(db, current.IDNo);
  // What is stored already never goes in twice, however the patient was settled.
  ReadingKeySet stored = StoredReadingKeys(db, current.IDNo);
  Database::Transaction tx(db);
  for (std::size_t i = table.startIndex; i < table.count(); ++i) {
    GlucoReading& r = table.entries[i];
    MealCode code = ComposeMealCode(r.slot, r.mark);
    r.mark = code.mark;
    if (!stored.Insert({r.gluco, r.at, 0})) continue;
    int64_t idx = InsertReading(db, current.IDNo, r.at, r.gluco, code.meal, r.medicalNo);
    if (idx < 0) {
      ++report.insertFailures;
      continue;
    }
    r.idx = static_cast<int>(idx);
    ++report.inserted;
  }
  if (!tx.Commit()) {
    // Rolled back: none of the rows counted as written is in the book.
    report.insertFailures += report.inserted;
    report.inserted = 0;
    return report;
  }
  report.stored = true;
  return report;
}

DownloadReport RunSinglePatientDownload(DownloadSession& session, const DownloadHooks& hooks,
                                        Database& db, CPatientProfile& current,
                                        ReadingTable& table) {
  table.Clear();
  session.serialReadFailed = false;
  const DownloadResult r = ReadMeterSerial(session.access(), session.serial);
  if (r != kDownloadOk) session.serialReadFailed = true;
  if (current.IDNo.empty()) {
    if (r == kDownloadOk) {
      if (auto id = FindIdByMeterSerial(db, session.serial.Text())) LoadPatient(db, *id, current);
    }
  } else {
    std::string id = current.IDNo;
    LoadPatient(db, id, current);
  }
  LoadReadings(db, current, table, ClassifyReadingSlot);

  DownloadReport report = StoreDownloadedReadings(session, hooks, db, current, table);
  if (!session.errorShown && session.serialReadFailed) {
    table.Clear();
    current.Clear();
    hooks.prompter->Message(kNotConnectedText, "Warning");
    report.messageShown = true;
  }
  return report;
}

}  // namespace meridane
