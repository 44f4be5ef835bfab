// Random readings and schedules, checked against a second, deliberately plain reading of
// the filing and log book rules: minute tables instead of block tests, selection instead of
// sorting, pairwise scans instead of per-slot accumulators.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "support/fixtures.h"
#include "reports/classification.h"
#include "reports/report_sets.h"

namespace meridane {
namespace {

int NaiveSlot(const Schedule& s, const TimeOfDay& t) {
  for (int k = 0; k < 6; ++k)
    if (s.start[k].hour * 60 + s.start[k].minute > s.start[k + 1].hour * 60 + s.start[k + 1].minute)
      return 0;
  std::array<int, 1440> minute;
  minute.fill(7);
  std::array<bool, 1440> taken{};
  for (int k = 0; k < 6; ++k)
    for (int m = s.start[k].hour * 60 + s.start[k].minute;
         m < s.start[k + 1].hour * 60 + s.start[k + 1].minute; ++m)
      if (!taken[m]) {
        taken[m] = true;
        minute[m] = k + 1;
      }
  return minute[t.hour * 60 + t.minute];
}

std::string Num(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

std::string NaiveValue(int v, bool mmol) {
  if (v > 600) return "HI";
  if (v < 20) return "LO";
  return mmol ? Num("%2.1f", v / 18.0) : std::to_string(v);
}

bool InsidePeriod(const DateTime& at, const ReportPeriod& p) {
  const long d = DaysFromCivil(at.date());
  return DaysFromCivil(p.first) <= d && d <= DaysFromCivil(p.last);
}

bool IsPre(int slot) { return slot % 2 == 1 && slot != 7; }

Schedule RandomSchedule(std::mt19937& rng) {
  Schedule s;
  std::uniform_int_distribution<int> minute(0, 1439);
  std::array<int, 7> m;
  for (int& x : m) x = minute(rng);
  if (rng() % 4 != 0) std::sort(m.begin(), m.end());  // mostly in day order
  if (rng() % 5 == 0) m[3] = m[2];                    // sometimes an empty block
  for (int k = 0; k < 7; ++k) s.start[k] = {m[k] / 60, m[k] % 60};
  return s;
}

TEST(NaiveComparison, RandomReadingsAndSchedules) {
  std::mt19937 rng(20260306);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    CPatientProfile patient;
    patient.scheduleEnable = rng() % 2;
    patient.workEnable = rng() % 2;
    patient.timeUnit = rng() % 2;
    patient.mealEnable = rng() % 2;
    patient.working = RandomSchedule(rng);
    patient.nonWorking.blocks = RandomSchedule(rng);
    patient.nonWorking.nonWorkingDay = static_cast<int>(rng() % 128);

    ReportTargets targets;
    targets.mmol = rng() % 2;
    targets.preMealLow = 60 + static_cast<int>(rng() % 30);
    targets.preMealHigh = 110 + static_cast<int>(rng() % 60);
    targets.postMealLow = 60 + static_cast<int>(rng() % 30);
    targets.postMealHigh = 140 + static_cast<int>(rng() % 80);
    targets.hypoglycemic = rng() % 3 == 0 ? 0 : 40 + static_cast<int>(rng() % 50);

    ReadingTable table;
    const int n = static_cast<int>(rng() % 80);
    for (int i = 0; i < n; ++i) {
      // Values cluster around the thresholds and the valid-range edges.
      static const int kValues[] = {15,  19,  20,  21,  59,  60,  61,  69,  70,  71,
                                    129, 130, 131, 179, 180, 181, 599, 600, 601, 700};
      const int value = rng() % 2 ? kValues[rng() % 20] : static_cast<int>(rng() % 650);
      DateTime at{2026, 2, 20 + static_cast<int>(rng() % 9), static_cast<int>(rng() % 24),
                  static_cast<int>(rng() % 60)};
      if (at.day > 28) at = {2026, 3, at.day - 28, at.hour, at.minute};
      table.entries.push_back(test::Reading(at, value, 0, static_cast<int>(rng() % 3)));
    }
    if (rng() % 2)
      std::stable_sort(table.entries.begin(), table.entries.end(),
                       [](const GlucoReading& a, const GlucoReading& b) { return a.at < b.at; });
    ClassifyLoadedReadings(patient, table);
    for (const GlucoReading& r : table.entries) {
      const bool off =
          patient.workEnable && (patient.nonWorking.nonWorkingDay >> DayOfWeek(r.at.date()) & 1);
      const Schedule& s = off                      ? patient.nonWorking.blocks
                          : patient.scheduleEnable ? patient.working
                                                   : Schedule{};
      ASSERT_EQ(r.slot, NaiveSlot(s, r.at.time()));
    }

    const ReportPeriod period{{2026, 2, 20 + static_cast<int>(rng() % 5)},
                              {2026, 2, 24 + static_cast<int>(rng() % 5)}};

    // Log book: newest first by selection, cells and the three summary rows.
    const LogBookSet book = BuildLogBookSet(patient, table, period, targets);
    std::vector<bool> used(table.entries.size(), false);
    std::size_t row = 0;
    for (;;) {
      int pick = -1;
      for (std::size_t i = 0; i < table.entries.size(); ++i) {
        if (used[i] || !InsidePeriod(table.entries[i].at, period)) continue;
        if (pick < 0 || !(table.entries[i].at < table.entries[pick].at)) pick = static_cast<int>(i);
      }
      if (pick < 0) break;
      used[pick] = true;
      ASSERT_LT(row, book.readingRows);
      const GlucoReading& r = table.entries[pick];
      EXPECT_EQ(book.readingIndex[row], static_cast<std::size_t>(pick));
      for (int c = 1; c <= 7; ++c) {
        const GridCell& cell = book.rows[row][c];
        if (c != r.slot) {
          EXPECT_TRUE(cell.text.empty());
          continue;
        }
        EXPECT_EQ(cell.text, NaiveValue(r.gluco, targets.mmol));
        const int low = IsPre(c) ? targets.preMealLow : targets.postMealLow;
        const int high = IsPre(c) ? targets.preMealHigh : targets.postMealHigh;
        std::optional<Rgb> color;
        if (r.gluco >= 20 && r.gluco <= 600)
          color = r.gluco > high ? kAboveColor : r.gluco < low ? kBelowColor : kWithinColor;
        EXPECT_EQ(cell.color, color);
        EXPECT_EQ(cell.background.has_value(), r.mark != 2);
      }
      ++row;
    }
    ASSERT_EQ(row, book.readingRows);
    for (int c = 1; c <= 7; ++c) {
      long long sum = 0;
      int valid = 0, in = 0, all = 0;
      const int low = IsPre(c) ? targets.preMealLow : targets.postMealLow;
      const int high = IsPre(c) ? targets.preMealHigh : targets.postMealHigh;
      for (const GlucoReading& r : table.entries) {
        if (r.slot != c || !InsidePeriod(r.at, period)) continue;
        ++all;
        if (r.gluco < 20 || r.gluco > 600) continue;
        ++valid;
        sum += r.gluco;
        if (r.gluco > low && r.gluco < high) ++in;
      }
      const std::string avg = valid == 0 || sum / valid == 0
                                  ? ""
                                  : NaiveValue(static_cast<int>(sum / valid), targets.mmol);
      EXPECT_EQ(book.rows[row + 1][c].text, avg);
      EXPECT_EQ(book.rows[row + 2][c].text, in ? std::to_string(in) : "");
      EXPECT_EQ(book.rows[row + 3][c].text, all ? std::to_string(all) : "");
    }

    // Charts plot every valid reading of the period, no more.
    std::size_t valid = 0;
    for (const GlucoReading& r : table.entries)
      valid += InsidePeriod(r.at, period) && r.gluco >= 20 && r.gluco <= 600;
    EXPECT_EQ(BuildTrendSet(patient, table, period, targets).points.size(), valid);
    EXPECT_EQ(BuildStandardDaySet(patient, table, period, targets).points.size(), valid);
  }
}

}  // namespace
}  // namespace meridane
