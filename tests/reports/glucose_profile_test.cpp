#include "reports/glucose_profile.h"

#include <gtest/gtest.h>

#include "output/profile_page.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

using test::At;
using test::Reading;

const ReportPeriod kWeek{{2026, 3, 1}, {2026, 3, 7}};
const ReportPeriod kMonth{{2026, 3, 1}, {2026, 3, 31}};

// `n` readings of `value`, one a minute from 08:00 on the first day.
ReadingTable Same(int n, int value) {
  ReadingTable t;
  for (int i = 0; i < n; ++i) t.entries.push_back(Reading(At(2026, 3, 1, 8 + i / 60, i % 60), value, 1));
  return t;
}

// Which figures appear for which readings, and their values, are recomputed independently
// (glucose_profile_check.py); here the texts that stand in for an absent figure.
TEST(GlucoseProfile, FiguresAppearOnlyWhereTheReadingsSuffice) {
  struct Case {
    const char* name;
    ReadingTable table;
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
      {"none", {}, "needs 1 reading between LO and HI (has 0)"},
      {"one", Same(1, 100), "needs 2 readings between LO and HI (has 1)"},
      {"29", Same(29, 100), "needs 30 readings (has 29)"},
      {"30", Same(30, 100), "needs 14 days with 3 or more readings (has 1)"},
      {"13 days", thirteenAndShort, "needs 14 days with 3 or more readings (has 13)"},
      {"14 days", days(14, 3), ""},
  };
  for (const Case& c : cases) {
    const GlucoseProfileReport g = BuildGlucoseProfile(c.table, kMonth, false, true);
    EXPECT_EQ(g.adrr.value.has_value(), !*c.need) << c.name;
    for (const ProfileFigure* f : {&g.mean, &g.sd, &g.lbgi, &g.adrr})
      if (!f->value) {
        EXPECT_EQ(f->text, "- - -") << c.name;
        EXPECT_EQ(f->need, c.need) << c.name;
        break;
      }
  }
  // The words that go with the figures.
  EXPECT_EQ(BuildGlucoseProfile(Same(30, 100), kMonth, false, true).lbgi.category, "minimal risk");
  EXPECT_EQ(BuildGlucoseProfile(days(14, 3), kMonth, false, true).adrr.category, "high risk");
  const ReadingTable two{.entries = {Reading(At(2026, 3, 1, 8), 100, 1), Reading(At(2026, 3, 1, 9), 110, 1)}};
  EXPECT_EQ(BuildGlucoseProfile(two, kMonth, false, true).cv.category, "within target");
}

TEST(GlucoseProfile, OnlyLoReadings) {
  const GlucoseProfileReport g = BuildGlucoseProfile(Same(30, 12), kWeek, false, true);
  EXPECT_EQ(g.ranges[0].percentText, "100.0%");
  EXPECT_FALSE(g.mean.value);
  EXPECT_EQ(g.lbgi.category, "high risk");
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
        EXPECT_TRUE(s.x >= 0 && right <= kProfilePageWidth) << s.text;
        EXPECT_TRUE(s.y >= s.size && s.y <= kProfilePageHeight) << s.text;
      }
    }
  }
}

}  // namespace
}  // namespace meridane
