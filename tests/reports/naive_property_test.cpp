// Random readings and schedules, checked against a second, deliberately plain reading of
// the rules: minute tables instead of block tests, selection instead of sorting, pairwise
// scans instead of per-slot accumulators.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "support/fixtures.h"
#include "reports/classification.h"
#include "reports/report_sets.h"
#include "reports/summary.h"

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
      GlucoReading r = test::Reading(at, value, 0, static_cast<int>(rng() % 3));
      table.entries.push_back(r);
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

    // Pie: band counts per slot by direct comparison.
    const PieSet pie = BuildPieSet(patient, table, period, targets);
    std::array<int, 4> overall{};
    for (int p = 1; p < 8; ++p) {
      const int slot = std::array<int, 8>{0, 1, 2, 7, 3, 4, 5, 6}[p];
      std::array<int, 4> counts{};
      for (int pass = 0; pass < (slot == 7 ? 2 : 1); ++pass)
        for (const GlucoReading& r : table.entries) {
          const int s = pass == 0 ? slot : 0;  // slot-0 readings ride along once, in the total
          if (r.slot != s || !InsidePeriod(r.at, period) || r.gluco < 20 || r.gluco > 600) continue;
          const int low = IsPre(s) ? targets.preMealLow : targets.postMealLow;
          const int high = IsPre(s) ? targets.preMealHigh : targets.postMealHigh;
          const int h = targets.hypoglycemic;
          const int band = r.gluco > high             ? 0
                           : r.gluco >= low           ? 1
                           : (h == 0 || r.gluco >= h) ? 2
                                                      : 3;
          if (pass == 0) ++counts[band];
          ++overall[band];
        }
      EXPECT_EQ(pie.pies[p].counts, counts) << p;
    }
    EXPECT_EQ(pie.pies[0].counts, overall);

    // Histogram: bar by the table of edges.
    const HistogramSet hist = BuildHistogramSet(patient, table, period, targets);
    std::array<int, 13> bars{};
    static const int kUpper[] = {67, 99, 130, 161, 193, 224, 256, 287, 317, 348, 379, 411};
    for (const GlucoReading& r : table.entries) {
      if (!InsidePeriod(r.at, period)) continue;
      int b = 0;
      while (b < 12 && r.gluco > kUpper[b]) ++b;
      ++bars[b];
    }
    EXPECT_EQ(hist.counts, bars);

    // Week average: before/after per weekday.
    const WeekAverageSet week = BuildWeekAverageSet(patient, table, period, targets);
    for (int d = 0; d < 7; ++d)
      for (int pre = 0; pre < 2; ++pre) {
        double sum = 0;
        int count = 0;
        for (const GlucoReading& r : table.entries)
          if (InsidePeriod(r.at, period) && r.gluco >= 20 && r.gluco <= 600 &&
              DayOfWeek(r.at.date()) == d && IsPre(r.slot) == (pre == 1)) {
            sum += r.gluco;
            ++count;
          }
        const AverageBar& bar = (pre ? week.before : week.after).bars[d];
        ASSERT_EQ(bar.present, count > 0);
        if (count) {
          EXPECT_NEAR(bar.value, sum / count / (targets.mmol ? 18.0 : 1.0), 1e-9);
        }
      }

    // Summary: count, average and the population SD around the truncated mean.
    const SummaryFields sum = BuildSummaryChecks(patient, table, period, targets, {2026, 3, 6});
    std::vector<int> valid;
    for (const GlucoReading& r : table.entries)
      if (InsidePeriod(r.at, period) && r.gluco >= 20 && r.gluco <= 600) valid.push_back(r.gluco);
    if (table.entries.empty()) {
      EXPECT_EQ(sum.result, "- - -");
    } else {
      EXPECT_EQ(sum.result, std::to_string(valid.size()));
      long long total = 0;
      for (int v : valid) total += v;
      const long long mean = valid.empty() ? 0 : total / static_cast<long long>(valid.size());
      double sq = 0;
      for (int v : valid) sq += double(v - mean) * double(v - mean);
      const double sd = valid.empty() ? 0 : std::sqrt(sq / valid.size());
      EXPECT_EQ(sum.standardDeviation, Num("%.1f", targets.mmol ? sd / 18.0 : sd));
      EXPECT_EQ(sum.average, targets.mmol ? Num("%2.1f", mean / 18.0) : std::to_string(mean));
    }

    // Charts plot every valid reading of the period, no more.
    EXPECT_EQ(BuildTrendSet(patient, table, period, targets).points.size(), valid.size());
    EXPECT_EQ(BuildStandardDaySet(patient, table, period, targets).points.size(), valid.size());
  }
}

}  // namespace
}  // namespace meridane
