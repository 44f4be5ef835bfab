#include "gui/widgets/pie_view.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace meridane {

namespace {
constexpr double kTitleHeight = 44;
constexpr double kLegendHeight = 28;
constexpr double kPieTitleHeight = 18;
constexpr double kLabelRoom = 22;   // above and below each disc for the percentage labels
constexpr double kLabelWidth = 50;  // beside it: room for "100.0%"
constexpr double kLabelGap = 3;     // between the disc and its labels

// The font made smaller, down to a floor, until the text fits the width: a long translated
// title or band name stays whole.
QFont Fitted(QFont f, const QString& text, double width, const QPaintDevice* device) {
  while (f.pointSizeF() > 6 && QFontMetricsF(f, device).horizontalAdvance(text) > width)
    f.setPointSizeF(f.pointSizeF() - 0.5);
  return f;
}

}  // namespace

// The box of a slice's label: just outside the disc at the slice's middle angle, wholly
// outside it whatever the angle, and never past the view's edges.
QRectF CPieView::LabelRect(const QRectF& disc, double midDegrees, const QSizeF& text,
                           const QSizeF& view) {
  const double a = qDegreesToRadians(midDegrees), c = std::cos(a), s = std::sin(a);
  const double reach = disc.width() / 2 + kLabelGap + std::abs(c) * text.width() / 2 +
                       std::abs(s) * text.height() / 2;
  QRectF box(0, 0, text.width(), text.height());
  box.moveCenter(QPointF(disc.center().x() + reach * c, disc.center().y() - reach * s));
  box.moveLeft(std::clamp(box.left(), 0.0, std::max(0.0, view.width() - box.width())));
  box.moveTop(std::clamp(box.top(), 0.0, std::max(0.0, view.height() - box.height())));
  return box;
}

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
  const double d = std::max(
      10.0, std::min(cellW - 2 * kLabelWidth, cellH - kPieTitleHeight - 2 * kLabelRoom));
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
  const QSizeF base(kPrintViewWidth, kPrintViewHeight);
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
    const QString title = QString::fromStdString(pie.title);
    const double titleWidth = std::max(240.0, size.width() / 4 - 4);
    p.setFont(Fitted(f, title, titleWidth, p.device()));
    p.setPen(Qt::black);
    p.drawText(QRectF(disc.center().x() - titleWidth / 2, disc.top() - kLabelRoom - kPieTitleHeight,
                      titleWidth, kPieTitleHeight),
               Qt::AlignCenter, title);
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
    const QFontMetricsF fm(small, p.device());
    for (const PieSlice& s : pie.slices) {
      const QString text = QString::fromStdString(pie.percentText[int(s.band)]);
      const QSizeF extent(fm.horizontalAdvance(text) + 2, fm.height());
      p.drawText(LabelRect(disc, s.startAngle + s.sweep / 2, extent, size), Qt::AlignCenter, text);
    }
  }

  // One legend for all pies.
  p.setFont(small);
  const double y = size.height() - kLegendHeight + 6;
  // Each entry as wide as the widest name needs, within a quarter of the view.
  double widest = 0;
  for (int b = 0; b < kBandCount; ++b)
    widest = std::max(widest, QFontMetricsF(small, p.device())
                                  .horizontalAdvance(QString::fromStdString(set_.bandNames[b])));
  const double step = std::min(std::max(150.0, widest + 24), size.width() / kBandCount);
  const double x0 = size.width() / 2 - kBandCount * step / 2;
  for (int b = 0; b < kBandCount; ++b) {
    const double x = x0 + b * step;
    const QString name = QString::fromStdString(set_.bandNames[b]);
    p.setPen(Qt::NoPen);
    p.setBrush(BandColor(Band(b)));
    p.drawRect(QRectF(x, y + 2, 12, 12));
    p.setPen(Qt::black);
    p.setFont(Fitted(small, name, step - 20, p.device()));
    p.drawText(QRectF(x + 18, y, step - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, name);
  }
}

}  // namespace meridane
