#pragma once
// The pie chart control: the eight pies of a PieSet with their titles, "%2.1f%%" slice
// labels, one legend and the two title lines. Painted directly, so it draws the same on
// screen and on a printer.
#include <QColor>
#include <QWidget>

#include "reports/report_sets.h"
#include "gui/widgets/printable_report.h"

namespace meridane {

class CPieView : public QWidget, public CPrintableReport {
  Q_OBJECT
 public:
  explicit CPieView(QWidget* parent = nullptr);

  void SetPies(PieSet set);
  const PieSet& pies() const { return set_; }

  static QColor BandColor(Band band);
  // The disc of pie i in a view of `size`.
  static QRectF PieRect(int i, const QSizeF& size);

  // Where a slice's label of `text` size goes around `disc` in a view of `view` size.
  static QRectF LabelRect(const QRectF& disc, double midDegrees, const QSizeF& text,
                          const QSizeF& view);

  void RenderReport(QPainter& painter, const QRectF& target) override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Draw(QPainter& p, const QSizeF& size) const;
  PieSet set_;
};

}  // namespace meridane
