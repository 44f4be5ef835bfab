// Output from the window: Print and Print Preview of every report type through QPrinter
// into PDF files read back with poppler, Save PDF through its seams, and the Import/Export
// page's archive and export tabs with the path box's messages.
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "gui/output/io_file.h"
#include "gui/widgets/printable_report.h"
#include "gui_fixture.h"
#include "output/report_model.h"
#include "support/pdf_text.h"

using namespace meridane;

namespace {

int Pages(const QString& pdf) { return test::PageCount(pdf.toStdString()); }
std::string Title(const QString& pdf) { return test::PdfInfoField(pdf.toStdString(), "Title"); }

// A chart view that marks what it draws, standing in for the report page's widgets.
class MarkChart : public CPrintableReport {
 public:
  void RenderReport(QPainter& p, const QRectF& target) override {
    p.drawText(target.topLeft() + QPointF(100, 100), QStringLiteral("CHARTMARK"));
  }
};
class ChartPage : public CAreaPage {
 public:
  CPrintableReport* shownReport() override { return &chart; }
  MarkChart chart;
};

struct RecordingViewer : PdfViewer {
  std::vector<std::string> opened;
  bool Open(const std::string& p) override {
    opened.push_back(p);
    return true;
  }
};

// A window showing Ann Lee's report; printing goes into `printed`.
struct Shown : test::MainWindow {
  QString printed = folder.path() + "/printed.pdf";
  std::shared_ptr<RecordingViewer> viewer = std::make_shared<RecordingViewer>();
  QString savePath;

  Shown() {
    test::AddPatient("Ann Lee", "A1", "7");
    {
      Database db = OpenPatientDatabase();
      for (int d = 1; d <= 27; ++d) InsertReading(db, "A1", {2026, 11, d, 8, 0}, 100 + d, 256, 0);
    }
    OutputSeams seams;
    seams.askPdfPath = [this] { return savePath; };
    seams.viewer = viewer;
    seams.printDialog = [this](QPrinter& p) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(printed);
      return true;
    };
    w.SetOutputSeams(seams);
    AppState& s = w.state();
    test::OpenPatient(s, "A1");
    s.period = {{2026, 11, 1}, {2026, 11, 30}};
    s.fixedToday = Date{2026, 12, 1};
    for (int i = 0; i < 26; ++i)
      s.multipleDownloadRows.push_back(
          {"", "007", "Ann Lee", std::to_string(100 + i), "11/02/2026  08:00"});
    s.quickView.rows.resize(1);
    s.quickView.rows[0].cells = {"Ann Lee", "27", "0", "0", "0", "- - -", "113", "- - -"};
  }
  void Show(int type) {
    w.state().reportType = type;
    w.ShowArea(type == kReportMultipleDownload ? kAreaClinic
               : type == kReportQuickView      ? kAreaQuickView
                                               : kAreaReport);
  }
};

}  // namespace

class OutputTest : public QObject {
  Q_OBJECT
 private slots:
  void printAndSaveEveryTypeIntoAPdfFile() {
    Shown s;
    s.w.SetAreaPage(kAreaReport, new ChartPage);
    for (int type = 0; type < kReportTypeCount; ++type) {
      const std::string name = ReportName(type), saveName = ReportDocumentName(type);
      QFile::remove(s.printed);
      s.Show(type);
      s.w.OnPrint();
      QVERIFY2(QFile::exists(s.printed), name.c_str());
      QCOMPARE(Title(s.printed), name);
      // 27 readings: a log book of 27 day rows goes over two pages; 26 clinic rows too.
      QCOMPARE(Pages(s.printed), type == kReportLogBook || type == kReportMultipleDownload ? 2 : 1);
      const auto words = test::ReadWords(s.printed.toStdString());
      QCOMPARE(test::FindWord(words, "CHARTMARK") != nullptr, !IsLaidOutForPrint(type));
      // Save PDF writes the upper-case suffix and opens the file in the viewer.
      s.savePath = s.folder.path() + QString("/report%1.pdf").arg(type);
      s.w.OnSavePdf();
      const QString saved = s.folder.path() + QString("/report%1.PDF").arg(type);
      QVERIFY2(QFile::exists(saved), name.c_str());
      QCOMPARE(s.viewer->opened.back(), saved.toStdString());
      QVERIFY(Title(saved).rfind(saveName, 0) == 0);
    }
    QCOMPARE(int(s.viewer->opened.size()), kReportTypeCount);
    QVERIFY(s.prompter.asked().empty());

    // Cancelled: nothing. A folder that is not there: the message, no viewer.
    s.savePath.clear();
    s.w.OnSavePdf();
    s.savePath = s.folder.path() + "/missing/report.pdf";
    s.w.OnSavePdf();
    QCOMPARE(s.prompter.texts(), Texts{"Please make sure the disk can be written."});
    QCOMPARE(int(s.viewer->opened.size()), kReportTypeCount);
  }

