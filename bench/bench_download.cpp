// Download figures, each a ratio against a floor measured in the same run:
//  1. the duplicate test of 1,023 new readings against 10,000 in the table: the hash set of
//     the worker against a pairwise scan of the table (goal: at least 20 times faster);
//  2. a whole emulated download of 1,023 records with real pauses, as the window runs it,
//     against the protocol's own pauses slept back to back (goal: at most 1.02).
// Pass --quick to skip the second (it takes about two minutes).
#include <cstring>

#include "download_bench_util.h"
#include "bench_report.h"

using namespace meridane;
using namespace meridane::bench;

namespace {

ReadingTable StoredTable(int n) {
  ReadingTable t;
  for (int i = 0; i < n; ++i) {
    GlucoReading& r = t.entries.emplace_back();
    r.at = {2020 + i / 4000, 1 + (i / 300) % 12, 1 + (i / 12) % 25, 6 + i % 12, i % 60};
    r.gluco = 60 + (i * 7) % 300;
    r.idx = i + 1;
  }
  t.startIndex = t.count();
  return t;
}

// The scan the hash set replaces: each new reading against every reading before it.
void PairwiseAppend(std::span<const std::uint8_t> image, std::uint32_t count, ReadingTable& t) {
  for (std::uint32_t i = 0; i < count; ++i) {
    std::span<const std::uint8_t, kRecordSize> b(image.data() + kImageHeaderSize + kRecordSize * i,
                                                  kRecordSize);
    MeterRecord m = DecodePersonalRecord(b);
    DateTime at{m.year, m.month, m.day, m.hour, m.minute};
    if (!IsValidDate(at.date()) || m.hour > 23 || m.minute > 59) continue;
    bool dup = false;
    for (const GlucoReading& r : t.entries)
      if (r.gluco == m.gluco && r.at == at) {
        dup = true;
        break;
      }
    if (dup) continue;
    GlucoReading& r = t.entries.emplace_back();
    r.at = at;
    r.gluco = m.gluco;
    r.mark = m.mark;
    r.idx = static_cast<int>(t.count());
  }
}

void DuplicateTest() {
  auto image = Image(1023, 0);
  const ReadingTable stored = StoredTable(10000);
  constexpr int kRounds = 20;
  ReadingTable a, b;
  double hashed = 1e9, pairwise = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    // The window's table has room for every reading a download may add.
    a = stored;
    b = stored;
    a.entries.reserve(stored.count() + 1100);
    b.entries.reserve(stored.count() + 1100);
    hashed = std::min(hashed, Seconds([&] { AppendMeterImage(image, 1023, a, false); }));
    pairwise = std::min(pairwise, Seconds([&] { PairwiseAppend(image, 1023, b); }));
  }
  bool same = a.count() == b.count();
  for (std::size_t i = 0; same && i < a.count(); ++i)
    same = a.entries[i].at == b.entries[i].at && a.entries[i].gluco == b.entries[i].gluco;
  std::printf("duplicate test, 1023 new against 10000: hash %.3f ms, pairwise %.3f ms, "
              "pairwise/hash = %.1fx (goal >= 20x), same result: %s\n",
              hashed * 1e3, pairwise * 1e3, pairwise / hashed, same ? "yes" : "NO");
  bench::ReportRow(std::string("duplicate test 1023 new vs 10,000 (pairwise scan floor)") +
                       (same ? "" : " RESULTS DIFFER"),
                   hashed * 1e3, pairwise * 1e3, "ms", "floor/product >= 20", true);
}

void WholeDownload() {
  BenchBook book("download");
  auto image = Image(1023, 0);
  int expected = 0;
  const double eachPause = book.PausesOneByOne(image, &expected);
  RealSleeper real;
  // First waiting for the worker's end directly, then at the progress dialog's 1000 ms
  // tick, which can add up to one tick after the last pause.
  for (std::uint32_t tickMs : {0u, 1000u}) {
    DownloadReport r;
    std::function<void(DownloadSession&)> wait;
    if (tickMs > 0) wait = [tickMs](DownloadSession& s) {
      RealSleeper tick;
      WaitForDownload(s, tickMs, tick);
    };
    double whole = Seconds([&] { r = book.Run(image, real, wait); });
    std::printf("whole download, 1023 records, real pauses, %s: %.2f s; /pauses one by one = "
                "%.4f (goal <= 1.02); inserted %d/%d\n",
                tickMs ? "1000 ms dialog tick" : "joined at the end", whole, whole / eachPause,
                r.inserted, expected);
    bench::ReportRow(std::string("whole download 1023 records vs its pauses, ") +
                         (tickMs ? "1000 ms dialog tick" : "joined at the end"),
                     whole, eachPause, "s", "<= 1.02");
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  DuplicateTest();
  if (!(argc > 1 && std::strcmp(argv[1], "--quick") == 0)) WholeDownload();
  return 0;
}
