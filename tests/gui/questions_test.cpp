// Questions that cannot be brushed away, the Save PDF dialog's folder, and an area with no
// leftover placeholder text.
#include "gui/main/qt_prompter.h"
#include "gui/output/report_output.h"
#include "gui_fixture.h"

using namespace meridane;

class QuestionsTest : public QObject {
  Q_OBJECT
 private slots:
  void escAndTheCloseBoxAnswerOnlyAnOkCancelQuestion() {
    for (PromptButtons buttons : {PromptButtons::YesNo, PromptButtons::OkCancel}) {
      const bool yesNo = buttons == PromptButtons::YesNo;
      QtPrompter prompter;
      bool stayedOpen = false;
      test::WhenShown<QMessageBox>([&](QMessageBox& box) {
        QTest::keyClick(&box, Qt::Key_Escape);
        if (!box.isVisible()) return;  // answered Cancel
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        stayedOpen = box.isVisible();
        box.button(QMessageBox::Yes)->click();
      });
      QCOMPARE(prompter.Ask({"Do you want to save data and leave Meridane?", "Warning", buttons}),
               yesNo ? PromptAnswer::Yes : PromptAnswer::Cancel);
      QCOMPARE(stayedOpen, yesNo);
    }
  }

  void savePdfOpensInDocumentsThenInTheLastFolderUsed() {
    QTemporaryDir tmp;
    const QString last = tmp.path() + "/reports";
    QVERIFY(QDir().mkpath(last));
    RememberPdfSaveFolder(last + "/first.PDF");
    QString shownIn;
    test::WhenShown<QFileDialog>([&](QFileDialog& d) {
      shownIn = d.directory().absolutePath();
      d.reject();
    });
    QVERIFY(AskPdfSavePath(nullptr).isEmpty());
    QCOMPARE(shownIn, last);
    // A folder removed since falls back to the documents folder (or home), never the
    // folder the program was started in.
    QVERIFY(QDir(last).removeRecursively());
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(PdfSaveFolder(), QDir(docs).exists() ? docs : QDir::homePath());
  }

  void noAreaShowsPlaceholderText() {
    test::MainWindow t;
    for (int area = kAreaEmpty; area <= kAreaQuickView; ++area) {
      t.w.ShowArea(static_cast<ReportArea>(area));
      for (const QLabel* l : t.w.findChildren<QLabel*>())
        QVERIFY2(!l->text().contains("not part of this version"), qPrintable(l->text()));
    }
  }
};

MERIDANE_GUI_TEST(QuestionsTest)
#include "questions_test.moc"
