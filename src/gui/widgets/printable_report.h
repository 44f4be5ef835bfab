#pragma once
// A report view that draws what it shows onto any painter: a printer, a preview, an image.
class QPainter;
class QRectF;

namespace meridane {

// The size a report view has in a window of the opening size: printing draws the view as
// if it had this size, so paper looks the same however large the window has grown.
inline constexpr double kPrintViewWidth = 980;
inline constexpr double kPrintViewHeight = 524;

class CPrintableReport {
 public:
  virtual ~CPrintableReport() = default;
  // Draws the whole report (not only the part scrolled into view) fitted into `target`, in
  // the painter's coordinates, keeping its proportions.
  virtual void RenderReport(QPainter& painter, const QRectF& target) = 0;
};

}  // namespace meridane
