#include "gui/main/page_frame.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/main/book_choice.h"
#include "gui/main/gui_support.h"
#include "gui/widgets/step_scroller.h"

namespace meridane {

namespace {
const QColor kBrandBlue(0x12, 0x77, 0xB9);
}

CPageCanvas::CPageCanvas(QWidget* parent) : QWidget(parent) {
  setMinimumSize(kCanvasWidth, kCanvasHeight);
  resize(kCanvasWidth, kCanvasHeight);
  setAutoFillBackground(false);
  bookLabel_ = new QLabel(this);
  bookLabel_->setObjectName(QStringLiteral("bookInUse"));
  bookLabel_->setFont(UiFont(9, QFont::Normal));
  QPalette pal = bookLabel_->palette();
  pal.setColor(QPalette::WindowText, QColor(0x0B, 0x4F, 0x7C));
  bookLabel_->setPalette(pal);
  ShowBookInUse();
}

void CPageCanvas::ShowBookInUse() {
  bookText_ = BookInUseText();
  bookLabel_->setToolTip(bookText_);
  // A long path loses its middle, never the book's kind or the file's name.
  bookLabel_->setGeometry(100, 102, std::max(200, width() - 120), 22);
  bookLabel_->raise();
  bookLabel_->setText(bookLabel_->fontMetrics().elidedText(bookText_, Qt::ElideMiddle,
                                                           bookLabel_->width()));
}

QWidget* CPageCanvas::centred() {
  if (!centred_) {
    centred_ = new QWidget(this);
    centred_->resize(kCanvasWidth, kCanvasHeight);
    PlaceCentred();
  }
  return centred_;
}

void CPageCanvas::SetRelayout(std::function<void(const QSize&)> relayout) {
  relayout_ = std::move(relayout);
  if (relayout_) relayout_(size());
}

void CPageCanvas::PlaceCentred() {
  if (centred_)
    centred_->move(std::max(0, (width() - kCanvasWidth) / 2),
                   std::max(0, (height() - kCanvasHeight) / 2));
}

void CPageCanvas::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  PlaceCentred();
  ShowBookInUse();
  if (relayout_) relayout_(size());
}

void CPageCanvas::SetShowsName(bool shows) {
  showsName_ = shows;
  update();
}

void CPageCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);
  QLinearGradient band(0, 0, 0, 130);
  band.setColorAt(0, QColor(0xDC, 0xEB, 0xF7));
  band.setColorAt(1, Qt::white);
  p.fillRect(QRect(0, 0, width(), 130), band);
  p.fillRect(QRect(0, 128, width(), 2), kBrandBlue);

  // A blood drop as the mark.
  QPainterPath drop;
  drop.moveTo(48, 18);
  drop.cubicTo(60, 40, 72, 52, 72, 68);
  drop.cubicTo(72, 84, 60, 94, 48, 94);
  drop.cubicTo(36, 94, 24, 84, 24, 68);
  drop.cubicTo(24, 52, 36, 40, 48, 18);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xC8, 0x20, 0x2E));
  p.drawPath(drop);

  if (showsName_) {
    QFont big = UiFont(8, QFont::Bold);
    QFont small = big;
    small.setPointSizeF(big.pointSizeF() * 2.0 / 3.0);
    p.setPen(kBrandBlue);
    int x = 90, base = 64;
    p.setFont(big);
    const QString name = QStringLiteral("Meridane");
    p.drawText(x, base, name);
    x += QFontMetrics(big).horizontalAdvance(name);
    p.setFont(small);
    p.drawText(x, base - QFontMetrics(big).ascent() / 2, QStringLiteral("TM"));
    x += QFontMetrics(small).horizontalAdvance(QStringLiteral("TM")) + 6;
    p.setFont(big);
    p.drawText(x, base, QString::fromLatin1(kVersionText));
  }
}

CPageFrame::CPageFrame(const ScreenMetrics& screen, QWidget* parent)
    : QDialog(parent), screen_(screen), canvas_(new CPageCanvas) {
  setWindowTitle(QStringLiteral("Meridane"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
  // Resizable and maximisable once placed.
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  scroller_ = new CStepScroller(canvas_, this);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(scroller_);
  Place(PlaceMainWindow(screen), false);
}

void CPageFrame::Place(const MainWindowPlacement& placement, bool scrolls) {
  placement_ = placement;
  UpdateMinimumSize();
  setGeometry(placement.x, placement.y, placement.width, placement.height);
  // The page is laid out for its size now, not when it is first shown.
  scroller_->setGeometry(rect());
  scroller_->SetSteps(ScrollStepPixels(screen_, false), ScrollStepPixels(screen_, true));
  scroller_->ShowScrollBars(scrolls);
}

void CPageFrame::SetLeastCanvasSize(const QSize& least) {
  canvas_->setMinimumSize(least);
  UpdateMinimumSize();
  scroller_->Relayout();
}

// The window never gets smaller than its opening size where the canvas cannot shrink that
// far, so a small screen scrolls exactly as far as it opened, and no further.
void CPageFrame::UpdateMinimumSize() {
  const QSize least = canvas_->minimumSize();
  setMinimumSize(std::min(least.width(), placement_.width),
                 std::min(least.height(), placement_.height));
}

void CPageFrame::showEvent(QShowEvent* e) {
  canvas_->ShowBookInUse();
  QDialog::showEvent(e);
}

void CPageFrame::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

}  // namespace meridane
