// The worker's filter and duplicate test against a plain pairwise reading of the rules, on
// random images full of repeats, bad dates, void records and large record numbers.
#include <gtest/gtest.h>

#include <random>

#include "download/download_worker.h"
#include "download/reading_keys.h"
#include "meter/meter_image.h"

namespace meridane {
namespace {

ReadingTable Reference(const std::vector<MeterRecord>& recs, ReadingTable t, bool clinic) {
  for (const MeterRecord& m : recs) {
    DateTime at{m.year, m.month, m.day, m.hour, m.minute};
    if (clinic && (m.isVoid || m.medicalNo >= 1000)) continue;
    if (!IsValidDate(at.date()) || m.hour > 23 || m.minute > 59) continue;
    bool dup = false;
    for (const GlucoReading& r : t.entries)
      dup = dup || (r.gluco == m.gluco && r.at == at && (!clinic || r.medicalNo == m.medicalNo));
    if (dup) continue;
    GlucoReading& r = t.entries.emplace_back();
    r.at = at;
    r.gluco = m.gluco;
    r.mark = m.mark;
    r.medicalNo = clinic ? m.medicalNo : -1;
  }
  return t;
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
      // Few distinct values so repeats are common; some months, days and times invalid.
      MeterRecord m{pick(18, 22) * 10, 2024, pick(1, 13), pick(28, 32), pick(22, 24),
                    pick(0, 1) * 59, pick(0, 1), pick(0, 2) == 0 ? pick(998, 1010) : pick(0, 2),
                    clinic && pick(0, 5) == 0};
      enc.push_back(clinic ? EncodeClinicRecord(m) : EncodePersonalRecord(m));
      // Compare against what the meter actually sends.
      std::span<const std::uint8_t, kRecordSize> b(enc.back().data(), kRecordSize);
      recs.push_back(clinic ? DecodeClinicRecord(b) : DecodePersonalRecord(b));
    }
    // Readings already in the table from an earlier load.
    ReadingTable table;
    for (int i = 0; i < 20; ++i) {
      GlucoReading& r = table.entries.emplace_back();
      r.at = {2024, pick(1, 12), 28, pick(22, 23), pick(0, 1) * 59};
      r.gluco = pick(18, 22) * 10;
      r.medicalNo = clinic ? pick(0, 2) : -1;
    }
    table.startIndex = table.count();
    const ReadingTable want = Reference(recs, table, clinic);
    auto image = BuildMeterImage(clinic ? kClinicMeterType : kPersonalMeterType, enc);
    ASSERT_EQ(AppendMeterImage(image, n, table, clinic), kDownloadOk);
    ASSERT_EQ(table.count(), want.count()) << "round " << round;
    for (std::size_t i = 0; i < want.count(); ++i) {
      EXPECT_EQ(table.entries[i].at, want.entries[i].at) << round << ":" << i;
      EXPECT_EQ(table.entries[i].gluco, want.entries[i].gluco) << round << ":" << i;
      EXPECT_EQ(table.entries[i].medicalNo, want.entries[i].medicalNo) << round << ":" << i;
      EXPECT_EQ(table.entries[i].mark, want.entries[i].mark) << round << ":" << i;
    }
  }
}

TEST(AppendMeterImage, TheLimitCountsOnlyWhatThisDownloadAdds) {
  std::vector<std::vector<std::uint8_t>> enc;
  for (int i = 0; i < 3; ++i)
    enc.push_back(EncodePersonalRecord({100 + i, 2025, 1, 1, 8, i, 0, 0, false}));
  auto image = BuildMeterImage(kPersonalMeterType, enc);

  ReadingTable history;
  history.entries.resize(kMaxDownloadReadings + 5);
  history.startIndex = history.count();
  EXPECT_EQ(AppendMeterImage(image, 3, history, false), kDownloadOk);
  EXPECT_EQ(history.count(), kMaxDownloadReadings + 8);

  // A download that has itself added the most it may stops with the full-table outcome.
  ReadingTable full;
  full.entries.resize(kMaxDownloadReadings - 1);
  full.startIndex = 0;
  EXPECT_EQ(AppendMeterImage(image, 3, full, false), kDownloadTooMany);
  EXPECT_EQ(full.count(), kMaxDownloadReadings);
}

TEST(ReadingKeySet, KeepsEveryFieldApartAndGrows) {
  ReadingKeySet s;
  const ReadingKey base{120, {2024, 3, 4, 7, 30}, 5};
  EXPECT_TRUE(s.Insert(base));
  EXPECT_FALSE(s.Insert(base));
  for (int field = 0; field < 7; ++field) {
    ReadingKey k = base;
    int* f[] = {&k.gluco, &k.at.year, &k.at.month, &k.at.day, &k.at.hour, &k.at.minute,
                &k.medicalNo};
    *f[field] += 1;
    EXPECT_FALSE(s.Contains(k)) << field;
  }
  for (int i = 0; i < 5000; ++i) EXPECT_TRUE(s.Insert({i, {2024, 1, 1, 0, 0}, -1}));
  EXPECT_EQ(s.size(), 5001u);
  EXPECT_TRUE(s.Contains(base));
  EXPECT_TRUE(s.Contains({4999, {2024, 1, 1, 0, 0}, -1}));
}

}  // namespace
}  // namespace meridane
