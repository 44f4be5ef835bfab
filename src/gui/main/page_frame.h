#pragma once
// The frame the main window and the two modal pages share: a white canvas with the
// program's banner, opened at 1024 x 738 where the screen allows and then resizable; the
// canvas fills the window down to its minimum size, below which stepped scroll bars show.
#include <QDialog>
#include <functional>

class QLabel;

#include "base/display_rules.h"

namespace meridane {

class CStepScroller;

inline constexpr int kCanvasWidth = 1024;
inline constexpr int kCanvasHeight = 738;
// The home and patient pages keep their controls inside this much of the centred panel.
inline constexpr QSize kLeastCentredPage(1000, 690);

// The canvas: draws the banner across its width, the mark at the top-left corner.
class CPageCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit CPageCanvas(QWidget* parent = nullptr);
  // The painted program name, mark and version (home page).
  void SetShowsName(bool shows);
  // A 1024 x 738 panel kept in the middle of a larger canvas, for pages whose controls keep
  // their places and sizes (home page, patient page).
  QWidget* centred();
  // Called with the canvas size after every resize, for pages that spread over the room.
  void SetRelayout(std::function<void(const QSize&)> relayout);
  // The line under the banner that says which patient book the program works on.
  QLabel* bookLabel() const { return bookLabel_; }
  void ShowBookInUse();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void PlaceCentred();
  bool showsName_ = false;
  QWidget* centred_ = nullptr;
  QLabel* bookLabel_ = nullptr;
  QString bookText_;
  std::function<void(const QSize&)> relayout_;
};

class CPageFrame : public QDialog {
  Q_OBJECT
 public:
  CPageFrame(const ScreenMetrics& screen, QWidget* parent = nullptr);

  CPageCanvas* canvas() const { return canvas_; }
  CStepScroller* scroller() const { return scroller_; }
  const ScreenMetrics& screen() const { return screen_; }

  // Window placement and scroll bars for the screen; scrolls switches the small-screen
  // scrolling on.
  void Place(const MainWindowPlacement& placement, bool scrolls);
  // The least canvas size before scroll bars appear (1024 x 738 unless set).
  void SetLeastCanvasSize(const QSize& least);

 protected:
  // Enter never closes a page.
  void keyPressEvent(QKeyEvent* e) override;
  // Each page says which book it works on, as it is when the page appears.
  void showEvent(QShowEvent* e) override;

 private:
  void UpdateMinimumSize();
  ScreenMetrics screen_;
  MainWindowPlacement placement_;
  CPageCanvas* canvas_;
  CStepScroller* scroller_;
};

}  // namespace meridane
