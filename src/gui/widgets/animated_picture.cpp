#include "gui/widgets/animated_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <cmath>

namespace meridane {
namespace {

constexpr int kFrameMs = 80;
constexpr int kDots = 12;
const QColor kBrand(0x12, 0x77, 0xB9);

}  // namespace

CAnimatedPicture::CAnimatedPicture(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  timer_->setInterval(kFrameMs);
  connect(timer_, &QTimer::timeout, this, [this] {
    ++frame_;
    update();
  });
  setMinimumSize(sizeHint());
}

void CAnimatedPicture::showEvent(QShowEvent*) { timer_->start(); }
void CAnimatedPicture::hideEvent(QHideEvent*) { timer_->stop(); }

void CAnimatedPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(width() / 2.0, height() / 2.0);
  const double r = std::min(width(), height()) / 2.0 - 6;

  // The ring: one bright dot runs round, the ones behind it fade.
  for (int i = 0; i < kDots; ++i) {
    const double angle = 2 * M_PI * i / kDots - M_PI / 2;
    const int age = ((frame_ - i) % kDots + kDots) % kDots;
    QColor dot = kBrand;
    dot.setAlphaF(std::max(0.12, 1.0 - age / double(kDots - 2)));
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    p.drawEllipse(c + QPointF(std::cos(angle), std::sin(angle)) * r, 4.5, 4.5);
  }

  // The meter: a rounded body with a small screen.
  const QRectF body(c.x() - r * 0.38, c.y() - r * 0.52, r * 0.76, r * 1.04);
  p.setPen(QPen(kBrand.darker(130), 1.5));
  p.setBrush(QColor(0xEE, 0xF5, 0xFB));
  p.drawRoundedRect(body, 7, 7);
  const QRectF screen(body.left() + 6, body.top() + 7, body.width() - 12, body.height() * 0.38);
  p.setBrush(QColor(0xD8, 0xE8, 0xD0));
  p.setPen(QPen(QColor(0x66, 0x77, 0x66), 1));
  p.drawRect(screen);
  // Dashes on the screen count up while the meter is read.
  p.setPen(QPen(QColor(0x33, 0x44, 0x33), 2));
  const int shown = (frame_ / 3) % 4;
  for (int i = 0; i < shown; ++i) {
    const double x = screen.left() + 5 + i * (screen.width() - 10) / 3.0;
    p.drawLine(QPointF(x, screen.center().y()), QPointF(x + 4, screen.center().y()));
  }

  // The drop below the screen.
  const QPointF tip(c.x(), body.top() + body.height() * 0.55);
  const double dr = r * 0.13;
  QPainterPath drop;
  drop.moveTo(tip);
  drop.cubicTo(tip + QPointF(dr * 1.3, dr * 1.6), tip + QPointF(dr, dr * 2.8),
               tip + QPointF(0, dr * 2.8));
  drop.cubicTo(tip + QPointF(-dr, dr * 2.8), tip + QPointF(-dr * 1.3, dr * 1.6), tip);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xC6, 0x28, 0x28));
  p.drawPath(drop);
}

}  // namespace meridane
