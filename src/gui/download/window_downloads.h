#pragma once
// The window's downloads: the session that lives as long as the process (it keeps the last
// meter's serial number), the progress dialog as the wait, the patient form for a meter
// nobody has, and the clinic readings waiting to be filed when their page is left.
#include <QPointer>
#include <memory>

#include "gui/main/app_state.h"
#include "base/prompter.h"
#include "download/clinic_download.h"
#include "download/single_download.h"

class QWidget;

namespace meridane {

class DownloadFinishedRelay;

class CWindowDownloads {
 public:
  CWindowDownloads(AppState& state, Prompter& prompter, PageRunner runner, QWidget* window);
  ~CWindowDownloads();
  CWindowDownloads(const CWindowDownloads&) = delete;
  CWindowDownloads& operator=(const CWindowDownloads&) = delete;

  // Where the meters are read: the system's USB devices by default, or the meter emulator.
  void SetMeterAccess(const MeterAccess& access);
  DownloadSession& session() { return *session_; }

  // "Download" on the patient page: the current patient (or the one the meter's serial
  // belongs to) gets the meter's new readings; the table then holds the patient's readings.
  DownloadReport RunSingle();
  // "Download Data": the table then holds the clinic meter's readings, not yet filed.
  DownloadReport RunClinic();

  // Clinic readings downloaded and not yet filed.
  bool clinicPending() const { return clinicPending_; }
  // Files the pending clinic readings under their patients, once.
  ClinicStoreReport StorePendingClinic();
  // The readings are given up unfiled (the program is left without saving).
  void DropPendingClinic() { clinicPending_ = false; }

 private:
  DownloadHooks Hooks();

  AppState& state_;
  Prompter& prompter_;
  PageRunner runner_;
  QPointer<QWidget> window_;
  // Declared before the session: the session's destructor joins a worker that may still
  // notify the relay.
  std::unique_ptr<DownloadFinishedRelay> relay_;
  std::unique_ptr<DownloadSession> session_;
  bool clinicPending_ = false;
};

}  // namespace meridane
