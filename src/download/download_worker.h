#pragma once
// The download worker: it alone touches the meter link and appends to the reading table
// while it runs, and writes the outcome last (release order). The waiting side (the
// progress dialog, the command line) polls the outcome with acquire order and reads the
// table only once the outcome has left its running value.
//
//   session.Start(DownloadMode::SinglePatient, table);   // outcome becomes 0xFFFF
//   while (session.Poll() == kDownloadRunning) { ...1000 ms tick...; maybe session.Cancel(); }
//   session.Join();
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>

#include "download/download_outcome.h"
#include "download/meter_detection.h"
#include "store/gluco_reading.h"

namespace meridane {

enum class DownloadMode { SinglePatient, Clinic };

// What one worker run uses. The table's entries from startIndex on are the worker's.
struct WorkerArgs {
  MeterAccess access;
  ReadingTable* table = nullptr;
  MeterSerial* serial = nullptr;
  std::atomic<DownloadResult>* result = nullptr;
  const CancelFlag* cancel = nullptr;
  ReadProgress* progress = nullptr;
  // Called on the worker thread right after the outcome is written.
  std::function<void()> finished;
};

// Appends the image's new readings to the table in image order: damaged records (invalid
// dates, decimal fields that are not digits) are skipped and counted in table.skippedRecords,
// and for clinic images void records and medical record numbers from 1000; a reading
// already in the table is not added again. Returns kDownloadOk, or kDownloadTooMany once
// this download has added the most it may.
DownloadResult AppendMeterImage(std::span<const std::uint8_t> image, std::uint32_t recordCount,
                               ReadingTable& table, bool clinic);

// Worker bodies. They run on the session's thread; tests may call them directly.
void SinglePatientDownload(const WorkerArgs& args);
void ClinicDownload(const WorkerArgs& args);

// The download state the main window keeps for the life of the process: the meter serial
// of the last read, the flags of the running download, the outcome and the worker thread.
class DownloadSession {
 public:
  explicit DownloadSession(MeterAccess access = {}) : access_(access) {}
  ~DownloadSession();
  DownloadSession(const DownloadSession&) = delete;
  DownloadSession& operator=(const DownloadSession&) = delete;

  const MeterAccess& access() const { return access_; }
  void SetAccess(const MeterAccess& access) { access_ = access; }

  MeterSerial serial;
  bool serialReadFailed = false;  // the serial read before the download failed
  bool errorShown = false;        // the download already showed its message

  // Sets the outcome to running and the table's start index to its count, clears the
  // cancel flag and starts the worker of `mode` on its own thread.
  void Start(DownloadMode mode, ReadingTable& table);
  // The outcome, acquire order: kDownloadRunning until the worker's last table write.
  DownloadResult Poll() const { return result_.load(std::memory_order_acquire); }
  // Asks the link to stop its block transfer (the dialog's Esc key or Cancel button).
  void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
  // How far the running (or last) image read has come.
  const ReadProgress& progress() const { return progress_; }
  // Called on the worker thread as soon as a worker has written its outcome, so the waiting
  // side need not wait for its next tick. Set it while no worker runs; whatever it refers to
  // must outlive the session (the destructor joins the worker).
  void SetFinishedNotifier(std::function<void()> notify) { finished_ = std::move(notify); }
  // Waits for the thread to end; returns the outcome.
  DownloadResult Join();

 private:
  MeterAccess access_;
  std::atomic<DownloadResult> result_{kDownloadOk};
  CancelFlag cancel_{false};
  ReadProgress progress_;
  std::function<void()> finished_;
  std::thread thread_;
};

// Gives the calling thread the worker's above-normal priority where the system allows it
// (Linux: a lower nice value, which needs the privilege; without it nothing changes).
void RaiseWorkerPriority();

// The waiting side without a window: polls every `intervalMs` through `sleeper` until the
// outcome is final, then joins the worker.
DownloadResult WaitForDownload(DownloadSession& session, std::uint32_t intervalMs, Sleeper& sleeper);

}  // namespace meridane
