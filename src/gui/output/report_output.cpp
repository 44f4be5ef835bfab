#include "gui/output/report_output.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include "gui/main/gui_support.h"
#include "gui/widgets/printable_report.h"

namespace meridane {

namespace {
constexpr double kLogicalWidth = 580;  // rules end at 560; a little room after them
}

namespace {
QSettings UserSettings() { return QSettings(QStringLiteral("Meridane"), QStringLiteral("Meridane")); }
const QString kPdfFolderKey = QStringLiteral("SavePdf/LastFolder");
}  // namespace

// Where the program happened to be started (a build folder, "/" from some launchers) is no
// place to offer: the user's documents the first time, then the folder last saved into.
QString PdfSaveFolder() {
  const QString last = UserSettings().value(kPdfFolderKey).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!docs.isEmpty() && QFileInfo(docs).isDir()) return docs;
  return QDir::homePath();
}

void RememberPdfSaveFolder(const QString& savedFile) {
  UserSettings().setValue(kPdfFolderKey, QFileInfo(savedFile).absolutePath());
}

QString AskPdfSavePath(QWidget* parent) {
  QFileDialog d(parent, Text("Label", "SavePdf", "Save PDF"), PdfSaveFolder(),
                QStringLiteral("*.PDF"));
  d.selectFile(QStringLiteral("*.PDF"));
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setFileMode(QFileDialog::AnyFile);
  d.setDefaultSuffix(QStringLiteral("PDF"));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return QString();
  const QString chosen = d.selectedFiles().front();
  RememberPdfSaveFolder(chosen);
  return chosen;
}

bool QtPdfViewer::Open(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setPrintRange(QAbstractPrintDialog::AllPages);
  QAbstractPrintDialog::PrintDialogOptions options;
  // Without an installed printer the only way to print is into a file: offer it then.
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    options |= QAbstractPrintDialog::PrintToFile;
    printer.setOutputFormat(QPrinter::PdfFormat);
  }
  dialog.setOptions(options);
  return dialog.exec() == QDialog::Accepted;
}

OutputSeams SystemOutputSeams(QWidget* parent) {
  OutputSeams s;
  s.askPdfPath = [parent] { return AskPdfSavePath(parent); };
  s.viewer = std::make_shared<QtPdfViewer>();
  s.printDialog = [parent](QPrinter& p) { return RunPrintDialog(p, parent); };
  return s;
}

void PaintPrintPage(QPainter& painter, const PrintPage& page, const QRectF& paper) {
  painter.save();
  painter.translate(paper.topLeft());
  const double scale = paper.width() / kLogicalWidth;
  painter.scale(scale, scale);
  painter.setPen(QPen(Qt::black, 0.5));
  for (const PrintRule& r : page.rules)
    painter.drawLine(QPointF(r.x, r.y), QPointF(kPrintRuleEnd, r.y));
  for (const PrintText& t : page.texts) {
    QFont font = WithScriptFallbacks(QFont(QString::fromLatin1(kPrintFace)), true);
    font.setPixelSize(static_cast<int>(t.size));
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    painter.drawText(QPointF(t.x, t.y + metrics.ascent()), QString::fromStdString(t.text));
  }
  painter.restore();
}

bool PrintReport(QPrinter& printer, const ReportModel& model, CPrintableReport* chart) {
  const bool laidOut = IsLaidOutForPrint(model.type);
  if (!laidOut && !chart) return false;
  printer.setDocName(QString::fromStdString(PrintDocumentName(model.type)));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF paper = printer.pageRect(QPrinter::DevicePixel).translated(
      -printer.pageRect(QPrinter::DevicePixel).topLeft());
  if (laidOut) {
    const PrintLayout layout = LayOutPrint(model);
    for (size_t i = 0; i < layout.pages.size(); ++i) {
      if (i > 0 && !printer.newPage()) break;
      PaintPrintPage(painter, layout.pages[i], paper);
    }
  } else {
    chart->RenderReport(painter, paper);
  }
  return painter.end();
}

}  // namespace meridane
