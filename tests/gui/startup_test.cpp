// Start-up: placement and display warnings for injected screens, the page buttons' large
// layout, the database failure notice, and the user's guide.
#include "gui/widgets/step_scroller.h"
#include "gui_fixture.h"

using namespace meridane;

namespace {
const std::string kDpiText = "DPI 120 can be acceptable, but the best DPI is 96.";
const std::string kResText =
    "The best display resolution is 1024 X 768. Other resolution can be acceptable, but the "
    "lowest resolution is 800 X 600.";
}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void initialiseWarnsOnceForTheScreen() {
    test::DataFolder folder;
    const struct {
      ScreenMetrics screen;
      Texts texts;
      int button;  // the page buttons' side: larger for a large DPI
    } cases[] = {{{800, 600, 96}, {kResText}, 48},
                 {{1920, 1080, 96}, {}, 48},
                 {{1024, 768, 120}, {kDpiText}, 52}};
    for (const auto& c : cases) {
      ScriptedPrompter prompter;
      CMeridDemoXDlg w(prompter, c.screen);
      w.Initialise();
      QCOMPARE(prompter.texts(), c.texts);
      QVERIFY(!w.isVisible());  // shown only when the home page is left
      QCOMPARE(w.pageButton(kBtnHome)->geometry().size(), QSize(c.button, c.button));
      QCOMPARE(w.scroller()->ScrollBarsShown(), c.screen.width == 800);
      if (c.screen.width != 800) continue;
      QVERIFY(prompter.asked()[0].caption == "Warning" &&
              prompter.asked()[0].icon == PromptIcon::Exclamation);
      // The report area gives up height instead of an upright scroll bar.
      QVERIFY(w.scroller()->verticalBar()->isHidden() && w.canvas()->height() < kCanvasHeight);
      QVERIFY(QFile::exists(QString::fromStdString(meridane::DataFolder()) + "/Patients.db"));
    }
  }

  void databaseFailureToldOnce() {
    test::TempFolder dir("gui");
    dir.Write("file", "");
    // A data folder below a plain file can never be created.
    test::DataFolderOverride folder(dir.Path("file/MeridData_Pro"));
    ResetDatabaseFailureNotice();
    ScriptedPrompter prompter;
    {
      CMeridDemoXDlg w(prompter, {1280, 1024, 96});
      w.Initialise();
    }
    QVERIFY(!OpenDatabaseOrTell(prompter));
    QCOMPARE(prompter.asked().size(), size_t(1));  // told once only
    QVERIFY(prompter.texts()[0].rfind("Can't open database: ", 0) == 0);
  }

  void userGuideOpening() {
    Texts opened;
    bool registered = false;
    QString found = QStringLiteral("/x/manual.pdf");
    SetGuideOpener({[&] { return registered; }, [&] { return found; },
                    [&](const QString& p) {
                      opened.push_back(p.toStdString());
                      return true;
                    }});
    ScriptedPrompter prompter;
    OpenUserGuide(prompter);
    // Without a reader the advice comes first and the guide is still opened.
    QCOMPARE(prompter.asked().size(), size_t(1));
    QVERIFY(prompter.texts()[0].rfind("If you can't open the user's guide", 0) == 0);
    QCOMPARE(opened, Texts{"/x/manual.pdf"});
    registered = true;
    found.clear();
    prompter.Clear();
    OpenUserGuide(prompter);
    QCOMPARE(prompter.texts(), Texts{"Cannot find the user's guide."});
    SetGuideOpener(SystemGuideOpener());
  }
};

MERIDANE_GUI_TEST(StartupTest)

#include "startup_test.moc"
