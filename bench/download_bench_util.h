#pragma once
// What the download benchmarks share: a throw-away book with one patient, a full personal
// image, and the floor every whole download is measured against (the protocol's own
// pauses, slept one by one on a thread like the worker's).
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "download/single_download.h"
#include "meter/emulator/emulated_backends.h"
#include "meter/meter_image.h"
#include "store/patient_store.h"
#include "support/book.h"
#include "support/meter_images.h"
#include "support/temp_folder.h"

namespace meridane::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(const std::function<void()>& f) {
  auto t0 = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// n personal readings, twelve a day from `firstDay` on.
inline std::vector<std::uint8_t> Image(int n, int firstDay) {
  std::vector<MeterRecord> records;
  for (int i = 0; i < n; ++i) {
    int day = firstDay + i / 12;
    records.push_back(test::Rec(60 + (i * 7) % 300, 2025, 1 + (day / 28) % 12, 1 + day % 28,
                                6 + i % 12, i % 60, i % 2));
  }
  return test::ImageOf(records);
}

// A data folder of its own with patient "B1" whose meter is `serial`; removed on exit.
class BenchBook {
 public:
  static constexpr const char* kSerial = "MK72000001";
  explicit BenchBook(const char* name)
      : folder_(std::string("bench-") + name), dataFolder_(folder_.root()) {
    db = test::FreshDatabase();
    test::AddPatientByForm(db, "Bench", "B1", "", kSerial);
  }

  // One download of `image` into an emptied "B1", pauses through `sleeper`, waiting with
  // `wait` (none: joined at the end).
  DownloadReport Run(const std::vector<std::uint8_t>& image, Sleeper& sleeper,
                     std::function<void(DownloadSession&)> wait,
                     std::function<void(DownloadSession&)> prepare = {}) {
    auto em = MakeEmulatedMeter(LinkKind::MK72, image, kSerial);
    DownloadSession session(MeterAccess{&em->hid, &em->serial, &sleeper});
    if (prepare) prepare(session);
    ScriptedPrompter prompter;
    DownloadHooks hooks;
    hooks.prompter = &prompter;
    hooks.wait = std::move(wait);
    CPatientProfile current;
    ReadingTable table;
    db.Exec(std::string("DELETE FROM ") + QuotedReadingsTable("B1") + ";");
    return RunSinglePatientDownload(session, hooks, db, current, table);
  }

  // The floor: the pauses a download of `image` asks for, slept one by one (each must be
  // waited out on its own) on a thread raised as the worker's is. Prints both floors.
  double PausesOneByOne(const std::vector<std::uint8_t>& image, int* inserted = nullptr) {
    RecordingSleeper recorder;
    DownloadReport dry = Run(image, recorder, {});
    if (inserted) *inserted = dry.inserted;
    RealSleeper real;
    double oneSleep = 0, eachPause = 0;
    std::thread([&] {
      RaiseWorkerPriority();
      oneSleep = Seconds([&] { real.SleepMs(static_cast<std::uint32_t>(recorder.TotalMs())); });
      eachPause = Seconds([&] {
        for (std::uint32_t ms : recorder.pauses()) real.SleepMs(ms);
      });
    }).join();
    std::printf("floor: %zu pauses, %.2f s as one sleep, %.2f s one by one\n",
                recorder.pauses().size(), oneSleep, eachPause);
    std::fflush(stdout);
    return eachPause;
  }

 private:  // declared before the connection, so they outlive it
  test::TempFolder folder_;
  test::DataFolderOverride dataFolder_;

 public:
  Database db;
};

}  // namespace meridane::bench
