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
