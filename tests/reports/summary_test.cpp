#include "reports/summary.h"

#include <gtest/gtest.h>

#include <tuple>

#include "reports/statistics.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

using test::At;
using test::Reading;

CPatientProfile Patient() {
  CPatientProfile p;
  p.fullName = "Ann Lee";
  p.IDNo = "A1";
  p.birth = {1970, 3, 5};
  return p;
}

TEST(SummaryChecks, ReadingFieldsAndBands) {
  ReadingTable t{.entries = {Reading(At(2026, 3, 9, 8, 0), 100, 1),
                             Reading(At(2026, 3, 10, 8, 0), 103, 2),
                             Reading(At(2026, 3, 10, 23, 0), 700, 7)}};  // HI: not counted
  const ReportPeriod p{{2026, 3, 3}, {2026, 3, 10}};
  SummaryFields f = BuildSummaryChecks(Patient(), t, p, ReportTargets{}, {2010, 2, 20});
  EXPECT_EQ(f.result + " " + f.average + " " + f.standardDeviation + " " + f.withinTarget,
            "2 101 1.6 2");
  EXPECT_EQ(f.dateOfBirth, "03 / 05 / 1970, 39 years old");
  EXPECT_EQ(f.dayAverage[0], "101/7 days");
  EXPECT_EQ(f.dayAverageScreen[4], "101");
  EXPECT_EQ(f.hbA1c, "- - -");  // health record not enabled

  // A night reading of 150 is judged by the pre-meal range: above 130.
  t.entries.push_back(Reading(At(2026, 3, 10, 23, 30), 150, 7));
  ReportTargets targets;
  targets.hypoglycemic = 60;
  t.entries.push_back(Reading(At(2026, 3, 10, 23, 40), 55, 7));
  f = BuildSummaryChecks(Patient(), t, p, targets, {2010, 3, 5});
  EXPECT_EQ(f.aboveTarget + f.hypoglycemic + f.belowTarget, "110");
  EXPECT_EQ(f.dateOfBirth, "03 / 05 / 1970, 40 years old");

  targets.mmol = true;
  f = BuildSummaryChecks(Patient(), t, p, targets, {2026, 3, 10});
  EXPECT_EQ(f.average, "5.7");  // (100 + 103 + 150 + 55) / 4 = 102 mg/dL
  EXPECT_EQ(f.dayAverage[1], "5.7/14 days");
  EXPECT_EQ(f.standardDeviation, "1.9");  // √(4518 / 4) = 33.6 mg/dL
}

TEST(SummaryChecks, AbsentValuesAndDayAverageWindows) {
  const ReportPeriod p{{2026, 3, 3}, {2026, 3, 10}};
  SummaryFields none = BuildSummaryChecks(Patient(), ReadingTable{}, p, ReportTargets{});
  EXPECT_EQ(none.average + none.dayAverage[0], "- - -- - -");

  const ReadingTable t{.entries = {Reading(At(2026, 1, 1, 8, 0), 300, 1),
                                   Reading(At(2025, 12, 30, 8, 0), 100, 1),
                                   Reading(At(2025, 12, 10, 8, 0), 200, 1)}};
  SummaryFields out = BuildSummaryChecks(Patient(), t, p, ReportTargets{});
  EXPECT_EQ(out.result + " " + out.average + " " + out.standardDeviation, "0 0 0.0");
  // Windows end on the newest reading's day: 7 days back from 1 January is 25 December.
  EXPECT_EQ(out.dayAverage[0], "200/7 days");
  EXPECT_EQ(out.dayAverage[2], "200/30 days");  // 2 Dec .. 1 Jan, all three

  CPatientProfile h = Patient();
  h.healthRecordEnable = true;
  h.healthRecord.hbA1C = 6.94;
  h.healthRecord.bloodPressureA = 120;
  h.healthRecord.ketnotes = 3;
  h.healthRecord.LDL = 99;
  SummaryFields hr = BuildSummaryChecks(h, t, p, ReportTargets{});
  EXPECT_EQ(hr.hbA1c + " " + hr.bloodPressure + " " + hr.ketnotes + " " + hr.LDL + " " + hr.HDL,
            "6.9% 120/0 Moderate 99 - - -");
  h.healthRecord.ketnotes = 7;
  EXPECT_EQ(BuildSummaryChecks(h, t, p, ReportTargets{}).ketnotes, "- - -");

  EXPECT_EQ(hr.Captioned().back(), (std::pair<std::string, std::string>{"HDL:", "- - -"}));
}

