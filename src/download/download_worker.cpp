#include "download/download_worker.h"

#include <array>
#include <span>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "download/reading_keys.h"
#include "meter/meter_image.h"

namespace meridane {
namespace {

constexpr std::uint32_t kSingleStartWaitMs = 500;
constexpr std::uint32_t kSingleSerialToImageMs = 2000;
constexpr std::uint32_t kClinicStartWaitMs = 2000;
constexpr std::uint32_t kClinicSerialToImageMs = 1000;
constexpr int kPersonalMedicalNo = -1;
constexpr int kFirstInvalidMedicalNo = 1000;

ReadingKeySet KeysOf(const ReadingTable& table, bool withMedicalNo) {
  ReadingKeySet keys;
  keys.Reserve(table.count() + kMaxImageRecords);
  for (const GlucoReading& r : table.entries)
    keys.Insert({r.gluco, r.at, withMedicalNo ? r.medicalNo : 0});
  return keys;
}

}  // namespace

DownloadResult AppendMeterImage(std::span<const std::uint8_t> image, std::uint32_t recordCount,
                               ReadingTable& table, bool clinic) {
  ReadingKeySet keys = KeysOf(table, clinic);
  table.entries.reserve(table.count() + recordCount);
  for (std::uint32_t i = 0; i < recordCount; ++i) {
    const std::size_t at = kImageHeaderSize + kRecordSize * i;
    if (at + kRecordSize > image.size()) break;
    std::span<const std::uint8_t, kRecordSize> bytes(image.data() + at, kRecordSize);
    const MeterRecord m = clinic ? DecodeClinicRecord(bytes) : DecodePersonalRecord(bytes);
    const DateTime when{m.year, m.month, m.day, m.hour, m.minute};
    if (clinic && m.isVoid) continue;
    if (!RecordDigitsOk(bytes, clinic) || !IsValidDateTime(when)) {
      ++table.skippedRecords;
      continue;
    }
    if (clinic && m.medicalNo >= kFirstInvalidMedicalNo) continue;
    const ReadingKey key{m.gluco, when, clinic ? m.medicalNo : 0};
    const bool duplicate = keys.Contains(key);
    // Counts what this download adds, so a patient's stored history never blocks the next one.
    if (table.count() - table.startIndex >= kMaxDownloadReadings) return kDownloadTooMany;
    if (duplicate) continue;
    GlucoReading& r = table.entries.emplace_back();
    r.gluco = m.gluco;
    r.at = when;
    r.slot = 0;
    r.mark = m.mark;
    // Clinic readings keep index 0 until filed; personal ones are numbered from 1.
    r.idx = clinic ? 0 : static_cast<int>(table.count());
    r.medicalNo = clinic ? m.medicalNo : kPersonalMedicalNo;
    keys.Insert(key);
  }
  return kDownloadOk;
}

namespace {

// Runs one worker body with the link it opened; the outcome is written after everything else.
template <typename Body>
void RunWorker(const WorkerArgs& a, std::uint32_t startWaitMs, Body body) {
  // The protocol's pauses are short and many; waking late from each adds up.
  RaiseWorkerPriority();
  a.access.Sleep().SleepMs(startWaitMs);
  DownloadResult outcome = body();
  // A cancel the link never saw (asked outside a block transfer) still means "stop": the
  // readings of this run are dropped and the run ends as a cancelled read does.
  if (outcome == kDownloadOk && a.cancel && a.cancel->load(std::memory_order_relaxed)) {
    a.table->entries.resize(a.table->startIndex);
    outcome = kDownloadNoAnswer;
  }
  a.result->store(outcome, std::memory_order_release);
  if (a.finished) a.finished();
}

struct LinkCloser {
  CDevComm& link;
  ~LinkCloser() { link.Close(); }
};

// The image read that follows the serial read, and the readings it holds.
DownloadResult ReadImageInto(CDevComm& link, const WorkerArgs& a, bool clinic) {
  std::vector<std::uint8_t> image(kImageBufferSize);
  std::uint32_t byteCount = 0, recordCount = 0;
  LinkResult r = clinic ? link.ReadClinicRecords(image, byteCount, recordCount)
                        : link.ReadRecords(image, byteCount, recordCount);
  if (r == LINK_OK) return AppendMeterImage(image, recordCount, *a.table, clinic);
  if (clinic && r == LINK_NOT_CLINIC_METER) return kDownloadNeedsIndividual;
  if (!clinic && r == LINK_CLINIC_METER) return kDownloadNeedsMultiple;
  if (r == LINK_NO_RECORDS) return kDownloadNoRecords;
  return kDownloadNoAnswer;
}

}  // namespace

void SinglePatientDownload(const WorkerArgs& a) {
  RunWorker(a, kSingleStartWaitMs, [&]() -> DownloadResult {
    LinkResult lastOpen = LINK_OK;
    std::unique_ptr<CDevComm> link =
        OpenFirstMeter(a.access.Context(a.cancel, false, a.progress), &lastOpen);
    if (!link) return lastOpen == LINK_NOT_FOUND ? kDownloadNotConnected : kDownloadNoAnswer;
    LinkCloser closer{*link};
    // The worker's own buffer: the serial shown is the one read before the download.
    std::array<std::uint8_t, 12> serial{};
    LinkResult r = link->ReadSerialNumber(serial, a.serial->length);
    if (r != LINK_OK && r != LINK_READ_FAILED && r != LINK_BAD_SERIAL) return kDownloadNotSupported;
    a.access.Sleep().SleepMs(kSingleSerialToImageMs);
    return ReadImageInto(*link, a, false);
  });
}

void ClinicDownload(const WorkerArgs& a) {
  RunWorker(a, kClinicStartWaitMs, [&]() -> DownloadResult {
    std::unique_ptr<CDevComm> link =
        MakeLink(LinkKind::VXA, a.access.Context(a.cancel, true, a.progress));
    LinkCloser closer{*link};
    LinkResult r = link->Open(0);
    if (r != LINK_OK) return r == LINK_NOT_FOUND ? kDownloadNotConnected : kDownloadNoAnswer;
    // A bad checksum ends a clinic download; characters alone do not.
    r = link->ReadSerialNumber(a.serial->buffer, a.serial->length);
    if (r != LINK_OK && r != LINK_BAD_SERIAL) return kDownloadNotSupported;
    a.access.Sleep().SleepMs(kClinicSerialToImageMs);
    return ReadImageInto(*link, a, true);
  });
}

void RaiseWorkerPriority() {
#if defined(__linux__)
  constexpr int kAboveNormal = -5;
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kAboveNormal);
#endif
}

DownloadSession::~DownloadSession() {
  Cancel();
  Join();
}

void DownloadSession::Start(DownloadMode mode, ReadingTable& table) {
  Join();
  result_.store(kDownloadRunning, std::memory_order_relaxed);
  cancel_.store(false, std::memory_order_relaxed);
  progress_.Reset();
  table.startIndex = table.count();
  table.skippedRecords = 0;
  WorkerArgs args{access_, &table, &serial, &result_, &cancel_, &progress_, finished_};
  // Thread creation orders every write above before the worker's first step.
  thread_ = std::thread(mode == DownloadMode::Clinic ? ClinicDownload : SinglePatientDownload,
                        args);
}

DownloadResult DownloadSession::Join() {
  if (thread_.joinable()) thread_.join();
  return Poll();
}

DownloadResult WaitForDownload(DownloadSession& session, std::uint32_t intervalMs,
                              Sleeper& sleeper) {
  while (session.Poll() == kDownloadRunning) sleeper.SleepMs(intervalMs);
  return session.Join();
}

}  // namespace meridane
