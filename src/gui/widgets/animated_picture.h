#pragma once
// The animated picture of the progress dialog: a meter with a drop and a turning ring of
// dots. It moves on its own timer while the download's worker reads on its thread, so a
// moving picture always means the window is responsive.
#include <QWidget>

class QTimer;

namespace meridane {

class CAnimatedPicture : public QWidget {
  Q_OBJECT
 public:
  explicit CAnimatedPicture(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {112, 112}; }
  // Steps drawn so far (tests check that it moves).
  int frame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void showEvent(QShowEvent*) override;
  void hideEvent(QHideEvent*) override;

 private:
  QTimer* timer_;
  int frame_ = 0;
};

}  // namespace meridane