TEST(SummaryChecks, AgeOnBirthdays) {
  EXPECT_EQ(AgeOn({1970, 3, 5}, {2010, 3, 4}), 39);
  EXPECT_EQ(AgeOn({2000, 2, 29}, {2001, 2, 28}), 0);
  EXPECT_EQ(AgeOn({2000, 2, 29}, {2001, 3, 1}), 1);
}

CPatientProfile WithTargets(int unit, double preHigh, double preLow, double postHigh,
                            double postLow, int hypo = 0) {
  CPatientProfile p;
  HealthRecord& h = p.healthRecord;
  std::tie(h.glucoUnit, h.preMealHigh, h.preMealLow, h.postMealHigh, h.postMealLow,
           h.hypoglycemic) = std::tuple(unit, preHigh, preLow, postHigh, postLow, hypo);
  return p;
}

void ExpectTargets(const ReportTargets& t, int preHigh, int preLow, int postHigh, int postLow) {
  EXPECT_EQ(std::tie(t.preMealHigh, t.preMealLow, t.postMealHigh, t.postMealLow),
            std::tie(preHigh, preLow, postHigh, postLow));
}

TEST(LoadReportTargets, StoredValuesInBothUnits) {
  ExpectTargets(LoadReportTargets(WithTargets(1, 0, 0, 0, 0)), 130, 70, 180, 70);
  ExpectTargets(LoadReportTargets(WithTargets(1, 140.9, 69.5, 200, 0)), 140, 69, 200, 0);
  ExpectTargets(LoadReportTargets(WithTargets(0, 7.2, 3.9, 10.0, 3.9)), 129, 70, 180, 70);
  // One mg/dL-looking figure under mmol/L: all four defaults.
  ExpectTargets(LoadReportTargets(WithTargets(0, 7.2, 3.9, 180, 3.9)), 130, 70, 180, 70);
  ExpectTargets(LoadReportTargets(WithTargets(0, 35.0, 3.9, 10.0, 3.9)), 630, 70, 180, 70);
  ExpectTargets(LoadReportTargets(WithTargets(0, 35.1, 3.9, 10.0, 3.9)), 130, 70, 180, 70);

  const ReportTargets mg = LoadReportTargets(WithTargets(1, 0, 0, 0, 0, 60));
  EXPECT_EQ(std::tie(mg.mmol, mg.hypoglycemic, mg.unitCaption, mg.axisTop),
            std::tuple(false, 60, std::string("Unit of Measurement : mg/dL"), 600.0));
  const ReportTargets mmol = LoadReportTargets(WithTargets(0, 0, 0, 0, 0, 3));
  EXPECT_EQ(std::tie(mmol.mmol, mmol.hypoglycemic, mmol.unitCaption, mmol.axisTop),
            std::tuple(true, 54, std::string("Unit of Measurement : mmol/L"), 35.0));
}

// Bands, valid range, averages and deviation inside the report sets are compared with a
// plain reading of the rules in naive_property_test; these are the edges it rarely draws.
TEST(Statistics, EdgesOfBandsValuesAndDeviation) {
  EXPECT_EQ(BandOf(59, 70, 130, 0), Band::Below);       // no hypo threshold
  EXPECT_EQ(BandOf(75, 70, 130, 90), Band::Within);     // threshold above the low bound
  EXPECT_EQ(BandOf(69, 70, 130, 90), Band::Hypoglycemic);
  EXPECT_EQ(GlucoseText(600, true), "33.3");
  EXPECT_EQ(AverageOf(0, 0), 0);
  EXPECT_EQ(StandardDeviationOf({}), 0);
  // Around the truncated mean 100 (not 100.67): squares 0, 0, 4 → √(4/3).
  EXPECT_NEAR(StandardDeviationOf({100, 100, 102}), 1.1547, 1e-4);
}

}  // namespace
}  // namespace meridane
