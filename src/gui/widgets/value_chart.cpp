#include "gui/widgets/value_chart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QValueAxis>
#include <QtMath>
#include <cmath>

#include "gui/main/gui_support.h"

namespace meridane {

namespace {
const QColor kBandColor(0, 104, 55, 45);
const QColor kPointColor(0, 113, 188);
const QColor kLineColor(0, 113, 188, 110);
const QColor kBeforeColor(0, 113, 188);
const QColor kAfterColor(247, 147, 30);
const QColor kHistogramColor(0, 104, 55);
constexpr double kBarWidth = 0.5;  // of a category

// Chart titles and axis labels are rich text: "<68" must not read as a tag, and the titles'
// runs of spaces must stay as wide as they are written.
QString RichTextOf(const std::string& text) {
  return QString::fromStdString(text).toHtmlEscaped().replace(QLatin1Char(' '),
                                                               QStringLiteral("&nbsp;"));
}
}  // namespace

// Ten thousand points (and the trend's line through them) drawn in one pass over the plot
// area. A scatter series keeps an item per point and re-lays them all out on every change,
// and a line series rebuilds its geometry per point: both far too slow at this size.
class CPointCloud : public QGraphicsItem {
 public:
  explicit CPointCloud(QChart* chart) : QGraphicsItem(chart), chart_(chart) {
    setZValue(10);
  }
  void Set(std::vector<QPointF> points, bool joined, double xMin, double xMax, double yMin,
           double yMax) {
    prepareGeometryChange();
    points_ = std::move(points);
    joined_ = joined;
    xMin_ = xMin, xMax_ = xMax, yMin_ = yMin, yMax_ = yMax;
    update();
  }
  const std::vector<QPointF>& points() const { return points_; }
  bool joined() const { return joined_; }
  QRectF boundingRect() const override { return chart_->plotArea().adjusted(-6, -6, 6, 6); }
  void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF a = chart_->plotArea();
    if (a.isEmpty() || xMax_ <= xMin_ || yMax_ <= yMin_ || points_.empty()) return;
    const double sx = a.width() / (xMax_ - xMin_), sy = a.height() / (yMax_ - yMin_);
    mapped_.resize(points_.size());
    for (std::size_t i = 0; i < points_.size(); ++i)
      mapped_[i] = QPointF(a.left() + (points_[i].x() - xMin_) * sx,
                           a.bottom() - (points_[i].y() - yMin_) * sy);
    MakeMarker(p->device() ? p->device()->devicePixelRatioF() : 1.0);
    p->save();
    p->setClipRect(a.adjusted(-kMarker, -kMarker, kMarker, kMarker));
    if (joined_) {
      p->setRenderHint(QPainter::Antialiasing, false);
      p->setPen(QPen(kLineColor, 1));
      p->drawPolyline(mapped_.data(), int(mapped_.size()));
    }
    const double h = kMarker / 2.0;
    for (const QPointF& m : mapped_) p->drawPixmap(QPointF(m.x() - h, m.y() - h), marker_);
    p->restore();
  }

 private:
  // One antialiased marker, stamped at every point, drawn at the screen's own scale.
  void MakeMarker(qreal scale) {
    if (!marker_.isNull() && qFuzzyCompare(marker_.devicePixelRatioF(), scale)) return;
    const int side = qCeil(kMarker * scale);
    marker_ = QPixmap(side, side);
    marker_.setDevicePixelRatio(scale);
    marker_.fill(Qt::transparent);
    QPainter p(&marker_);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kPointColor);
    p.drawEllipse(QRectF(0.5, 0.5, kMarker - 1, kMarker - 1));
  }
  static constexpr int kMarker = 6;
  QChart* chart_;
  QPixmap marker_;
  std::vector<QPointF> points_;
  std::vector<QPointF> mapped_;
  bool joined_ = false;
  double xMin_ = 0, xMax_ = 1, yMin_ = 0, yMax_ = 1;
};

