// Navigation: the save question when a page is left, the home page's way out, and the
// patient page's refusals and results.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "gui/main/main_window.h"
#include "gui/main/patient_main.h"
#include "gui/main/welcome.h"
#include "gui_fixture.h"
#include "gui_test_registry.h"
#include "gui/patients/add_edit.h"
#include "gui/widgets/id_entry.h"

using namespace meridane;

namespace {
const std::string kLeaveQuestion = "Do you want to save data and leave this page?";
const std::string kNotExisted = "This user's ID is NOT existed.";
const std::string kSelect = "Please select a patient or enter a user's ID.";
}  // namespace

class PagesTest : public QObject {
  Q_OBJECT
 private slots:
  void leavingAsksUnlessClinicView() {
    test::DataFolder folder;
    test::AddPatient("Ann Lee", "A1", "7");
    ScriptedPrompter prompter;
    test::PageScript script;
    CMeridDemoXDlg w(prompter, {1280, 1024, 96}, script.Runner());
    w.Initialise();

    // Home right after start-up asks although nothing was edited; the home page then
    // sends the user to a patient's report.
    script.ThenReportOf("A1");
    w.OnHome();
    QCOMPARE(prompter.texts(), std::vector<std::string>{kLeaveQuestion});
    QCOMPARE(w.state().pageResult, int(kResultViewReport));
    QCOMPARE(w.patientLabel()->text(), QString("Ann Lee (007)"));
    QVERIFY(w.isVisible());
    QCOMPARE(w.reportArea(), int(kAreaReport));

    // Nothing changed since: no question. The patient page without an action leads home,
    // and home goes on to a clinic quick view.
    prompter.Clear();
    script.Then([](QDialog& d) { return static_cast<CPatientMain&>(d).result(); });
    script.ThenPatientPage(kMultiple, [](CPatientMain& p) { p.OnQuickView(); });
    w.OnPatients();
    QVERIFY(prompter.asked().empty());
    QVERIFY(w.clinicViewShown());
    QCOMPARE(w.state().managementMode, int(kMultiple));
    QCOMPARE(w.state().pageResult, int(kResultQuickView));
    QCOMPARE(w.patientLabel()->text(), QString());

    // A clinic view never asks, even with the data-changed flag set; both marks clear.
    w.state().dataChanged = true;
    script.ThenPatientPage(kIndividual, [](CPatientMain& p) { p.OnDownload(); });
    w.OnHome();
    // No meter is attached: the download's own message, but no leave question.
    QCOMPARE(prompter.texts(),
             std::vector<std::string>{"Please make sure the meter is connected properly."});
    QVERIFY(!w.state().dataChanged);
    QCOMPARE(w.state().pageResult, int(kResultDownload));
    QVERIFY(!w.clinicViewShown());

    // The data-changed flag alone makes the next leave ask; the user leaves the program.
    prompter.Clear();
    w.state().dataChanged = true;
    prompter.Push(PromptAnswer::No);
    w.OnHome();
    QCOMPARE(prompter.texts(), std::vector<std::string>{kLeaveQuestion});
    QVERIFY(w.exitRequested());
  }

