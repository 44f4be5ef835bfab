#include "reports/report_sets.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/fixtures.h"

// Details are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane {
namespace {

using test::At;
using test::Reading;

CPatientProfile Patient(bool timeUnit24 = true, bool mealEnable = false) {
  CPatientProfile p;
  p.fullName = "Ann Lee";
  p.medicalNo = "007";
  p.timeUnit = timeUnit24;
  p.mealEnable = mealEnable;
  return p;
}

ReportTargets MmolTargets() {
  ReportTargets t;
  t.mmol = true;
  t.axisTop = 35;
  return t;
}

TEST(ReportPeriod, DefaultPeriodAndPickedDays) {
  const ReadingTable t{.entries = {Reading(At(2026, 3, 2, 23, 59), 100, 1),
                                   Reading(At(2026, 3, 10, 9, 15), 100, 1),
                                   Reading(At(2026, 3, 3, 0, 0), 100, 1)}};
  const ReportPeriod p = DefaultPeriod(t, 0, {2030, 1, 1});
  EXPECT_EQ(p.first, (Date{2026, 3, 3}));
  EXPECT_EQ(p.last, (Date{2026, 3, 10}));
  EXPECT_FALSE(p.Contains(At(2026, 3, 2, 23, 59)));
  EXPECT_TRUE(p.Contains(At(2026, 3, 10, 23, 59)));
  EXPECT_EQ(ReadingsInPeriod(t, p), (std::vector<std::size_t>{2, 1}));

  EXPECT_EQ(DefaultPeriod(t, 4, {}).first, (Date{2025, 12, 10}));
  EXPECT_EQ(DefaultPeriod(t, 9, {}).first, (Date{2026, 3, 3}));  // unknown entry: 7 days
  EXPECT_EQ(DefaultPeriod(ReadingTable{}, 0, {2026, 1, 5}),
            (ReportPeriod{{2025, 12, 29}, {2026, 1, 5}}));

  ScriptedPrompter prompter;
  ReportPeriod current = p;
  EXPECT_FALSE(PickPeriod({2026, 3, 11}, {2026, 3, 10}, current, prompter));
  EXPECT_EQ(current, p);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Please make sure your Start date is "
                                                       "earlier than End date in the Time Blocks."});
  EXPECT_TRUE(PickPeriod({2026, 3, 10}, {2026, 3, 10}, current, prompter));
  EXPECT_EQ(current, (ReportPeriod{{2026, 3, 10}, {2026, 3, 10}}));
}

TEST(ReportTexts, TitlesAndTimesOfDay) {
  const ReportPeriod p{{2026, 3, 3}, {2026, 3, 10}};
  EXPECT_EQ(ReportTitle(kReportTrend, p, Patient()),
            "Glucose Trend      From 03/03/2026  To  03/10/2026                  Patient Name: "
            "Ann Lee(007)");
  EXPECT_EQ(ReportTitle(kReportPie, p, Patient()),
            "Pie Chart       From 03/03/2026     To     03/10/2026");
  EXPECT_EQ(TimeOfDayText({0, 5}, false) + TimeOfDayText({12, 0}, false) + TimeOfDayText({0, 5}, true),
            "12:05 am12:00 pm00:05");
  // Entries outside the lists fall back instead of reading past them.
  EXPECT_EQ(ReportListText(-1) + ReportListText(kReportTypeCount) + ReportTitle(kReportLogBook, p, Patient()), "");
  EXPECT_EQ(PeriodListText(9) + "|" + MonthDayYear({12026, 3, 4}), "Latest 7 days|03/04/12026");
}

