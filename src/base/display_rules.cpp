#include "base/display_rules.h"

namespace meridane {

MainWindowPlacement PlaceMainWindow(const ScreenMetrics& s) {
  MainWindowPlacement p;
  if (s.width >= 1024) {
    p.x = (s.width - 1024) / 2;
    p.width = 1024;
  } else {
    p.x = 0;
    p.width = s.width;
  }
  if (s.height >= 768) {
    p.y = (s.height - 768) / 2;
    p.height = 738;
  } else {
    p.y = 0;
    p.height = s.height - 30;
  }
  p.dpiWarning = s.dpi != 96;
  p.resolutionWarning = s.width < 1024 || s.height < 768;
  p.largeDpiLayout = s.dpi >= 120;
  return p;
}

bool HomePageScrolls(const ScreenMetrics& s) {
  return s.dpi == 120 && s.width == 800 && s.height == 600;
}

int ScrollStepPixels(const ScreenMetrics& s, bool vertical) {
  int content = vertical ? (s.dpi == 96 ? 783 : 798) : (s.dpi == 96 ? 1048 : 1050);
  int overhang = content - (vertical ? s.height : s.width);
  return overhang > 0 ? overhang / 10 : 0;
}


}  // namespace meridane
