// Time to build every report data set of 10,000 readings, as ratios against a floor
// measured in the same run: one deep copy of the reading table (every reading touched
// once, details included). Absolute medians are printed beside the goals (each set under
// 10 ms, the whole report list under 50 ms) for reference only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_readings.h"
#include "reports/classification.h"
#include "reports/report_sets.h"
#include "reports/summary.h"
#include "bench_report.h"

using namespace meridane;

namespace {

std::size_t g_sink = 0;  // printed at the end so no build is optimised away

}  // namespace

int main() {
  const int n = 10000;
  CPatientProfile patient;
  patient.fullName = "Bench Patient";
  patient.healthRecord.hypoglycemic = 60;
  ReadingTable table = MakeReadings(n);
  ClassifyLoadedReadings(patient, table);
  // Every reading in the period: the heaviest case.
  const ReportPeriod period{table.entries.front().at.date(), table.entries.back().at.date()};
  const ReportTargets targets = LoadReportTargets(patient);

  const double floor = MedianMs([&] {
    ReadingTable copy = table;
    g_sink += copy.entries.size();
  });

  struct Case {
    const char* name;
    std::function<void()> run;
  };
  const std::vector<Case> cases{
      {"classify (all slots reset)",
       [&] {
         ReadingTable t = table;
         for (GlucoReading& r : t.entries) r.slot = 0;
         g_sink += ClassifyLoadedReadings(patient, t);
       }},
      {"LogBookSet",
       [&] { g_sink += BuildLogBookSet(patient, table, period, targets).rows.size(); }},
      {"DataListSet",
       [&] { g_sink += BuildDataListSet(patient, table, period, targets).rows.size(); }},
      {"TrendSet", [&] { g_sink += BuildTrendSet(patient, table, period, targets).points.size(); }},
      {"StandardDaySet",
       [&] { g_sink += BuildStandardDaySet(patient, table, period, targets).points.size(); }},
      {"DayAverageSet",
       [&] { g_sink += BuildDayAverageSet(patient, table, period, targets).categories.size(); }},
      {"WeekAverageSet",
       [&] { g_sink += BuildWeekAverageSet(patient, table, period, targets).categories.size(); }},
      {"HistogramSet",
       [&] { g_sink += BuildHistogramSet(patient, table, period, targets).counts[0]; }},
      {"PieSet", [&] { g_sink += BuildPieSet(patient, table, period, targets).pies[0].total; }},
      {"SummaryFields",
       [&] { g_sink += BuildSummaryChecks(patient, table, period, targets).result.size(); }},
      {"GlucoseProfileSet",
       [&] { g_sink += BuildGlucoseProfileSet(table, period, targets).readingCount; }},
  };

  std::printf("readings: %d; floor (deep copy of the table): %.3f ms\n", n, floor);
  std::printf("%-28s %10s %12s\n", "data set", "median ms", "x floor");
  double total = 0;
  for (const Case& c : cases) {
    const double ms = MedianMs(c.run);
    if (std::string(c.name).rfind("classify", 0) != 0) total += ms;
    std::printf("%-28s %10.3f %12.2f\n", c.name, ms, ms / floor);
  }
  std::printf("%-28s %10.3f %12.2f\n", "all report data sets", total, total / floor);
  bench::ReportRow("all report data sets of 10,000 readings vs deep copy of the table", total,
                   floor, "ms", "under 50 ms");
  std::printf("goals: each set under 10 ms, the whole list under 50 ms (checksum %zu)\n", g_sink);
  return 0;
}
