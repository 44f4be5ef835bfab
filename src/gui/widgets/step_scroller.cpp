#include "gui/widgets/step_scroller.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace meridane {

namespace {
// How far `steps` steps move a page that overhangs by `overhang` pixels.
int Offset(int steps, int pixelsPerStep, int overhang) {
  if (overhang <= 0) return 0;
  const int step = pixelsPerStep > 0 ? pixelsPerStep : (overhang + 9) / 10;
  return std::min(steps * step, overhang);
}
}  // namespace

CStepScroller::CStepScroller(QWidget* page, QWidget* parent)
    : QWidget(parent),
      viewport_(new QWidget(this)),
      page_(page),
      hbar_(new QScrollBar(Qt::Horizontal, this)),
      vbar_(new QScrollBar(Qt::Vertical, this)) {
  page_->setParent(viewport_);
  page_->move(0, 0);
  for (QScrollBar* b : {hbar_, vbar_}) {
    b->setRange(0, 100);
    b->setSingleStep(10);
    b->setPageStep(10);
    b->hide();
    connect(b, &QScrollBar::valueChanged, this, [this] { Relayout(); });
  }
}

void CStepScroller::SetSteps(int h, int v) {
  hStep_ = h;
  vStep_ = v;
  Relayout();
}

void CStepScroller::ShowScrollBars(bool show) {
  shown_ = show;
  Relayout();
}

bool CStepScroller::ScrollBarsShown() const { return shown_; }

void CStepScroller::ResetPositions() {
  hbar_->setValue(0);
  vbar_->setValue(0);
}

void CStepScroller::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Relayout();
}

void CStepScroller::Relayout() {
  const int ext = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const QSize least = page_->minimumSize();
  bool needH = least.width() > width(), needV = least.height() > height();
  // One bar takes room the other direction may then miss.
  if (needH && !needV) needV = least.height() > height() - ext;
  if (needV && !needH) needH = least.width() > width() - ext;
  const int vw = width() - (needV ? ext : 0), vh = height() - (needH ? ext : 0);
  viewport_->setGeometry(0, 0, vw, vh);
  hbar_->setVisible(needH);
  vbar_->setVisible(needV);
  if (needH) hbar_->setGeometry(0, vh, vw, ext);
  if (needV) vbar_->setGeometry(vw, 0, ext, vh);
  const int pw = std::max(vw, least.width()), ph = std::max(vh, least.height());
  page_->resize(pw, ph);
  // Steps are whole multiples of 10, so position / 10 counts the steps taken.
  page_->move(-Offset(hbar_->value() / 10, hStep_, pw - vw),
              -Offset(vbar_->value() / 10, vStep_, ph - vh));
}

}  // namespace meridane
