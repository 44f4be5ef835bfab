#include "gui/widgets/step_scroller.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

namespace meridane {

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
  hbar_->setVisible(show);
  vbar_->setVisible(show);
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
  const int bar = shown_ ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  viewport_->setGeometry(0, 0, width() - bar, height() - bar);
  if (shown_) {
    hbar_->setGeometry(0, height() - bar, width() - bar, bar);
    vbar_->setGeometry(width() - bar, 0, bar, height() - bar);
  }
  // Steps are whole multiples of 10, so position / 10 counts the steps taken.
  page_->move(-(hbar_->value() / 10) * hStep_, -(vbar_->value() / 10) * vStep_);
}

}  // namespace meridane
