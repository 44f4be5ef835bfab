// Time of a 100-record meter read through the emulator with real protocol pauses, as a ratio
// against the pauses the read asks for (and against sleeping those pauses alone, measured
// in the same run). Goal: within 1.02 of the requested pauses.
#include <chrono>
#include <cstdio>
#include <vector>

#include "meter/emulator/emulated_backends.h"
#include "meter/meter_image.h"
#include "bench_report.h"
#include "support/meter_images.h"

using namespace meridane;
using Clock = std::chrono::steady_clock;

namespace {

double ReadMs(LinkKind kind, Sleeper& sleeper) {
  auto em = MakeEmulatedMeter(kind, test::SampleImage(kPersonalMeterType, 100), "AB12345678");
  auto link = MakeLink(kind, em->Context(&sleeper));
  std::vector<std::uint8_t> buf(kImageBufferSize);
  std::uint32_t bytes = 0, records = 0;
  const auto start = Clock::now();
  link->Open(0);
  const LinkResult r = link->ReadRecords(buf, bytes, records);
  link->Close();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (r != LINK_OK || records != 100) std::printf("  read failed: %s\n", LinkResultName(r));
  return ms;
}

}  // namespace

int main() {
  std::printf("bench_meter: 100-record image, emulated meter, real pauses\n");
  for (LinkKind kind : {LinkKind::MK72, LinkKind::TR35, LinkKind::HIDUART}) {
    RecordingSleeper recorder;
    ReadMs(kind, recorder);
    const double requested = static_cast<double>(recorder.TotalMs());

    // Floor: the same pauses slept back to back, nothing else.
    RealSleeper real;
    const auto start = Clock::now();
    for (auto p : recorder.pauses()) real.SleepMs(p);
    const double floorMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const double readMs = ReadMs(kind, real);
    std::printf("%-8s pauses %zu, requested %.0f ms, floor %.1f ms, read %.1f ms\n",
                std::string(LinkKindName(kind)).c_str(), recorder.pauses().size(), requested,
                floorMs, readMs);
    std::printf("%-8s read/requested %.4f (goal <= 1.02), read/floor %.4f\n",
                std::string(LinkKindName(kind)).c_str(), readMs / requested, readMs / floorMs);
    bench::ReportRow("meter read 100 records, " + std::string(LinkKindName(kind)) +
                         " vs its pauses slept back to back",
                     readMs, floorMs, "ms", "<= 1.02");
  }
  return 0;
}