TEST(DataList, CellTexts) {
  ReadingTable t;
  GlucoReading r = Reading(At(2026, 3, 9, 14, 5), 95, 4);
  r.detail = {.oral = "Metformin", .oralAmount = 500, .exerciseHour = 1, .exerciseMinute = 5,
              .intensity = 1, .carbs = 40, .proteins = 10, .comment = "tired", .commentFoo = "pizza"};
  t.entries.push_back(r);
  GlucoReading bare = Reading(At(2026, 3, 8, 0, 40), 700, 7);
  bare.detail.intensity = -1;
  t.entries.push_back(bare);
  GlucoReading onlyIntensity = Reading(At(2026, 3, 7, 9, 0), 100, 2);
  onlyIntensity.detail.intensity = 0;
  t.entries.push_back(onlyIntensity);

  const DataListSet set =
      BuildDataListSet(Patient(false), t, {{2026, 3, 1}, {2026, 3, 9}}, ReportTargets{});
  ASSERT_EQ(set.columns.size(), 8u);
  ASSERT_TRUE(set.rows.size() == 3 && set.rows[0].size() == 8) << set.rows.size();
  const char* const first[] = {"03/09/2026",   "02:05 pm", "95", "", "500.0,Metformin",
                               "1:5,Moderate", "carbs,40; proteins,10", "tired;pizza"};
  for (int c = 0; c < 8; ++c) EXPECT_EQ(set.rows[0][c].text, first[c]) << c;
  EXPECT_EQ(set.rows[1][5].text, "");
  EXPECT_EQ(set.rows[2][5].text, "0:0,Mild");
}

TEST(Trend, LabelsAndPoints) {
  const ReadingTable t{.entries = {Reading(At(2026, 3, 10, 12, 0), 126, 3),
                                   Reading(At(2026, 3, 10, 13, 0), 700, 3)}};
  // A single day: the start moves 5 days back, step 1 day.
  const TrendSet one = BuildTrendSet(Patient(), t, {{2026, 3, 10}, {2026, 3, 10}}, ReportTargets{});
  ASSERT_EQ(one.labels.size(), 15u);
  EXPECT_EQ(one.labels[0].text, "03/04/26");  // floor(start − 0.5) with start 03/05
  ASSERT_EQ(one.points.size(), 1u);  // HI is not plotted
  EXPECT_DOUBLE_EQ(one.points[0].x, 6.5);
  EXPECT_DOUBLE_EQ(one.points[0].y, 126);

  // 90 days: step 7 (90 / 13 rounded up).
  const TrendSet wide = BuildTrendSet(Patient(), t, {{2025, 12, 10}, {2026, 3, 10}}, MmolTargets());
  EXPECT_EQ(wide.labels[0].text, "12/06/25");
  EXPECT_DOUBLE_EQ(wide.points[0].y, 7.0);
  // 180 / 18 and 70 / 18 = 3.9 truncated
  EXPECT_EQ(std::make_pair(wide.frame.bandHigh, wide.frame.bandLow), std::make_pair(10.0, 3.0));

  // No readings at all: fifteen days from a week before today.
  const TrendSet none = BuildTrendSet(Patient(), ReadingTable{}, {{2026, 3, 3}, {2026, 3, 10}},
                                      ReportTargets{}, {2026, 3, 10});
  EXPECT_EQ(none.labels[0].text, "03/03/26");
}

TEST(StandardDay, AxisFromFiveInTheMorning) {
  const ReadingTable t{.entries = {Reading(At(2026, 3, 10, 4, 30), 100, 7),
                                   Reading(At(2026, 3, 10, 5, 0), 100, 7),
                                   Reading(At(2026, 3, 10, 4, 59), 100, 7),
                                   Reading(At(2026, 3, 10, 7, 0), 15, 1)}};
  const StandardDaySet set =
      BuildStandardDaySet(Patient(false), t, {{2026, 3, 10}, {2026, 3, 10}}, ReportTargets{});
  ASSERT_EQ(set.points.size(), 3u);
  EXPECT_DOUBLE_EQ(set.points[0].x, 11.75);
  EXPECT_NEAR(set.points[1].x, 11.995, 0.005);  // 04:59, just below the end of the axis
  EXPECT_DOUBLE_EQ(set.points[2].x, 0);  // 05:00
  ASSERT_EQ(set.labels.size(), 12u);
}

