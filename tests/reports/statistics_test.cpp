#include "reports/statistics.h"

#include <gtest/gtest.h>

namespace meridane {
namespace {

CPatientProfile WithTargets(int unit, double preHigh, double preLow, double postHigh,
                            double postLow, int hypo = 0) {
  CPatientProfile p;
  p.healthRecord.glucoUnit = unit;
  p.healthRecord.preMealHigh = preHigh;
  p.healthRecord.preMealLow = preLow;
  p.healthRecord.postMealHigh = postHigh;
  p.healthRecord.postMealLow = postLow;
  p.healthRecord.hypoglycemic = hypo;
  return p;
}

void ExpectTargets(const ReportTargets& t, int preHigh, int preLow, int postHigh, int postLow) {
  EXPECT_EQ(t.preMealHigh, preHigh);
  EXPECT_EQ(t.preMealLow, preLow);
  EXPECT_EQ(t.postMealHigh, postHigh);
  EXPECT_EQ(t.postMealLow, postLow);
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
  EXPECT_FALSE(mg.mmol);
  EXPECT_EQ(mg.hypoglycemic, 60);
  EXPECT_EQ(mg.unitCaption, "Unit of Measurement : mg/dL");
  EXPECT_EQ(mg.axisTop, 600);
  const ReportTargets mmol = LoadReportTargets(WithTargets(0, 0, 0, 0, 0, 3));
  EXPECT_TRUE(mmol.mmol);
  EXPECT_EQ(mmol.hypoglycemic, 54);
  EXPECT_EQ(mmol.unitCaption, "Unit of Measurement : mmol/L");
  EXPECT_EQ(mmol.axisTop, 35);
}

TEST(Bands, EveryBoundWithAndWithoutHypo) {
  EXPECT_EQ(BandOf(131, 70, 130, 60), Band::Above);
  EXPECT_EQ(BandOf(130, 70, 130, 60), Band::Within);
  EXPECT_EQ(BandOf(70, 70, 130, 60), Band::Within);
  EXPECT_EQ(BandOf(69, 70, 130, 60), Band::Below);
  EXPECT_EQ(BandOf(60, 70, 130, 60), Band::Below);
  EXPECT_EQ(BandOf(59, 70, 130, 60), Band::Hypoglycemic);
  EXPECT_EQ(BandOf(59, 70, 130, 0), Band::Below);
  EXPECT_EQ(BandOf(20, 70, 130, 0), Band::Below);
  // A hypo threshold above the low bound changes nothing at or above the low bound.
  EXPECT_EQ(BandOf(75, 70, 130, 90), Band::Within);
  EXPECT_EQ(BandOf(69, 70, 130, 90), Band::Hypoglycemic);

  EXPECT_FALSE(InTarget(130, 70, 130));
  EXPECT_FALSE(InTarget(70, 70, 130));
  EXPECT_TRUE(InTarget(129, 70, 130));
  EXPECT_TRUE(InTarget(71, 70, 130));

  ReportTargets t;
  t.preMealLow = 80;
  t.postMealLow = 60;
  for (int slot : {1, 3, 5}) EXPECT_EQ(RangeOfSlot(t, slot).low, 80);
  for (int slot : {0, 2, 4, 6, 7}) EXPECT_EQ(RangeOfSlot(t, slot).low, 60);
}

TEST(Statistics, ValidRangeAveragesAndDeviation) {
  EXPECT_TRUE(IsValidGlucose(600));
  EXPECT_FALSE(IsValidGlucose(601));
  EXPECT_TRUE(IsValidGlucose(20));
  EXPECT_FALSE(IsValidGlucose(19));
  EXPECT_EQ(GlucoseText(601, false), "HI");
  EXPECT_EQ(GlucoseText(19, true), "LO");
  EXPECT_EQ(GlucoseText(600, true), "33.3");
  EXPECT_EQ(GlucoseText(20, false), "20");

  EXPECT_EQ(AverageOf(201, 2), 100);
  EXPECT_EQ(FormatGlucose(AverageOf(201, 2), true), "5.6");
  EXPECT_EQ(AverageOf(0, 0), 0);
  EXPECT_EQ(FormatGlucose(90, true), "5.0");

  EXPECT_NEAR(StandardDeviationOf({100, 103}), 1.5811, 1e-4);
  EXPECT_EQ(StandardDeviationOf({}), 0);
  EXPECT_EQ(StandardDeviationOf({120}), 0);
  // Around the truncated mean 100 (not 100.67): squares 0, 0, 4 → √(4/3).
  EXPECT_NEAR(StandardDeviationOf({100, 100, 102}), 1.1547, 1e-4);
}

}  // namespace
}  // namespace meridane