CValueChart::CValueChart(Kind kind, QWidget* parent) : QChartView(parent), kind_(kind) {
  auto* c = new QChart;
  setChart(c);
  setRenderHint(QPainter::Antialiasing, true);
  c->setBackgroundRoundness(0);
  c->setMargins(QMargins(6, 6, 6, 6));
  QFont title = font();
  title.setPointSize(10);
  title.setBold(true);
  c->setTitleFont(title);
  c->legend()->setAlignment(Qt::AlignBottom);

  valueAxis_ = new QValueAxis;
  valueAxis_->setLabelFormat("%d");
  c->addAxis(valueAxis_, Qt::AlignLeft);

  if (kind != Kind::Histogram) {
    bandLow_ = new QLineSeries(this);
    bandHigh_ = new QLineSeries(this);
    band_ = new QAreaSeries(bandHigh_, bandLow_);
    band_->setName(Text("Chart", "Target", "Target"));
    band_->setColor(kBandColor);
    band_->setBorderColor(Qt::transparent);
    c->addSeries(band_);
  }
  if (kind == Kind::Points) {
    xLabelAxis_ = new QCategoryAxis;
    xLabelAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    xLabelAxis_->setGridLineVisible(true);
    // Fifteen dates side by side: a smaller face keeps each whole within its step.
    QFont small = xLabelAxis_->labelsFont();
    small.setPointSize(7);
    xLabelAxis_->setLabelsFont(small);
    c->addAxis(xLabelAxis_, Qt::AlignBottom);
    band_->attachAxis(xLabelAxis_);
    band_->attachAxis(valueAxis_);
    cloud_ = new CPointCloud(c);
    c->legend()->hide();
  } else {
    barAxis_ = new QBarCategoryAxis;
    if (kind == Kind::Histogram) barAxis_->setLabelsAngle(-30);
    c->addAxis(barAxis_, Qt::AlignBottom);
    bars_ = new QBarSeries;
    bars_->setBarWidth(kBarWidth);
    bars_->setLabelsVisible(false);  // the data set's own labels are drawn instead
    c->addSeries(bars_);
    bars_->attachAxis(barAxis_);
    bars_->attachAxis(valueAxis_);
    if (band_) {
      // The band needs numeric x; a hidden axis spans the same −0.5 … n − 0.5 as the bars.
      xValueAxis_ = new QValueAxis;
      xValueAxis_->setVisible(false);
      c->addAxis(xValueAxis_, Qt::AlignBottom);
      band_->attachAxis(xValueAxis_);
      band_->attachAxis(valueAxis_);
      for (QLegendMarker* m : c->legend()->markers(band_)) m->setVisible(false);
    }
  }
  connect(c, &QChart::plotAreaChanged, this, [this] { PlaceBarLabels(); });
}

void CValueChart::SetFrame(const ChartFrame& f) {
  chart()->setTitle(RichTextOf(f.title));
  valueAxis_->setRange(f.yMin, f.yMax);
  valueAxis_->setTickCount(f.yMax > 100 ? 7 : 8);  // 0, 100 … 600 or 0, 5 … 35
  valueAxis_->setTitleText(QString::fromStdString(f.valueCaption));
  bandValues_ = {f.bandLow, f.bandHigh};
  const QList<QPointF> low{{f.xMin, f.bandLow}, {f.xMax, f.bandLow}};
  const QList<QPointF> high{{f.xMin, f.bandHigh}, {f.xMax, f.bandHigh}};
  bandLow_->replace(low);
  bandHigh_->replace(high);
  if (xLabelAxis_) xLabelAxis_->setRange(f.xMin, f.xMax);
  if (xValueAxis_) xValueAxis_->setRange(f.xMin, f.xMax);
}

void CValueChart::ShowPoints(const ChartFrame& frame, const std::vector<AxisLabel>& labels,
                             const std::vector<ChartPoint>& points, bool joined) {
  SetFrame(frame);
  for (const QString& l : xLabelAxis_->categoriesLabels()) xLabelAxis_->remove(l);
  for (const AxisLabel& l : labels) xLabelAxis_->append(QString::fromStdString(l.text), l.x);
  xLabelAxis_->setStartValue(frame.xMin);
  std::vector<QPointF> pts;
  pts.reserve(points.size());
  for (const ChartPoint& p : points) pts.emplace_back(p.x, p.y);
  cloud_->Set(std::move(pts), joined, frame.xMin, frame.xMax, frame.yMin, frame.yMax);
}

void CValueChart::ShowAverages(const AverageChartSet& set) {
  SetFrame(set.frame);
  QStringList cats;
  for (const std::string& c : set.categories) cats << QString::fromStdString(c);
  barAxis_->setCategories(cats);
  barAxis_->setRange(cats.value(0), cats.value(cats.size() - 1));
  bars_->clear();
  barLabelAt_.clear();
  for (auto* item : barLabelItems_) delete item;
  barLabelItems_.clear();
  const AverageSeries* series[] = {&set.before, &set.after};
  const QColor colors[] = {kBeforeColor, kAfterColor};
  for (int s = 0; s < 2; ++s) {
    auto* b = new QBarSet(QString::fromStdString(series[s]->name));
    b->setColor(colors[s]);
    b->setBorderColor(colors[s]);
    for (std::size_t i = 0; i < series[s]->bars.size(); ++i) {
      const AverageBar& bar = series[s]->bars[i];
      *b << (bar.present ? bar.value : 0.0);  // a missing bar has no height and no label
      auto* t = new QGraphicsSimpleTextItem(bar.present ? QString::fromStdString(bar.label)
                                                        : QString(),
                                            chart());
      t->setZValue(20);
      barLabelItems_.push_back(t);
      const double x = double(i) - kBarWidth / 2 + kBarWidth / 2 * (s + 0.5);
      barLabelAt_.emplace_back(x, bar.present ? bar.value : 0.0);
    }
    bars_->append(b);
  }
  PlaceBarLabels();
}

