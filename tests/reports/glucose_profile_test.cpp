#include "reports/glucose_profile.h"

#include <gtest/gtest.h>

#include "output/profile_page.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

using test::At;
using test::Reading;

constexpr double kR20 = 100.04150841831598;   // risk at LO's 20 mg/dL
constexpr double kR40 = 36.41754676619226;
constexpr double kR100 = 0.48205112540885015;
constexpr double kR300 = 33.95198752406567;

const ReportPeriod kWeek{{2026, 3, 1}, {2026, 3, 7}};
const ReportPeriod kMonth{{2026, 3, 1}, {2026, 3, 31}};

// `n` readings of `value`, one a minute from 08:00 on the first day.
ReadingTable Same(int n, int value) {
  ReadingTable t;
  for (int i = 0; i < n; ++i) t.entries.push_back(Reading(At(2026, 3, 1, 8 + i / 60, i % 60), value, 1));
  return t;
}

TEST(GlucoseProfile, FiguresAppearOnlyWhereTheReadingsSuffice) {
  struct Case {
    const char* name;
    ReadingTable table;
    bool mean, sd, risk, adrr;
    const char* need;  // of the first absent figure among mean, sd, lbgi, adrr
  };
  auto days = [](int n, int perDay) {
    ReadingTable t;
    for (int d = 0; d < n; ++d)
      for (int k = 0; k < perDay; ++k)
        t.entries.push_back(Reading(At(2026, 3, 1 + d, 8 + 4 * k), k == 0 ? 40 : k == 1 ? 100 : 300, 1));
    return t;
  };
  ReadingTable thirteenAndShort = days(13, 3);
  for (int k = 0; k < 2; ++k) thirteenAndShort.entries.push_back(Reading(At(2026, 3, 20, 9 + k), 100, 1));
  const Case cases[] = {
      {"none", {}, false, false, false, false, "needs 1 reading between LO and HI (has 0)"},
      {"one", Same(1, 100), true, false, false, false, "needs 2 readings between LO and HI (has 1)"},
      {"29", Same(29, 100), true, true, false, false, "needs 30 readings (has 29)"},
      {"30", Same(30, 100), true, true, true, false, "needs 14 days with 3 or more readings (has 1)"},
      {"13 days", thirteenAndShort, true, true, true, false,
       "needs 14 days with 3 or more readings (has 13)"},
      {"14 days", days(14, 3), true, true, true, true, ""},
  };
  for (const Case& c : cases) {
    const GlucoseProfileReport g = BuildGlucoseProfile(c.table, kMonth, false, true);
    const std::array<bool, 6> got{g.mean.value.has_value(), g.sd.value.has_value(),
                                  g.cv.value.has_value(),   g.lbgi.value.has_value(),
                                  g.hbgi.value.has_value(), g.adrr.value.has_value()};
    EXPECT_EQ(got, (std::array<bool, 6>{c.mean, c.sd, c.sd, c.risk, c.risk, c.adrr})) << c.name;
    for (const ProfileFigure* f : {&g.mean, &g.sd, &g.lbgi, &g.adrr})
      if (!f->value) {
        EXPECT_EQ(f->text, "- - -") << c.name;
        EXPECT_EQ(f->need, c.need) << c.name;
        break;
      }
  }
  // 30 readings of 100: low risk only.
  const GlucoseProfileReport thirty = BuildGlucoseProfile(Same(30, 100), kMonth, false, true);
  EXPECT_NEAR(*thirty.lbgi.value, kR100, 1e-9);
  EXPECT_EQ(*thirty.hbgi.value, 0);
  EXPECT_EQ(thirty.lbgi.category, "minimal risk");
  // Each of the 14 days: largest low risk at 40, largest high risk at 300.
  const GlucoseProfileReport fourteen = BuildGlucoseProfile(days(14, 3), kMonth, false, true);
  EXPECT_NEAR(*fourteen.adrr.value, kR40 + kR300, 1e-9);
  EXPECT_EQ(fourteen.adrr.category, "high risk");
  EXPECT_NEAR(*fourteen.lbgi.value, (kR40 + kR100) / 3, 1e-9);
  EXPECT_NEAR(*fourteen.hbgi.value, kR300 / 3, 1e-9);
  // SD with n − 1 and CV of 100 and 110.
  const ReadingTable two{.entries = {Reading(At(2026, 3, 1, 8), 100, 1), Reading(At(2026, 3, 1, 9), 110, 1)}};
  const GlucoseProfileReport g2 = BuildGlucoseProfile(two, kMonth, false, true);
  EXPECT_NEAR(*g2.sd.value, 7.0710678118654755, 1e-12);
  EXPECT_NEAR(*g2.cv.value, 7.0710678118654755 / 105 * 100, 1e-12);
  EXPECT_EQ(g2.cv.category, "within target");
}