TEST(Averages, DayAndWeek) {
  const ReadingTable t{.entries = {Reading(At(2026, 3, 10, 7, 0), 100, 1),  // Tuesday
                                   Reading(At(2026, 3, 10, 7, 30), 101, 1),
                                   Reading(At(2026, 3, 10, 23, 30), 200, 7),
                                   Reading(At(2026, 3, 10, 23, 40), 700, 2)}};
  const ReportPeriod p{{2026, 3, 10}, {2026, 3, 10}};
  const DayAverageSet day = BuildDayAverageSet(Patient(), t, p, ReportTargets{});
  ASSERT_EQ(day.categories, (std::vector<std::string>{"Breakfast", "Lunch", "Dinner"}));
  EXPECT_DOUBLE_EQ(day.before.bars[0].value, 100.5);
  EXPECT_FALSE(day.after.bars[0].present);  // only a HI reading in slot 2

  const DayAverageSet mmol = BuildDayAverageSet(Patient(true, true), t, p, MmolTargets());
  EXPECT_NEAR(mmol.before.bars[0].value, 5.5833, 1e-4);
  EXPECT_EQ(mmol.before.bars[0].label, "5");

  const WeekAverageSet week = BuildWeekAverageSet(Patient(), t, p, ReportTargets{});
  EXPECT_EQ(week.categories[2], "Tue");
}

TEST(Histogram, BarsAndAxis) {
  ReadingTable t;
  for (int i = 0; i < 3; ++i) t.entries.push_back(Reading(At(2026, 3, 10, 8, i), 30, 1));
  for (int i = 0; i < 12; ++i) t.entries.push_back(Reading(At(2026, 3, 10, 9, i), 80, 2));
  const ReportPeriod p{{2026, 3, 10}, {2026, 3, 10}};
  HistogramSet set = BuildHistogramSet(Patient(), t, p, ReportTargets{});
  EXPECT_EQ(std::tie(set.counts[0], set.counts[1]), std::make_tuple(3, 12));
  EXPECT_EQ(std::tie(set.axisTop, set.axisStep), std::make_tuple(20, 2));

  t.entries.resize(12);  // largest count 9
  set = BuildHistogramSet(Patient(), t, p, MmolTargets());
  EXPECT_EQ(std::tie(set.axisTop, set.axisStep), std::make_tuple(10, 1));
  EXPECT_EQ(set.barLabels[0], "<3.7");
  t.entries.resize(3);
  for (int i = 0; i < 10; ++i) t.entries.push_back(Reading(At(2026, 3, 10, 9, i), 80, 2));
  EXPECT_EQ(BuildHistogramSet(Patient(), t, p, ReportTargets{}).axisTop, 20);
}

TEST(PieChart, CountsPercentagesAndSliceOrder) {
  ReadingTable t;
  t.entries.push_back(Reading(At(2026, 3, 10, 9, 0), 200, 2));
  for (int i = 0; i < 3; ++i) t.entries.push_back(Reading(At(2026, 3, 10, 10, i), 100, 2));
  t.entries.push_back(Reading(At(2026, 3, 10, 23, 0), 50, 7));
  t.entries.push_back(Reading(At(2026, 3, 10, 12, 0), 65, 0));
  t.entries.push_back(Reading(At(2026, 3, 10, 7, 0), 700, 1));
  ReportTargets targets;
  targets.hypoglycemic = 60;
  const PieSet set = BuildPieSet(Patient(), t, {{2026, 3, 10}, {2026, 3, 10}}, targets);
  const Pie& p2 = set.pies[2];
  EXPECT_EQ(p2.percentText[0] + p2.percentText[1], "25.0%75.0%");
  ASSERT_EQ(p2.slices.size(), 2u);
  EXPECT_EQ(p2.slices[0].band, Band::Within);
  EXPECT_DOUBLE_EQ(p2.slices[0].sweep, 270);
  EXPECT_TRUE(set.pies[1].slices.empty());
  EXPECT_EQ(set.pies[0].slices.front().band, Band::Hypoglycemic);
}

}  // namespace
}  // namespace meridane