void CValueChart::ShowHistogram(const HistogramSet& set) {
  chart()->setTitle(RichTextOf(set.title));
  QStringList cats;
  for (const std::string& l : set.barLabels) cats << RichTextOf(l);
  barAxis_->setCategories(cats);
  valueAxis_->setRange(0, set.axisTop);
  valueAxis_->setTickCount(set.axisTop / std::max(1, set.axisStep) + 1);
  valueAxis_->setTitleText(QString::fromStdString(set.countCaption));
  bars_->clear();
  for (auto* item : barLabelItems_) delete item;
  barLabelItems_.clear();
  barLabelAt_.clear();
  auto* b = new QBarSet(QString::fromStdString(set.seriesCaption));
  b->setColor(kHistogramColor);
  b->setBorderColor(kHistogramColor);
  for (int i = 0; i < kHistogramBars; ++i) {
    *b << set.counts[i];
    auto* t = new QGraphicsSimpleTextItem(QString::fromStdString(set.countLabels[i]), chart());
    t->setZValue(20);
    barLabelItems_.push_back(t);
    barLabelAt_.emplace_back(double(i), double(set.counts[i]));
  }
  bars_->setBarWidth(0.8);
  bars_->append(b);
  PlaceBarLabels();
}

void CValueChart::PlaceBarLabels() {
  if (!bars_) return;
  for (std::size_t i = 0; i < barLabelItems_.size(); ++i) {
    QGraphicsSimpleTextItem* t = barLabelItems_[i];
    const QPointF at = chart()->mapToPosition(
        QPointF(barLabelAt_[i].first, barLabelAt_[i].second), bars_);
    const QRectF r = t->boundingRect();
    t->setPos(at.x() - r.width() / 2, at.y() - r.height() - 1);
  }
}

void CValueChart::resizeEvent(QResizeEvent* e) {
  QChartView::resizeEvent(e);
  PlaceBarLabels();
}

void CValueChart::RenderReport(QPainter& painter, const QRectF& target) {
  // Laid out at the opening size for the page, then back to the window's.
  const QRectF shown = chart()->geometry();
  const QRectF print(shown.topLeft(), QSizeF(kPrintViewWidth, kPrintViewHeight));
  auto layOut = [this](const QRectF& r) {
    chart()->setGeometry(r);
    if (chart()->layout()) chart()->layout()->activate();
    PlaceBarLabels();
  };
  layOut(print);
  scene()->render(&painter, target, print, Qt::KeepAspectRatio);
  layOut(shown);
}

QStringList CValueChart::axisLabels() const {
  if (xLabelAxis_) return xLabelAxis_->categoriesLabels();
  QStringList out;
  for (QString l : barAxis_->categories())
    out << l.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
               .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
               .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
               .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return out;
}

std::vector<double> CValueChart::axisLabelPositions() const {
  std::vector<double> out;
  if (xLabelAxis_)
    for (const QString& l : xLabelAxis_->categoriesLabels())
      out.push_back(xLabelAxis_->endValue(l));
  return out;
}

const std::vector<QPointF>& CValueChart::points() const {
  static const std::vector<QPointF> none;
  return cloud_ ? cloud_->points() : none;
}

QList<QPointF> CValueChart::joinedLine() const {
  if (!cloud_ || !cloud_->joined()) return {};
  return QList<QPointF>(cloud_->points().begin(), cloud_->points().end());
}

std::pair<double, double> CValueChart::band() const { return band_ ? bandValues_ : std::pair{0.0, 0.0}; }

std::pair<double, double> CValueChart::xRange() const {
  if (xLabelAxis_) return {xLabelAxis_->min(), xLabelAxis_->max()};
  if (xValueAxis_) return {xValueAxis_->min(), xValueAxis_->max()};
  return {-0.5, barAxis_->count() - 0.5};
}

std::pair<double, double> CValueChart::valueRange() const {
  return {valueAxis_->min(), valueAxis_->max()};
}

QList<QBarSet*> CValueChart::barSets() const { return bars_ ? bars_->barSets() : QList<QBarSet*>(); }

QStringList CValueChart::barLabels() const {
  QStringList out;
  for (auto* t : barLabelItems_) out << t->text();
  return out;
}

QString CValueChart::valueCaption() const { return valueAxis_->titleText(); }

}  // namespace meridane
