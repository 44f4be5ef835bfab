// Chart pages: what goes onto them from the report data sets and where it is placed.
#include <gtest/gtest.h>


#include "output/pdf_chart_frame.h"
#include "output/report_model.h"
#include "pdf_support.h"
#include "support/book.h"

namespace meridane {
namespace {


struct Fixture {
  CPatientProfile patient;
  ReadingTable table;
  ReportPeriod period{{2026, 11, 1}, {2026, 11, 30}};
  ReportTargets targets;
  Fixture() {
    patient.fullName = "Ann Lee";
    patient.IDNo = "A1";
    patient.medicalNo = "007";
    patient.timeUnit = true;
  }
  void Add(DateTime at, int gluco, int slot = 1) {
    table.entries.push_back(test::Reading(at, gluco, slot, GlucoReading{}.mark));
    table.entries.back().idx = static_cast<int>(table.entries.size());
  }
  ReportModel Build(int type) {
    return BuildReportModel(type, patient, table, period, targets, Date{2026, 12, 6});
  }
};

std::vector<double> Values(const ReportModel& r) {
  std::vector<double> v;
  for (const auto& p : r.type == kReportTrend ? r.trend.points : r.standardDay.points)
    v.push_back(p.y);
  return v;
}

TEST(PdfChartPages, TrendAndStandardDayPlotOnlyValidReadingsInsideThePeriod) {
  // The day before, LO, both bounds, HI, the last minute of the period and the one after.
  Fixture f;
  // Month, day, hour, minute, value.
  for (auto [mo, d, h, m, gluco] : {std::array{10, 31, 23, 59, 120}, {11, 10, 8, 0, 19},
                                    {11, 10, 9, 0, 20}, {11, 10, 10, 0, 600}, {11, 10, 11, 0, 601},
                                    {11, 30, 23, 59, 150}, {12, 1, 0, 0, 130}})
    f.Add({2026, mo, d, h, m}, gluco);
  EXPECT_EQ(Values(f.Build(kReportTrend)), (std::vector<double>{20, 600, 150}));
  EXPECT_EQ(Values(f.Build(kReportStandardDay)), (std::vector<double>{20, 600, 150}));

  // In mmol/L the page plots the set's own values, each rounded to one decimal on the axis.
  f.targets.mmol = true;
  std::vector<float> xs;
  for (double v : Values(f.Build(kReportTrend))) xs.push_back(GlucoseX(v, false));
  ASSERT_EQ(xs.size(), 3u);
  EXPECT_NEAR(xs[0], 80 + 1.1 * 456 / 35, 1e-3);
  EXPECT_NEAR(xs[2], 80 + 8.3 * 456 / 35, 1e-3);
}

}  // namespace
}  // namespace meridane
