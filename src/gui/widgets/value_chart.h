#pragma once
// The chart control of the value reports, on Qt Charts: the point charts (trend, standard
// day), the two average bar charts and the histogram. It shows a core chart set as it
// stands: labels, points, bars and their labels, the shaded target band.
#include <QChartView>
#include <QStringList>
#include <vector>

#include "reports/report_sets.h"
#include "gui/widgets/printable_report.h"

class QAreaSeries;
class QBarCategoryAxis;
class QBarSeries;
class QBarSet;
class QCategoryAxis;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;

namespace meridane {

class CPointCloud;

class CValueChart : public QChartView, public CPrintableReport {
  Q_OBJECT
 public:
  enum class Kind { Points, Bars, Histogram };
  explicit CValueChart(Kind kind, QWidget* parent = nullptr);

  // Points: the trend joins them (joined), the standard day does not.
  void ShowPoints(const ChartFrame& frame, const std::vector<AxisLabel>& labels,
                  const std::vector<ChartPoint>& points, bool joined);
  void ShowAverages(const AverageChartSet& set);
  void ShowHistogram(const HistogramSet& set);

  void RenderReport(QPainter& painter, const QRectF& target) override;

  // What is drawn, for tests.
  QStringList axisLabels() const;                    // x labels left to right
  std::vector<double> axisLabelPositions() const;    // their x values (point charts)
  const std::vector<QPointF>& points() const;        // point charts
  QList<QPointF> joinedLine() const;                 // the trend's line
  std::pair<double, double> band() const;            // low, high (0, 0: none)
  std::pair<double, double> xRange() const;
  std::pair<double, double> valueRange() const;
  QList<QBarSet*> barSets() const;
  // Bar labels as drawn, in set order then category order ("" where no bar).
  QStringList barLabels() const;
  QString valueCaption() const;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void SetFrame(const ChartFrame& frame);
  void PlaceBarLabels();

  Kind kind_;
  QValueAxis* valueAxis_ = nullptr;
  QValueAxis* xValueAxis_ = nullptr;     // point charts, and the band under the bars
  QCategoryAxis* xLabelAxis_ = nullptr;  // point charts
  QBarCategoryAxis* barAxis_ = nullptr;
  QLineSeries* bandLow_ = nullptr;
  QLineSeries* bandHigh_ = nullptr;
  QAreaSeries* band_ = nullptr;
  CPointCloud* cloud_ = nullptr;
  QBarSeries* bars_ = nullptr;
  std::vector<QGraphicsSimpleTextItem*> barLabelItems_;
  std::vector<std::pair<double, double>> barLabelAt_;  // (x, value) of each label
  std::pair<double, double> bandValues_{0, 0};
};

}  // namespace meridane
