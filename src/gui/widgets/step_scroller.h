#pragma once
// A fixed-size page shown in a smaller window: two scroll bars running 0..100 in steps of
// 10, each step moving the page by a fixed number of pixels.
#include <QWidget>

class QScrollBar;

namespace meridane {

class CStepScroller : public QWidget {
  Q_OBJECT
 public:
  explicit CStepScroller(QWidget* page, QWidget* parent = nullptr);

  // Pixels per step; 0 leaves that direction still. Shows or hides both bars.
  void SetSteps(int horizontalPixels, int verticalPixels);
  void ShowScrollBars(bool show);
  bool ScrollBarsShown() const;
  // Back to the top-left corner, as when a page is left.
  void ResetPositions();

  QScrollBar* horizontalBar() const { return hbar_; }
  QScrollBar* verticalBar() const { return vbar_; }
  QWidget* page() const { return page_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Relayout();
  QWidget* viewport_;
  QWidget* page_;
  QScrollBar* hbar_;
  QScrollBar* vbar_;
  int hStep_ = 0;
  int vStep_ = 0;
  bool shown_ = false;
};

}  // namespace meridane