  void realModalPagesReachTheReport() {
    test::DataFolder folder;
    test::AddPatient("Ann Lee", "A1");
    ScriptedPrompter prompter;
    CMeridDemoXDlg w(prompter, {1280, 1024, 96});  // pages run with exec()
    w.Initialise();
    // Each step waits for its page to be the modal one; a step's action may run a nested
    // page.
    struct Step {
      const char* page;
      std::function<void(QWidget*)> act;
    };
    std::vector<Step> steps{
        {"meridane::CWelcome",
         [](QWidget* m) { static_cast<CWelcome*>(m)->individualButton()->click(); }},
        {"meridane::CPatientMain", [](QWidget* m) {
           auto* page = static_cast<CPatientMain*>(m);
           page->idEntry()->setText("A1");
           page->OnViewReport();
         }}};
    size_t next = 0;
    QTimer driver;
    connect(&driver, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (next >= steps.size() || !modal ||
          std::string(modal->metaObject()->className()) != steps[next].page)
        return;
      // Acting outside the timer's own slot: a timer never fires inside itself.
      QTimer::singleShot(0, modal, [act = steps[next++].act, modal] { act(modal); });
    });
    driver.start(20);
    QVERIFY(w.EnterHomePage());
    QCOMPARE(next, steps.size());
    QVERIFY(w.isVisible());
    QCOMPARE(w.patientLabel()->text(), QString("Ann Lee (---)"));
  }

  void importExportAndClosingAsk() {
    test::DataFolder folder;
    ScriptedPrompter prompter;
    test::PageScript script;
    CMeridDemoXDlg w(prompter, {1280, 1024, 96}, script.Runner());
    w.Initialise();
    w.OnImportExport();  // nothing changed: straight to the page
    QVERIFY(prompter.asked().empty());
    w.state().dataChanged = true;
    prompter.Push(PromptAnswer::No);
    w.OnImportExport();
    QCOMPARE(prompter.texts(),
             std::vector<std::string>{"Do you want to save data before leave this page?"});
    QVERIFY(w.state().dataChanged);  // No drops the edits but leaves the flag
    prompter.Clear();
    w.OnImportExport();
    QVERIFY(!w.state().dataChanged);
    QCOMPARE(script.seen().size(), size_t(3));

    // Esc and the close box ask the same question once, then end the program.
    QSignalSpy exit(&w, &CMeridDemoXDlg::ExitRequested);
    prompter.Clear();
    w.show();
    w.reject();
    QCOMPARE(prompter.texts(),
             std::vector<std::string>{"Do you want to save data and leave Meridane?"});
    QCOMPARE(exit.count(), 1);
    QVERIFY(!w.isVisible());
  }

  void homePageWayOut() {
    test::DataFolder folder;
    AppState state;
    ScriptedPrompter prompter;
    test::PageScript script;
    CWelcome home(state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy finished(&home, &QDialog::finished);
    prompter.Push(PromptAnswer::Cancel);
    home.reject();
    QCOMPARE(finished.count(), 0);  // Cancel stays
    QCOMPARE(prompter.asked()[0].text, std::string("Are you sure to leave Meridane?"));
    QVERIFY(prompter.asked()[0].buttons == PromptButtons::OkCancel);
    // The patient page's own Home comes back without an action: the home page stays.
    home.OnManagement(kIndividual);
    QCOMPARE(finished.count(), 0);
    home.reject();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(home.result(), int(QDialog::Rejected));
  }

  void patientPageRefusalsAndResults() {
    test::DataFolder folder;
    test::AddPatient("Ann Lee", "A1");
    AppState state;
    ScriptedPrompter prompter;
    test::PageScript script;
    CPatientMain page(kIndividual, state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy finished(&page, &QDialog::finished);
    QCOMPARE(page.idEntry()->Ids(), QStringList{"A1"});

    page.OnViewReport();  // no ID
    page.idEntry()->setText("B9");
    page.OnViewReport();
    page.OnDownload();
    page.OnAddEdit();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(prompter.texts(),
             (std::vector<std::string>{kSelect, kNotExisted, kNotExisted, kNotExisted}));
    QVERIFY(prompter.asked()[0].buttons == PromptButtons::Ok);
    QVERIFY(prompter.asked()[1].buttons == PromptButtons::OkCancel);
    QVERIFY(script.seen().empty());  // no form was opened for an unknown ID

    page.idEntry()->setText("A1");
    page.OnViewReport();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(kResultViewReport));
    QCOMPARE(state.current.fullName, std::string("Ann Lee"));

    // An empty ID downloads by the meter's serial number: no current patient.
    page.idEntry()->clear();
    page.OnDownload();
    QCOMPARE(finished.at(1).at(0).toInt(), int(kResultDownload));
    QVERIFY(state.current.IDNo.empty());

    // The form saved with OK ends the page with a report; cancelled, the page stays.
    script.Then([](QDialog& d) {
      auto& form = static_cast<CAddEdit&>(d);
      form.fields().fullName->setText("Bo");
      form.fields().idNo->setText("B2");
      form.OnSave();
      return form.result();
    });
    page.OnAddEdit();
    QCOMPARE(finished.count(), 3);
    QCOMPARE(finished.at(2).at(0).toInt(), int(kResultViewReport));
    QCOMPARE(page.idEntry()->Ids(), (QStringList{"A1", "B2"}));
    page.OnAddEdit();  // add mode again; the script has no step: cancelled
    QCOMPARE(finished.count(), 3);

    // Enter in the ID entry never closes the page.
    QTest::keyClick(page.idEntry(), Qt::Key_Return);
    QCOMPARE(finished.count(), 3);

    CPatientMain clinic(kMultiple, state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy clinicDone(&clinic, &QDialog::finished);
    clinic.OnDownloadData();
    QCOMPARE(clinicDone.at(0).at(0).toInt(), int(kResultClinicDownload));
  }
};

MERIDANE_GUI_TEST(PagesTest)

#include "pages_test.moc"
