#include "gui/widgets/pie_view.h"

#include <QPainter>
#include <QtMath>

namespace meridane {

namespace {
constexpr double kTitleHeight = 44;
constexpr double kLegendHeight = 28;
constexpr double kPieTitleHeight = 18;
constexpr double kLabelRoom = 22;  // around each disc for the percentage labels
}  // namespace

CPieView::CPieView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
}

void CPieView::SetPies(PieSet set) {
  set_ = std::move(set);
  update();
}

QColor CPieView::BandColor(Band band) {
  switch (band) {
    case Band::Above:
      return QColor(193, 39, 45);
    case Band::Within:
      return QColor(0, 104, 55);
    case Band::Below:
      return QColor(0, 113, 188);
    case Band::Hypoglycemic:
      return QColor(247, 147, 30);
  }
  return Qt::gray;
}

// Two rows of four pies between the title lines and the legend.
QRectF CPieView::PieRect(int i, const QSizeF& size) {
  const double cellW = size.width() / 4;
  const double cellH = (size.height() - kTitleHeight - kLegendHeight) / 2;
  const double d = std::max(10.0, std::min(cellW, cellH - kPieTitleHeight) - 2 * kLabelRoom);
  const double cx = cellW * (i % 4) + cellW / 2;
  const double top = kTitleHeight + cellH * (i / 4) + kPieTitleHeight;
  const double cy = top + (cellH - kPieTitleHeight) / 2;
  return QRectF(cx - d / 2, cy - d / 2, d, d);
}

void CPieView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Draw(p, size());
}

void CPieView::RenderReport(QPainter& painter, const QRectF& target) {
  const QSizeF base = size().isEmpty() ? QSizeF(980, 520) : QSizeF(size());
  const double scale = std::min(target.width() / base.width(), target.height() / base.height());
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(scale, scale);
  Draw(painter, base);
  painter.restore();
}

void CPieView::Draw(QPainter& p, const QSizeF& size) const {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
  QFont f = font();
  f.setPointSize(10);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::black);
  p.drawText(QRectF(0, 2, size.width(), 20), Qt::AlignCenter, QString::fromStdString(set_.title));
  p.drawText(QRectF(0, 22, size.width(), 20), Qt::AlignCenter,
             QString::fromStdString(set_.secondTitle));

  QFont small = font();
  small.setPointSize(8);
  for (int i = 0; i < kPieCount; ++i) {
    const Pie& pie = set_.pies[i];
    const QRectF disc = PieRect(i, size);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(disc.center().x() - 120, disc.top() - kLabelRoom - kPieTitleHeight, 240,
                      kPieTitleHeight),
               Qt::AlignCenter, QString::fromStdString(pie.title));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    if (pie.total == 0) {
      p.setBrush(Qt::white);
      p.drawEllipse(disc);
      continue;
    }
    for (const PieSlice& s : pie.slices) {
      p.setBrush(BandColor(s.band));
      if (s.sweep >= 360) p.drawEllipse(disc);  // a whole pie has no seam
      else p.drawPie(disc, qRound(s.startAngle * 16), qRound(s.sweep * 16));
    }
    p.setFont(small);
    p.setPen(Qt::black);
    for (const PieSlice& s : pie.slices) {
      const double mid = qDegreesToRadians(s.startAngle + s.sweep / 2);
      const double r = disc.width() / 2 + kLabelRoom / 2;
      const QPointF at(disc.center().x() + r * std::cos(mid), disc.center().y() - r * std::sin(mid));
      p.drawText(QRectF(at.x() - 30, at.y() - 8, 60, 16), Qt::AlignCenter,
                 QString::fromStdString(pie.percentText[int(s.band)]));
    }
  }

  // One legend for all pies.
  p.setFont(small);
  const double y = size.height() - kLegendHeight + 6;
  const double step = 150, x0 = size.width() / 2 - 2 * step;
  for (int b = 0; b < kBandCount; ++b) {
    const double x = x0 + b * step;
    p.setPen(Qt::NoPen);
    p.setBrush(BandColor(Band(b)));
    p.drawRect(QRectF(x, y + 2, 12, 12));
    p.setPen(Qt::black);
    p.drawText(QRectF(x + 18, y, step - 20, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(set_.bandNames[b]));
  }
}

}  // namespace meridane
