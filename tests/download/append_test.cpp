// The worker's filter and duplicate test against a plain pairwise reading of the rules, on
// random images full of repeats, bad dates, void records and large record numbers.
#include <gtest/gtest.h>

#include <random>

#include "download/download_worker.h"
#include "meter/meter_image.h"

namespace meridane {
namespace {

void PairwiseAppend(const std::vector<MeterRecord>& recs, ReadingTable& t, bool clinic) {
  for (const MeterRecord& m : recs) {
    DateTime at{m.year, m.month, m.day, m.hour, m.minute};
    if ((clinic && (m.isVoid || m.medicalNo >= 1000)) || !IsValidDate(at.date()) || m.hour > 23 ||
        m.minute > 59)
      continue;
    bool dup = false;
    for (const GlucoReading& r : t.entries)
      dup = dup || (r.gluco == m.gluco && r.at == at && (!clinic || r.medicalNo == m.medicalNo));
    if (!dup) t.entries.push_back({0, at, m.gluco, 0, m.mark, clinic ? m.medicalNo : -1, {}});
  }
}

TEST(AppendMeterImage, AgreesWithAPairwiseScanOnRandomImages) {
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 40; ++round) {
    const bool clinic = round % 2 == 1;
    std::vector<MeterRecord> recs;
    std::vector<std::vector<std::uint8_t>> enc;
    const int n = pick(0, 300);
    for (int i = 0; i < n; ++i) {
      // Few distinct values so repeats are common; some dates and times invalid.
      MeterRecord m{pick(18, 22) * 10, 2024, pick(1, 13), pick(28, 32), pick(22, 24),
                    pick(0, 1) * 59, pick(0, 1), pick(0, 2) == 0 ? pick(998, 1010) : pick(0, 2),
                    clinic && pick(0, 5) == 0};
      enc.push_back(clinic ? EncodeClinicRecord(m) : EncodePersonalRecord(m));
      std::span<const std::uint8_t, kRecordSize> b(enc.back().data(), kRecordSize);
      recs.push_back(clinic ? DecodeClinicRecord(b) : DecodePersonalRecord(b));
    }
    ReadingTable table;  // readings loaded before the download
    for (int i = 0; i < 20; ++i)
      table.entries.push_back({0, {2024, pick(1, 12), 28, pick(22, 23), pick(0, 1) * 59},
                               pick(18, 22) * 10, 0, 0, clinic ? pick(0, 2) : -1, {}});
    table.startIndex = table.count();
    ReadingTable want = table;
    PairwiseAppend(recs, want, clinic);
    auto image = BuildMeterImage(clinic ? kClinicMeterType : kPersonalMeterType, enc);
    ASSERT_EQ(AppendMeterImage(image, n, table, clinic), kDownloadOk);
    ASSERT_EQ(table.count(), want.count()) << "round " << round;
    for (std::size_t i = 0; i < want.count(); ++i) {
      const GlucoReading &got = table.entries[i], &w = want.entries[i];
      EXPECT_TRUE(got.at == w.at && got.gluco == w.gluco && got.medicalNo == w.medicalNo &&
                  got.mark == w.mark)
          << "round " << round << " entry " << i;
    }
  }
}

TEST(AppendMeterImage, TheLimitCountsOnlyWhatThisDownloadAdds) {
  std::vector<std::vector<std::uint8_t>> enc;
  for (int i = 0; i < 3; ++i) enc.push_back(EncodePersonalRecord({100 + i, 2025, 1, 1, 8, i, 0, 0, false}));
  auto image = BuildMeterImage(kPersonalMeterType, enc);

  ReadingTable history;  // a patient with years of readings
  history.entries.resize(kMaxDownloadReadings + 5);
  history.startIndex = history.count();
  EXPECT_EQ(AppendMeterImage(image, 3, history, false), kDownloadOk);
  EXPECT_EQ(history.count(), kMaxDownloadReadings + 8);

  ReadingTable full;  // this download has added the most it may
  full.entries.resize(kMaxDownloadReadings - 1);
  EXPECT_EQ(AppendMeterImage(image, 3, full, false), kDownloadTooMany);
  EXPECT_EQ(full.count(), kMaxDownloadReadings);
}

}  // namespace
}  // namespace meridane