  void previewIsTitledAndReachableFromTheWindow() {
    Shown s;
    s.Show(kReportDataList);
    QString title;
    s.script.Then([&](QDialog& d) {
      if (qobject_cast<QPrintPreviewDialog*>(&d)) title = d.windowTitle();
      return 0;
    });
    QAction* preview = s.w.findChild<QAction*>("printPreview");
    QVERIFY(preview);
    QVERIFY(s.w.pageButton(kBtnPrint)->actions().contains(preview));
    preview->trigger();
    QCOMPARE(title, QString("Print Preview"));
  }

  void importExportTabsEndToEnd() {
    test::DataFolder folder;
    for (const char* id : {"A1", "A2", "B1"})
      test::AddPatient(id[0] == 'B' ? "Bob" : "Ann Lee", id);
    Database db = OpenPatientDatabase();
    for (auto [id, day, gluco] : {std::tuple{"A1", 3, 111}, {"A2", 3, 222}, {"B1", 4, 333}})
      InsertReading(db, id, {2026, 11, day, 8, 0}, gluco, 0, 0);
    ScriptedPrompter prompter;
    QString next;
    FileChoice asked;
    CInOut page(prompter, [&](const FileChoice& c) {
      asked = c;
      return next;
    });
    CIOFile* io = page.ioFile();
    io->fromDate()->setDate({2026, 11, 1});
    io->toDate()->setDate({2026, 11, 30});
    QCOMPARE(io->patientList()->topLevelItemCount(), 4);
    // Browses to `path` (which the box must then show) and runs the tab on show.
    auto run = [&](const QString& path) {
      next = path;
      io->Browse();
      return io->pathEdit()->text() == path && io->Run();
    };

    // Archive: both Ann Lees checked, into a database file.
    io->patientList()->topLevelItem(1)->setCheckState(0, Qt::Checked);
    io->patientList()->topLevelItem(2)->setCheckState(0, Qt::Checked);
    const QString book = folder.path() + "/book.db";
    QVERIFY(run(book));
    QVERIFY(asked.save);
    QVERIFY2(io->lastResult().ok, io->lastResult().message.c_str());
    QCOMPARE(io->lastResult().patients, 2);
    QVERIFY(!QFile::exists(folder.path() + "/.~meridane-book.db"));

    // Export the chosen patient (the second Ann Lee) as CSV. What a retrieve makes of an
    // archive is the core's (tests/output).
    io->tabs()->setCurrentIndex(2);
    io->patientChoice()->setCurrentIndex(1);
    const QString csv = folder.path() + "/ann.csv";
    QVERIFY(run(csv));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll().contains("ID No.:A2\r\n"));

    // An illegal database path in the box: the message, the focus and the selection back.
    prompter.Clear();
    io->tabs()->setCurrentIndex(0);
    next = book;
    io->Browse();
    io->pathEdit()->setText(folder.path() + "/caf\u00e9.db");
    page.show();
    QVERIFY(!io->Run());
    QCOMPARE(prompter.texts(), Texts{"Cannot save data in a illegal file path."});
    QCOMPARE(io->pathEdit()->selectedText(), io->pathEdit()->text());

    // An empty box closes without a run.
    prompter.Clear();
    io->pathEdit()->clear();
    QVERIFY(io->Run() && prompter.asked().empty());
    page.hide();
  }
};

MERIDANE_GUI_TEST(OutputTest)
#include "output_test.moc"