TEST(GlucoseProfile, ABinNeedsFiveReadingsForPercentiles) {
  ReadingTable t;
  for (int v : {130, 100, 120, 110}) t.entries.push_back(Reading(At(2026, 3, 2, 7, v % 60), v, 1));
  GlucoseProfileReport g = BuildGlucoseProfile(t, kWeek, false, true);
  EXPECT_EQ(g.bins[2].count, 4);  // 06:00-09:00
  EXPECT_FALSE(g.bins[2].percentiles);
  t.entries.push_back(Reading(At(2026, 3, 3, 8, 59), 140, 1));
  g = BuildGlucoseProfile(t, kWeek, false, true);
  ASSERT_TRUE(g.bins[2].percentiles);
  const std::array<double, 5> want{104, 110, 120, 130, 136};
  for (int k = 0; k < 5; ++k) EXPECT_DOUBLE_EQ((*g.bins[2].percentiles)[k], want[k]) << k;
  EXPECT_EQ(g.bins[2].texts[4], "136");
  EXPECT_EQ(g.bins[3].count, 0);
}

TEST(GlucoseProfile, OnlyLoReadings) {
  const GlucoseProfileReport g = BuildGlucoseProfile(Same(30, 12), kWeek, false, true);
  EXPECT_EQ(g.ranges[0].percentText, "100.0%");
  EXPECT_FALSE(g.mean.value);
  ASSERT_TRUE(g.bins[2].percentiles);
  EXPECT_EQ((*g.bins[2].percentiles)[0], 20);  // at the meter's limit
  EXPECT_NEAR(*g.lbgi.value, kR20, 1e-9);
  EXPECT_EQ(g.lbgi.category, "high risk");
  EXPECT_EQ(*g.hbgi.value, 0);
  EXPECT_TRUE(g.targets[4].met);   // nothing above 250
  EXPECT_FALSE(g.targets[2].met);  // all below 54
}

TEST(GlucoseProfile, UnitAndClockChangeTextsOnly) {
  const GlucoseProfileReport mmol = BuildGlucoseProfile(Same(5, 180), kWeek, true, false);
  const GlucoseProfileReport mgdl = BuildGlucoseProfile(Same(5, 180), kWeek, false, true);
  const std::pair<std::string, std::string> texts[] = {
      {mmol.ranges[0].label, "<3.0"},    {mmol.ranges[3].label, "10.1-13.9"},
      {mmol.bins[2].texts[2], "10.0"},   {mmol.mean.text, "10.0 mmol/L"},
      {mgdl.mean.text, "180 mg/dL"},     {mmol.bins[0].label, "12am-3am"},
      {mmol.bins[7].label, "9pm-12am"},  {mgdl.bins[7].label, "21:00-24:00"},
      {mmol.bins[7].end, "24:00"}};
  for (const auto& [got, want] : texts) EXPECT_EQ(got, want);
  EXPECT_EQ(*mmol.mean.value, 180);  // figures stay in mg/dL
}

// Every text of the page stays on it, for an empty and a full period in both units.
TEST(GlucoseProfile, PageKeepsEveryTextOnThePage) {
  ReadingTable dense;
  for (int i = 0; i < 2000; ++i)
    dense.entries.push_back(Reading(At(2026, 3, 1 + i % 28, i % 24, i % 60), 15 + (i * 37) % 600, 1));
  ReadingTable empty;
  for (const ReadingTable* t : {&dense, &empty}) {
    for (bool mmol : {false, true}) {
      ReportContext ctx;
      ctx.fullName = "Maximilian Alexander Featherstonehaugh";
      const ProfilePage page = LayOutGlucoseProfile(ctx, BuildGlucoseProfile(*t, kMonth, mmol, false));
      for (const ProfileShape& s : page.shapes) {
        if (s.kind != ProfileShape::Kind::Text) continue;
        // Times is narrower than half its size per character on average.
        const float right = s.x + s.text.size() * s.size * 0.5f;
        EXPECT_GE(s.x, 0) << s.text;
        EXPECT_LE(right, kProfilePageWidth) << s.text;
        EXPECT_GE(s.y - s.size, 0) << s.text;
        EXPECT_LE(s.y, kProfilePageHeight) << s.text;
      }
    }
  }
}

}  // namespace
}  // namespace meridane
