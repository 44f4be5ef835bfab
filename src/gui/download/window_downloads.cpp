#include "gui/download/window_downloads.h"

#include <QLineEdit>

#include "gui/main/gui_support.h"
#include "gui/download/patient_chooser.h"
#include "gui/download/progress_gif.h"
#include "gui/patients/add_edit.h"

namespace meridane {

CWindowDownloads::CWindowDownloads(AppState& state, Prompter& prompter, PageRunner runner,
                                   QWidget* window)
    : state_(state),
      prompter_(prompter),
      runner_(std::move(runner)),
      window_(window),
      relay_(std::make_unique<DownloadFinishedRelay>()),
      session_(std::make_unique<DownloadSession>()) {
  relay_->Attach(*session_);
}

CWindowDownloads::~CWindowDownloads() { session_.reset(); }

void CWindowDownloads::SetMeterAccess(const MeterAccess& access) { session_->SetAccess(access); }

DownloadHooks CWindowDownloads::Hooks() {
  DownloadHooks hooks;
  hooks.prompter = &prompter_;
  hooks.wait = [this](DownloadSession& s) { WaitInProgressDialog(s, relay_.get(), window_); };
  hooks.createPatient = [this](const std::string& serial, CPatientProfile&) {
    // The patient form in add mode, the meter's serial number filled in; a saved patient
    // becomes the current one.
    state_.current.Clear();
    CAddEdit form(false, state_, prompter_, runner_, window_);
    form.fields().meterSN->setText(QString::fromStdString(serial));
    runner_(form);
  };
  hooks.choosePatient = [this](const std::vector<PatientChoice>& owners) {
    CPatientChooser chooser(session_->serial.Text(), owners, window_);
    return runner_(chooser) == QDialog::Accepted ? chooser.chosen() : std::nullopt;
  };
  return hooks;
}

DownloadReport CWindowDownloads::RunSingle() {
  clinicPending_ = false;
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) {
    state_.readings.Clear();
    return {};
  }
  return RunSinglePatientDownload(*session_, Hooks(), *db, state_.current, state_.readings);
}

DownloadReport CWindowDownloads::RunClinic() {
  DownloadReport r = RunClinicDownload(*session_, Hooks(), state_.readings);
  clinicPending_ = state_.readings.count() > 0;
  return r;
}

ClinicStoreReport CWindowDownloads::StorePendingClinic() {
  if (!clinicPending_) return {};
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return {};  // kept pending: a later leave tries again
  clinicPending_ = false;
  ClinicStoreReport r = StoreClinicReadings(*db, state_.readings);
  const std::string notice = ClinicNoticeText(r, state_.readings.skippedRecords);
  if (!notice.empty())
    prompter_.Message(notice, LookupText("Label", "Information", "Information"),
                      PromptIcon::Information);
  return r;
}

}  // namespace meridane
