// Navigation: the save question when a page is left, the home page's way out, and the
// patient page's refusals and results.
#include "gui_fixture.h"

using namespace meridane;

namespace {
const std::string kLeaveQuestion = "Do you want to save data and leave this page?";
const std::string kNotExisted = "This user's ID is NOT existed.";
int ResultOf(const QSignalSpy& finished, int i) { return finished.at(i).at(0).toInt(); }
}  // namespace

class PagesTest : public QObject {
  Q_OBJECT
 private slots:
  void leavingAsksUnlessClinicView() {
    test::MainWindow t;
    test::AddPatient("Ann Lee", "A1", "7");
    // Home right after start-up asks although nothing was edited; the home page then
    // sends the user to a patient's report.
    t.script.ThenReportOf("A1");
    t.w.OnHome();
    QCOMPARE(t.prompter.texts(), Texts{kLeaveQuestion});
    QCOMPARE(t.w.state().pageResult, int(kResultViewReport));
    QCOMPARE(t.w.patientLabel()->text(), QString("Ann Lee (007)"));
    QCOMPARE(t.w.reportArea(), int(kAreaReport));

    // Nothing changed since: no question. The patient page without an action leads home,
    // and home goes on to a clinic quick view.
    t.prompter.Clear();
    t.script.Then([](QDialog& d) { return d.result(); });
    t.script.ThenPatientPage(kMultiple, [](CPatientMain& p) { p.OnQuickView(); });
    t.w.OnPatients();
    QVERIFY(t.prompter.asked().empty());
    QVERIFY(t.w.clinicViewShown());
    QCOMPARE(t.w.state().pageResult, int(kResultQuickView));
    QCOMPARE(t.w.patientLabel()->text(), QString());

    // A clinic view never asks, even with the data-changed flag set; both marks clear.
    // No meter is attached: the download's own message, but no leave question.
    t.w.state().dataChanged = true;
    t.script.ThenPatientPage(kIndividual, [](CPatientMain& p) { p.OnDownload(); });
    t.w.OnHome();
    QCOMPARE(t.prompter.texts(), Texts{"Please make sure the meter is connected properly."});
    QVERIFY(!t.w.state().dataChanged && !t.w.clinicViewShown());

    // The data-changed flag alone makes the next leave ask; the user leaves the program.
    t.prompter.Clear();
    t.w.state().dataChanged = true;
    t.prompter.Push(PromptAnswer::No);
    t.w.OnHome();
    QCOMPARE(t.prompter.texts(), Texts{kLeaveQuestion});
    QVERIFY(t.w.exitRequested());
  }

  void realModalPagesReachTheReport() {
    test::DataFolder folder;
    test::AddPatient("Ann Lee", "A1");
    ScriptedPrompter prompter;
    CMeridDemoXDlg w(prompter, {1280, 1024, 96});  // pages run with exec()
    w.Initialise();
    // The home page's button runs the patient page, which is then waited for in its turn.
    bool reported = false;
    test::WhenShown<CWelcome>([&](CWelcome& home) {
      test::WhenShown<CPatientMain>([&](CPatientMain& page) {
        page.idEntry()->setText("A1");
        page.OnViewReport();
        reported = true;
      });
      home.individualButton()->click();
    });
    QVERIFY(w.EnterHomePage());
    QVERIFY(reported);
    QCOMPARE(w.patientLabel()->text(), QString("Ann Lee (---)"));
  }

  void importExportAndClosingAsk() {
    test::MainWindow t;
    test::AddPatient("Ann Lee", "A1");
    t.w.state().current = test::StoredPatient("A1");
    t.w.OnImportExport();  // nothing changed: straight to the page (no question below)
    {
      Database db = OpenPatientDatabase();
      InsertReading(db, "A1", {2026, 11, 3, 8, 0}, 111, 0, 0);
    }
    t.w.state().dataChanged = true;
    t.prompter.Push(PromptAnswer::No);
    t.w.OnImportExport();
    QCOMPARE(t.prompter.texts(), Texts{"Do you want to save data before leave this page?"});
    // No drops the edits (the patient is read again) but leaves the flag.
    QCOMPARE(t.w.state().readings.count(), 1u);
    QVERIFY(t.w.state().dataChanged);
    t.w.OnImportExport();
    QVERIFY(!t.w.state().dataChanged);
    QCOMPARE(t.script.seen().size(), size_t(3));

    // Esc and the close box ask the same question once, then end the program.
    QSignalSpy exit(&t.w, &CMeridDemoXDlg::ExitRequested);
    t.prompter.Clear();
    t.w.show();
    t.w.reject();
    QCOMPARE(t.prompter.texts(), Texts{"Do you want to save data and leave Meridane?"});
    QCOMPARE(exit.count(), 1);
    QVERIFY(!t.w.isVisible());
  }

  void homePageWayOut() {
    test::PageKit kit;
    auto& [folder, state, prompter, script] = kit;
    CWelcome home(state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy finished(&home, &QDialog::finished);
    prompter.Push(PromptAnswer::Cancel);
    home.reject();
    QCOMPARE(finished.count(), 0);  // Cancel stays
    QCOMPARE(prompter.texts(), Texts{"Are you sure to leave Meridane?"});
    QVERIFY(prompter.asked()[0].buttons == PromptButtons::OkCancel);
    // The patient page's own Home comes back without an action: the home page stays.
    home.OnManagement(kIndividual);
    QCOMPARE(finished.count(), 0);
    home.reject();
    QCOMPARE(finished.count(), 1);
  }

  void patientPageRefusalsAndResults() {
    test::PageKit kit;
    auto& [folder, state, prompter, script] = kit;
    test::AddPatient("Ann Lee", "A1");
    CPatientMain page(kIndividual, state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy finished(&page, &QDialog::finished);
    page.OnViewReport();  // no ID
    page.idEntry()->setText("B9");
    page.OnViewReport();
    page.OnDownload();
    page.OnAddEdit();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(prompter.texts(), (Texts{"Please select a patient or enter a user's ID.", kNotExisted,
                                      kNotExisted, kNotExisted}));
    QVERIFY(prompter.asked()[0].buttons == PromptButtons::Ok &&
            prompter.asked()[1].buttons == PromptButtons::OkCancel);
    QVERIFY(script.seen().empty());  // no form was opened for an unknown ID

    page.idEntry()->setText("A1");
    page.OnViewReport();
    QCOMPARE(ResultOf(finished, 0), int(kResultViewReport));
    QCOMPARE(state.current.fullName, std::string("Ann Lee"));
    // An empty ID downloads by the meter's serial number: no current patient.
    page.idEntry()->clear();
    page.OnDownload();
    QCOMPARE(ResultOf(finished, 1), int(kResultDownload));
    QVERIFY(state.current.IDNo.empty());

    // The form saved with OK ends the page with a report; cancelled, the page stays.
    script.Then(test::PageScript::SaveForm("Bo", "B2"));
    page.OnAddEdit();
    QCOMPARE(ResultOf(finished, 2), int(kResultViewReport));
    QCOMPARE(page.idEntry()->Ids(), (QStringList{"A1", "B2"}));
    page.OnAddEdit();  // add mode again; the script has no step: cancelled
    QTest::keyClick(page.idEntry(), Qt::Key_Return);  // Enter never closes the page
    QCOMPARE(finished.count(), 3);

    CPatientMain clinic(kMultiple, state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy clinicDone(&clinic, &QDialog::finished);
    clinic.OnDownloadData();
    QCOMPARE(ResultOf(clinicDone, 0), int(kResultClinicDownload));
  }
};

MERIDANE_GUI_TEST(PagesTest)

#include "pages_test.moc"
