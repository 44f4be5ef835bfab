#pragma once
// A page shown in a window that may be smaller than it: the page takes all the room there
// is and shrinks down to its minimum size; only below that does a scroll bar appear for the
// direction that no longer fits. The bars run 0..100 in steps of 10, each step moving the
// page by a fixed number of pixels, never past its far edge.
#include <QWidget>

class QScrollBar;

namespace meridane {

class CStepScroller : public QWidget {
  Q_OBJECT
 public:
  explicit CStepScroller(QWidget* page, QWidget* parent = nullptr);

  // Pixels per step; 0 takes a tenth of the overhang, so ten steps reach the far edge.
  void SetSteps(int horizontalPixels, int verticalPixels);
  // The small-screen mode the display checks switch on; the bars themselves show only
  // where the page cannot shrink to the room there is.
  void ShowScrollBars(bool show);
  bool ScrollBarsShown() const;
  // Back to the top-left corner, as when a page is left.
  void ResetPositions();
  // Lays the page out again, e.g. after its minimum size changed.
  void Relayout();

  QScrollBar* horizontalBar() const { return hbar_; }
  QScrollBar* verticalBar() const { return vbar_; }
  QWidget* page() const { return page_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  QWidget* viewport_;
  QWidget* page_;
  QScrollBar* hbar_;
  QScrollBar* vbar_;
  int hStep_ = 0;
  int vStep_ = 0;
  bool shown_ = false;
};

}  // namespace meridane
