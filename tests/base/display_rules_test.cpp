// Where the main window goes, which display warnings start-up shows, and the stepped
// scrolling of small screens, for screens no test machine has.
#include <gtest/gtest.h>

#include "base/display_rules.h"

namespace meridane {
namespace {

TEST(DisplayRules, PlacementAndWarningsForEachScreen) {
  struct Case {
    ScreenMetrics s;
    int x, y, width, height;
    bool dpi, res, large;
  };
  const Case cases[] = {
      {{1920, 1080, 96}, 448, 156, 1024, 738, false, false, false},
      {{800, 600, 96}, 0, 0, 800, 570, false, true, false},
      {{1024, 768, 120}, 0, 0, 1024, 738, true, false, true},
      {{1024, 767, 96}, 0, 0, 1024, 737, false, true, false},
      {{1023, 768, 144}, 0, 0, 1023, 738, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.s.width) + "x" + std::to_string(c.s.height) + "@" +
                 std::to_string(c.s.dpi));
    const MainWindowPlacement p = PlaceMainWindow(c.s);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    EXPECT_EQ(p.dpiWarning, c.dpi);
    EXPECT_EQ(p.resolutionWarning, c.res);
    EXPECT_EQ(p.largeDpiLayout, c.large);
  }
  EXPECT_TRUE(HomePageScrolls({800, 600, 120}));
  EXPECT_FALSE(HomePageScrolls({800, 600, 96}));
}

TEST(DisplayRules, ScrollStepsAreATenthOfTheOverhang) {
  const ScreenMetrics small{800, 600, 96};
  EXPECT_EQ(ScrollStepPixels(small, true), 18);   // (783 - 600) / 10
  EXPECT_EQ(ScrollStepPixels(small, false), 24);  // (1048 - 800) / 10
  EXPECT_EQ(ScrollStepPixels({800, 600, 120}, true), 19);  // (798 - 600) / 10
  EXPECT_EQ(ScrollStepPixels({800, 600, 120}, false), 25);
  EXPECT_EQ(ScrollStepPixels({1920, 1080, 96}, true), 0);  // nothing to scroll
}

}  // namespace
}  // namespace meridane
