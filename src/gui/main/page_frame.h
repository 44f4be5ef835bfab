#pragma once
// The frame the main window and the two modal pages share: a white 1024 x 738 canvas with
// the program's banner, placed for the screen, with stepped scroll bars on small screens.
#include <QDialog>

#include "base/display_rules.h"

namespace meridane {

class CStepScroller;

inline constexpr int kCanvasWidth = 1024;
inline constexpr int kCanvasHeight = 738;

// The canvas: draws the background picture once, unscaled, from the top-left corner.
class CPageCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit CPageCanvas(QWidget* parent = nullptr);
  // The painted program name, mark and version (home page).
  void SetShowsName(bool shows);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  bool showsName_ = false;
};

class CPageFrame : public QDialog {
  Q_OBJECT
 public:
  CPageFrame(const ScreenMetrics& screen, QWidget* parent = nullptr);

  CPageCanvas* canvas() const { return canvas_; }
  CStepScroller* scroller() const { return scroller_; }
  const ScreenMetrics& screen() const { return screen_; }

  // Window placement and scroll bars for the screen; scrolls shows both bars.
  void Place(const MainWindowPlacement& placement, bool scrolls);

 protected:
  // Enter never closes a page.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  ScreenMetrics screen_;
  CPageCanvas* canvas_;
  CStepScroller* scroller_;
};

}  // namespace meridane
