#include "gui/widgets/page_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace meridane {

namespace {

const QColor kIconBlue(0x12, 0x77, 0xB9);

// Draws the outline at the size and scale of each request instead of scaling one bitmap.
class CPageIconEngine : public QIconEngine {
 public:
  CPageIconEngine(PageIcon which, int size) : which_(which), size_(size) {}
  QIconEngine* clone() const override { return new CPageIconEngine(which_, size_); }
  QString key() const override { return QStringLiteral("meridane.page"); }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return QSize(side, side);
  }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(size_, size_)};
  }
  void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const int side = std::min(rect.width(), rect.height());
    p->save();
    p->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
    PaintPageIcon(*p, which_, side, Colour(mode));
    p->restore();
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }
  // `size` is in device pixels already; the pixmap carries the scale so it is drawn 1:1.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    const QSize sq = actualSize(size, mode, QIcon::Off);
    QPixmap pm(sq.isEmpty() ? QSize(1, 1) : sq);
    pm.fill(Qt::transparent);
    {
      QPainter p(&pm);
      PaintPageIcon(p, which_, sq.width(), Colour(mode));
    }
    pm.setDevicePixelRatio(scale > 0 ? scale : 1.0);
    return pm;
  }

 private:
  static QColor Colour(QIcon::Mode mode) {
    return mode == QIcon::Disabled ? QColor(0xA8, 0xB4, 0xBE) : kIconBlue;
  }
  PageIcon which_;
  int size_;
};

}  // namespace

QIcon MakePageIcon(PageIcon which, int size) { return QIcon(new CPageIconEngine(which, size)); }

void PaintPageIcon(QPainter& p, PageIcon which, double side, const QColor& colour) {
  p.setRenderHint(QPainter::Antialiasing);
  const double s = side;
  p.setPen(QPen(colour, s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  auto r = [&](double x, double y, double w, double h) {
    return QRectF(x * s, y * s, w * s, h * s);
  };
  auto font = [&](double share) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setBold(true);
    f.setPixelSize(std::max(4, int(s * share)));
    return f;
  };
  switch (which) {
    case PageIcon::Home: {
      QPainterPath roof;
      roof.moveTo(0.15 * s, 0.5 * s);
      roof.lineTo(0.5 * s, 0.18 * s);
      roof.lineTo(0.85 * s, 0.5 * s);
      p.drawPath(roof);
      p.drawRect(r(0.27, 0.48, 0.46, 0.36));
      p.drawRect(r(0.44, 0.62, 0.12, 0.22));
      break;
    }
    case PageIcon::Patients:
      p.drawEllipse(r(0.22, 0.16, 0.22, 0.22));
      p.drawArc(r(0.12, 0.44, 0.42, 0.42), 0, 180 * 16);
      p.drawEllipse(r(0.56, 0.22, 0.2, 0.2));
      p.drawArc(r(0.48, 0.48, 0.38, 0.38), 0, 180 * 16);
      break;
    case PageIcon::Profile:
      p.drawRect(r(0.2, 0.14, 0.6, 0.72));
      p.drawEllipse(r(0.38, 0.22, 0.24, 0.24));
      for (double y : {0.58, 0.68, 0.78}) p.drawLine(QPointF(0.3 * s, y * s), QPointF(0.7 * s, y * s));
      break;
    case PageIcon::Report: {
      p.drawLine(QPointF(0.16 * s, 0.84 * s), QPointF(0.86 * s, 0.84 * s));
      p.drawLine(QPointF(0.16 * s, 0.84 * s), QPointF(0.16 * s, 0.14 * s));
      QPainterPath line;
      line.moveTo(0.22 * s, 0.66 * s);
      line.lineTo(0.4 * s, 0.42 * s);
      line.lineTo(0.58 * s, 0.56 * s);
      line.lineTo(0.82 * s, 0.24 * s);
      p.drawPath(line);
      break;
    }
    case PageIcon::SavePdf:
      p.drawRect(r(0.22, 0.12, 0.56, 0.76));
      p.setFont(font(0.21));
      p.drawText(r(0.22, 0.35, 0.56, 0.3), Qt::AlignCenter, QStringLiteral("PDF"));
      break;
    case PageIcon::Print:
      p.drawRect(r(0.14, 0.4, 0.72, 0.3));
      p.drawRect(r(0.3, 0.14, 0.4, 0.26));
      p.drawRect(r(0.3, 0.58, 0.4, 0.28));
      break;
    case PageIcon::ImportExport:
      p.drawLine(QPointF(0.2 * s, 0.36 * s), QPointF(0.8 * s, 0.36 * s));
      p.drawLine(QPointF(0.64 * s, 0.22 * s), QPointF(0.8 * s, 0.36 * s));
      p.drawLine(QPointF(0.8 * s, 0.64 * s), QPointF(0.2 * s, 0.64 * s));
      p.drawLine(QPointF(0.36 * s, 0.78 * s), QPointF(0.2 * s, 0.64 * s));
      break;
    case PageIcon::Help:
      p.drawEllipse(r(0.14, 0.14, 0.72, 0.72));
      p.setFont(font(0.44));
      p.drawText(r(0.14, 0.14, 0.72, 0.72), Qt::AlignCenter, QStringLiteral("?"));
      break;
  }
}

}  // namespace meridane
