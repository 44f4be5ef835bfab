// Time from a change of report type or period to the report page painted, for every report
// type, on a patient with 10,000 readings all inside the period, as a ratio against a floor
// measured in the same run: building that report's data set alone. The goal (every switch
// under 100 ms) is printed beside the absolute medians for reference.
#include <QApplication>
#include <QDateEdit>
#include <cstdio>

#include "gui/main/app_state.h"
#include "gui/main/gui_support.h"
#include "bench_readings.h"
#include "bench_report.h"
#include "reports/glucose_profile.h"
#include "reports/text_format.h"
#include "reports/classification.h"
#include "gui/reports/report_page.h"
#include "reports/report_sets.h"
#include "reports/summary.h"

using namespace meridane;

namespace {

std::size_t g_sink = 0;

// The types of the report list, in its order.
constexpr int kListed[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, kReportGlucoseProfile};

// The data set of one report type alone, as the page builds it.
void BuildSet(const AppState& s, int type) {
  const auto& p = s.current;
  const auto& r = s.readings;
  const auto& period = s.period;
  const auto& t = s.targets;
  switch (type) {
    case kReportTrend: g_sink += BuildTrendSet(p, r, period, t, s.today()).points.size(); break;
    case kReportPie: g_sink += BuildPieSet(p, r, period, t).pies[0].total; break;
    case kReportStandardDay: g_sink += BuildStandardDaySet(p, r, period, t).points.size(); break;
    case kReportDayAverage: g_sink += BuildDayAverageSet(p, r, period, t).categories.size(); break;
    case kReportWeekAverage: g_sink += BuildWeekAverageSet(p, r, period, t).categories.size(); break;
    case kReportHistogram: g_sink += BuildHistogramSet(p, r, period, t).counts[0]; break;
    case kReportDataList: g_sink += BuildDataListSet(p, r, period, t).rows.size(); break;
    case kReportSummary:
      g_sink += BuildSummaryChecks(p, r, period, t, s.today()).result.size();
      g_sink += BuildGlucoseProfileSet(r, period, t).readingCount;
      break;
    case kReportGlucoseProfile:
      g_sink += BuildGlucoseProfile(r, period, t.mmol, p.timeUnit).readings;
      break;
    default: g_sink += BuildLogBookSet(p, r, period, t).rows.size(); break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                   : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  AppState s;
  s.current.fullName = "Bench Patient";
  s.current.healthRecord.hypoglycemic = 60;
  s.readings = MakeReadings(10000);
  ClassifyLoadedReadings(s.current, s.readings);
  s.ReloadReportTargets();
  s.fixedToday = s.readings.entries.back().at.date();
  // Latest 90 days covers a tenth of them; the full span is the heaviest case.
  const ReportPeriod all{s.readings.entries.front().at.date(), s.readings.entries.back().at.date()};
  s.period = all;

  ScriptedPrompter prompter;
  CReportPage page(s, prompter);
  page.resize(980, 560);
  page.show();
  auto paint = [&] {
    app.processEvents();  // chart layout runs from the event loop
    page.repaint();
  };
  // Every view exists before timing, as after the first visit.
  for (int t : kListed) {
    page.OnReportChosen(t);
    paint();
  }

  std::printf("readings: 10000, all in the period\n");
  std::printf("%-24s %9s %9s %9s %9s %9s\n", "report", "set ms", "type ms", "x set", "period ms",
              "x set");
  double worst = 0;
  for (int t : kListed) {
    const double floor = MedianMs([&] { BuildSet(s, t); }, 11);
    // Type change: from another report to this one; period change: from the latest 90
    // days to the full span picked in the start picker.
    std::vector<double> typeTimes, periodTimes;
    for (int round = 0; round < 11; ++round) {
      page.OnReportChosen(t == kReportLogBook ? kReportPie : kReportLogBook);
      paint();
      auto t0 = std::chrono::steady_clock::now();
      page.OnReportChosen(t);
      paint();
      auto t1 = std::chrono::steady_clock::now();
      typeTimes.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      page.OnPeriodChosen(4);
      paint();
      t0 = std::chrono::steady_clock::now();
      page.fromPicker()->setDate(ToQDate(all.first));
      paint();
      t1 = std::chrono::steady_clock::now();
      periodTimes.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::nth_element(typeTimes.begin(), typeTimes.begin() + 5, typeTimes.end());
    std::nth_element(periodTimes.begin(), periodTimes.begin() + 5, periodTimes.end());
    const double ty = typeTimes[5], pe = periodTimes[5];
    worst = std::max({worst, ty, pe});
    std::printf("%-24s %9.2f %9.2f %9.1f %9.2f %9.1f\n", ReportListText(t).c_str(), floor, ty,
                ty / floor, pe, pe / floor);
    if (t == kReportGlucoseProfile)
      bench::ReportRow("glucose profile: report switch, 10,000 readings vs building its data",
                       ty, floor, "ms",
                       Printf("ratio < %.0f (100 ms at this floor): %s", 100 / floor,
                              ty < 100 ? "met" : "MISSED"));
  }
  std::printf("slowest switch %.1f ms; goal: every switch under 100 ms (checksum %zu)\n", worst,
              g_sink);
  return 0;
}
