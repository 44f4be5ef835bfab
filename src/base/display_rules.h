#pragma once
// Where the main window goes and which display warnings start-up shows, from the screen's
// size and DPI alone, so every screen can be tried without one.
namespace meridane {

struct ScreenMetrics {
  int width = 1024;
  int height = 768;
  int dpi = 96;
};

struct MainWindowPlacement {
  int x = 0;
  int y = 0;
  int width = 1024;
  int height = 738;
  bool dpiWarning = false;         // DPI other than 96
  bool resolutionWarning = false;  // narrower than 1024 or lower than 768: scroll bars too
  bool largeDpiLayout = false;     // DPI 120 or more
};

MainWindowPlacement PlaceMainWindow(const ScreenMetrics& screen);

// The home page is placed and scrolled only on a 120-DPI 800 x 600 screen.
bool HomePageScrolls(const ScreenMetrics& screen);

// Scroll bars run 0..100 in steps of 10; each step moves the content by a tenth of the
// overhang, truncated. Never negative: a screen larger than the content does not scroll.
int ScrollStepPixels(const ScreenMetrics& screen, bool vertical);

}  // namespace meridane
