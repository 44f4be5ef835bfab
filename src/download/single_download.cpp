#include "download/single_download.h"

#include <cstdio>

#include "base/text_fill.h"
#include "base/text_lookup.h"
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
    const std::vector<PatientChoice> owners = FindPatientsByMeterSerial(db, serial);
    if (session.serialReadFailed) return refuse();
    // Several owners were asked about before the download; none chosen files nothing.
    if (owners.size() > 1) return refuse();
    if (!owners.empty()) {
      LoadPatient(db, owners.front().idNo, current);
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

std::string SharedMeterText(const std::vector<PatientChoice>& owners) {
  return FillText(LookupText("Download", "SharedMeterText",
                             "Several patients use this meter: {patients}. Choose the patient "
                             "first; nothing was downloaded."),
                  {{"patients", PatientChoicesText(owners)}});
}

}  // namespace

std::string DownloadNoticeText(int skipped, int futureDated) {
  std::string text;
  if (skipped > 0)
    text = FillText(LookupText("Download", "SkippedCount",
                               "{count} damaged meter records were skipped and not filed."),
                    {{"count", std::to_string(skipped)}});
  if (futureDated > 0)
    text += (text.empty() ? "" : "\n") +
            FillText(LookupText("Download", "FutureCount",
                                "{count} readings are dated after today. Please check the meter's "
                                "clock."),
                     {{"count", std::to_string(futureDated)}});
  return text;
}

int CountFutureDated(const ReadingTable& table) {
  const Date today = Today();
  int n = 0;
  for (std::size_t i = table.startIndex; i < table.count(); ++i)
    n += table.entries[i].at.date() > today ? 1 : 0;
  return n;
}

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
  FailureWatch watch(db);
  const bool settled = SettlePatient(session, hooks, db, current, table);
  if (watch.failed()) {
    // A look-up that failed is not "no such patient": nothing is filed anywhere.
    report.insertFailures = static_cast<int>(table.count() - table.startIndex);
    table.Clear();
    return report;
  }
  if (!settled) return report;

  ClassifyLoadedReadings(current, table);
  report.skipped = table.skippedRecords;
  if (table.count() != 0) {
    report.inserted = FileNewReadings(db, current.IDNo, table, report.insertFailures);
    report.stored = report.insertFailures == 0;
    if (report.stored) report.futureDated = CountFutureDated(table);
  }
  const std::string notice = DownloadNoticeText(report.skipped, report.futureDated);
  if (!notice.empty()) hooks.prompter->Message(notice, "Information", PromptIcon::Information);
  return report;
}

int FileNewReadings(Database& db, const std::string& idNo, ReadingTable& table, int& failures) {
  const int pending = static_cast<int>(table.count() - table.startIndex);
  // The write lock comes first: the stored keys read under it cannot change before the
  // commit, so two programs filing the same readings never both insert them.
  Database::Transaction tx(db);
  FailureWatch watch(db);
  if (!tx.ok() || !EnsureReadingsTable(db, idNo)) {
    failures = pending;
    return 0;
  }
  // What is stored already never goes in twice, however the patient was settled.
  ReadingKeySet stored = StoredReadingKeys(db, idNo);
  std::vector<std::pair<std::size_t, int64_t>> added;
  for (std::size_t i = table.startIndex; i < table.count() && !watch.failed(); ++i) {
    GlucoReading& r = table.entries[i];
    MealCode code = ComposeMealCode(r.slot, r.mark);
    r.mark = code.mark;
    if (!stored.Insert({r.gluco, r.at, 0})) continue;
    int64_t idx = InsertReading(db, idNo, r.at, r.gluco, code.meal, r.medicalNo);
    if (idx < 0) break;
    added.emplace_back(i, idx);
  }
  // Whole or not at all: one refused row (or a failed look-up) rolls back the others.
  if (watch.failed() || !tx.Commit()) {
    failures = pending;
    return 0;
  }
  for (const auto& [i, idx] : added) table.entries[i].idx = static_cast<int>(idx);
  return static_cast<int>(added.size());
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
      const std::vector<PatientChoice> owners = FindPatientsByMeterSerial(db, session.serial.Text());
      if (owners.size() > 1) {
        // A shared meter: whose readings these are is the user's to say, never the row order's.
        std::optional<std::string> chosen;
        if (hooks.choosePatient) {
          chosen = hooks.choosePatient(owners);
        } else {
          hooks.prompter->Message(SharedMeterText(owners), "Warning");
        }
        DownloadReport none;
        none.messageShown = !hooks.choosePatient;
        if (!chosen || !LoadPatient(db, *chosen, current)) return none;
      } else if (!owners.empty()) {
        LoadPatient(db, owners.front().idNo, current);
      }
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
