#pragma once
// Save PDF, Print and Print Preview of the report on show. The file dialog, the viewer and
// the print dialog are seams the tests replace.
#include <QString>
#include <functional>
#include <memory>

#include "output/pdf_save.h"
#include "output/print_pages.h"
#include "output/report_model.h"

class QPainter;
class QPrinter;
class QRectF;
class QWidget;

namespace meridane {

class CPrintableReport;

struct OutputSeams {
  // The save dialog for a PDF ("" when cancelled).
  std::function<QString()> askPdfPath;
  // Opens a saved PDF.
  std::shared_ptr<PdfViewer> viewer;
  // The print dialog on `printer`; false when cancelled.
  std::function<bool(QPrinter&)> printDialog;
};
// The desktop's dialogs and viewer.
OutputSeams SystemOutputSeams(QWidget* parent);

// The save dialog: "*.PDF", filter "*.PDF", default extension "PDF", asks before overwriting.
QString AskPdfSavePath(QWidget* parent);
// The folder the Save PDF dialog opens in, and the one it remembers after a save.
QString PdfSaveFolder();
void RememberPdfSaveFolder(const QString& savedFile);

// Opens the saved document with the desktop's PDF viewer.
class QtPdfViewer : public PdfViewer {
 public:
  bool Open(const std::string& path) override;
};

// The print dialog: every page, no page range or selection; with no printer installed it
// offers printing into a PDF file instead.
bool RunPrintDialog(QPrinter& printer, QWidget* parent);

// Draws one laid-out page into `paper` (device coordinates): 580 logical units across.
void PaintPrintPage(QPainter& painter, const PrintPage& page, const QRectF& paper);

// Prints the report on `painter`'s printer: the grid reports and the summary from their
// layout, a chart or the pie through `chart` on one page. False when there is nothing that
// could draw it (a chart type without its view).
bool PrintReport(QPrinter& printer, const ReportModel& model, CPrintableReport* chart);

}  // namespace meridane
