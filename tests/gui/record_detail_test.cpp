// The record detail editor: the checks keep the failing page, the oral message, the
// circumstance bits, Cancel's question, Reset, the slot list locked after a save, and an
// edit that reaches the database only when the user agrees on leaving the page.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest>

#include "gui/main/main_window.h"
#include "gui/main/patient_main.h"
#include "gui/main/welcome.h"
#include "gui_fixture.h"
#include "gui_test_registry.h"
#include "gui/reports/rd_pages.h"
#include "gui/reports/record_detail.h"
#include "store/reading_store.h"
#include "gui/widgets/id_entry.h"

using namespace meridane;

namespace {

const std::string kInteger = "Please enter an integer.";
const std::string kLeaveEditor = "Do you want to leave without saving the change?";

GlucoReading Reading(int slot, int mark, int gluco = 142) {
  GlucoReading r;
  r.idx = 5;
  r.at = {2026, 3, 4, 13, 5};
  r.gluco = gluco;
  r.slot = slot;
  r.mark = mark;
  return r;
}

CPatientProfile Patient() {
  CPatientProfile p;
  p.IDNo = "A1";
  p.fullName = "Ann Lee";
  p.medications.insulin = 1 | 16;  // Glargine, Rapid
  return p;
}

// Runs `act` on the record detail editor once it is the modal window. The editor is closed
// afterwards if the step left it open, so a failing step cannot hang the test.
void WhenEditorOpens(std::function<void(CRecordDetail&)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* d = qobject_cast<CRecordDetail*>(QApplication::activeModalWidget());
    if (!d) return;
    poll->stop();
    poll->deleteLater();
    act(*d);
    if (d->isVisible()) d->done(QDialog::Rejected);
  });
  poll->start(5);
}

}  // namespace

class RecordDetailTest : public QObject {
  Q_OBJECT
 private slots:
  void checksKeepTheFailingPage() {
    ScriptedPrompter prompter;
    const GlucoReading r = Reading(3, 0);
    {
      CRecordDetail ed(Patient(), r, prompter);
      ed.tabs()->setCurrentIndex(kDetailFood);
      CRDInsulin* ins = ed.insulinPage();
      ins->kind(1)->setChecked(true);
      ins->amount(1)->setText("61");
      ed.oralPage()->amount()->setText("1.5");  // also wrong, but a later page
      ed.OnSave();
      QCOMPARE(ed.result(), 0);
      QCOMPARE(ed.tabs()->currentIndex(), int(kDetailInsulin));
      QVERIFY(prompter.asked().empty());  // a range has no message box of its own
      QVERIFY(!ins->hint()->isHidden());
      QVERIFY(ins->hint()->text().contains("60"));

      ins->amount(1)->setText("60");
      ed.OnSave();
      QCOMPARE(ed.tabs()->currentIndex(), int(kDetailOral));
      QCOMPARE(prompter.texts(), std::vector<std::string>{kInteger});
      QCOMPARE(prompter.asked()[0].caption, std::string("Warning"));
      QVERIFY(ins->hint()->isHidden());

      // The limits of every page and their order are the core's; the window saves once all
      // pass and hands the values over.
      prompter.Clear();
      ed.oralPage()->amount()->setText("2");
      ed.exercisePage()->hours()->setText("24");
      ed.OnSave();
      QCOMPARE(ed.tabs()->currentIndex(), int(kDetailExercise));
      ed.exercisePage()->hours()->setText("23");
      ed.foodPage()->field(2)->setText("2500");  // calories
      ed.OnSave();
      QCOMPARE(ed.result(), int(QDialog::Accepted));
      QVERIFY(prompter.asked().empty());
      const GlucoDetailRecord& d = ed.detail();
      QCOMPARE(d.insulinAmount, 60.0);
      QCOMPARE(d.oralAmount, 2.0);
      QCOMPARE(d.exerciseHour, 23);
      QCOMPARE(d.carlories, 2500);
      QCOMPARE(ed.slot(), 3);
    }
    {
      // Typing an amount chooses its kind; only that kind's amount is kept.
      CRecordDetail ed(Patient(), r, prompter);
      CRDInsulin* ins = ed.insulinPage();
      QTest::keyClicks(ins->amount(2), "12.5");
      QVERIFY(ins->kind(2)->isChecked());
      ed.OnSave();
      QCOMPARE(ed.detail().insulinType, 2);
      QCOMPARE(ed.detail().insulinAmount, 12.5);
    }
  }

  void glucosePageShowsAndStoresTheCircumstances() {
    ScriptedPrompter prompter;
    CPatientProfile p = Patient();
    p.healthRecord.glucoUnit = 0;
    p.timeUnit = false;
    p.mealEnable = true;
    GlucoReading r = Reading(4, 1, 100);
    r.detail.insulin = "Lente";  // no longer among the patient's insulins
    r.detail.insulinType = 0;
    r.detail.insulinAmount = 7.5;
    CRecordDetail ed(p, r, prompter);
    CRDGlucose* g = ed.glucosePage();
    QCOMPARE(g->value()->text(), QString("5.6"));
    QCOMPARE(g->unit()->text(), QString("mmol/L"));
    QCOMPARE(g->date()->text(), QString("03 / 04 / 2026"));
    QVERIFY(g->time()->text().startsWith("01:05"));  // 12-hour clock
    QCOMPARE(g->slotList()->currentText(), QString("After-Meal2"));
    QVERIFY(g->slotList()->isEnabled());
    QCOMPARE(ed.insulinPage()->nameList()->currentText(), QString("Lente"));
    QCOMPARE(ed.insulinPage()->amount(0)->text(), QString("7.5"));
    QCOMPARE(ed.oralPage()->nameList()->currentText(), QString("Please add....."));

    g->circumstance(0)->setChecked(true);  // illness
    g->circumstance(5)->setChecked(true);  // Food
    g->circumstance(9)->setChecked(true);  // Other
    QCOMPARE(g->circumstance(9)->text(), QString("Other"));
    g->foodOption()->setCurrentIndex(2);  // "Fasting"
    g->sampleKind()->setCurrentIndex(1);  // "Finger Tip"
    g->comment()->setText("felt unwell");
    ed.insulinPage()->nameList()->setCurrentIndex(1);  // Glargine
    ed.OnSave();
    QCOMPARE(ed.result(), int(QDialog::Accepted));
    const GlucoDetailRecord& d = ed.detail();
    QCOMPARE(d.commentOptions, 545);
    QCOMPARE(d.commentOptionsFood, 1);
    QCOMPARE(d.type, 0);
    QCOMPARE(d.comment, std::string("felt unwell"));
    QCOMPARE(d.insulin, std::string("Glargine"));
  }

  void cancelAsksOnlyAfterAChangeAndResetClearsOnePage() {
    ScriptedPrompter prompter;
    GlucoReading r = Reading(1, 0);
    r.detail.comment = "before";
    r.detail.carbs = 30;
    {
      CRecordDetail ed(Patient(), r, prompter);
      ed.show();
      ed.OnCancel();
      QVERIFY(prompter.asked().empty());
      QCOMPARE(ed.result(), int(QDialog::Rejected));
    }
    {
      CRecordDetail ed(Patient(), r, prompter);
      ed.show();
      ed.glucosePage()->comment()->setText("after");
      prompter.Push(PromptAnswer::No);
      ed.reject();  // Esc asks as Cancel does
      QCOMPARE(prompter.texts(), std::vector<std::string>{kLeaveEditor});
      QVERIFY(ed.isVisible());
      // Back to the opening text: nothing left to lose.
      ed.glucosePage()->comment()->setText("before");
      prompter.Clear();
      ed.OnCancel();
      QVERIFY(prompter.asked().empty());
      QVERIFY(!ed.isVisible());
    }
    {
      CRecordDetail ed(Patient(), r, prompter);
      ed.show();
      ed.tabs()->setCurrentIndex(kDetailFood);
      ed.OnReset();
      QCOMPARE(ed.foodPage()->field(0)->text(), QString("0"));
      QCOMPARE(ed.glucosePage()->comment()->text(), QString("before"));  // another page
      prompter.Push(PromptAnswer::Yes);
      ed.OnCancel();
      QCOMPARE(prompter.texts(), std::vector<std::string>{kLeaveEditor});
      QVERIFY(!ed.isVisible());
    }
  }

  void savedReadingKeepsItsSlotAfterwards() {
    ScriptedPrompter prompter;
    AppState state;
    state.current = Patient();
    state.readings.entries = {Reading(1, 1)};
    WhenEditorOpens([](CRecordDetail& ed) {
      QVERIFY(ed.glucosePage()->slotList()->isEnabled());
      ed.glucosePage()->slotList()->setCurrentIndex(2);  // Before-Lunch
      ed.OnSave();
    });
    QVERIFY(EditReadingDetails(nullptr, state, 0, prompter));
    const GlucoReading& r = state.readings.entries[0];
    QCOMPARE(r.slot, 3);
    QCOMPARE(r.mark, 2);
    QVERIFY(state.dataChanged);

    state.dataChanged = false;
    bool locked = false;
    WhenEditorOpens([&](CRecordDetail& ed) {
      locked = !ed.glucosePage()->slotList()->isEnabled();
      ed.OnSave();  // saved unchanged: nothing to store
    });
    QVERIFY(!EditReadingDetails(nullptr, state, 0, prompter));
    QVERIFY(locked);
    QVERIFY(!state.dataChanged);
    QVERIFY(!EditReadingDetails(nullptr, state, 7, prompter));  // no such reading
  }

  void editReachesTheDatabaseOnlyWithYes() {
    test::DataFolder folder;
    test::AddPatient("Ann Lee", "A1");
    {
      Database db = OpenPatientDatabase();
      QVERIFY(EnsureReadingsTable(db, "A1"));
      InsertReading(db, "A1", {2026, 3, 4, 7, 0}, 110, 256 + 1, 0);  // before breakfast, mark 1
      InsertReading(db, "A1", {2026, 3, 4, 12, 0}, 180, 4 * 256, 0);
    }
    ScriptedPrompter prompter;
    test::PageScript script;
    CMeridDemoXDlg w(prompter, {1280, 1024, 96}, script.Runner());
    w.Initialise();
    script.ThenReportOf("A1");
    w.OnHome();
    QCOMPARE(w.state().readings.count(), 2u);

    auto annotate = [&] {
      WhenEditorOpens([](CRecordDetail& ed) {
        ed.glucosePage()->comment()->setText("walk after breakfast");
        ed.foodPage()->field(0)->setText("40");
        ed.OnSave();
      });
      QVERIFY(EditReadingDetails(&w, w.state(), 0, prompter));
      QVERIFY(w.state().dataChanged);
    };
    auto stored = [] {
      Database db = OpenPatientDatabase();
      CPatientProfile p;
      p.IDNo = "A1";
      ReadingTable t;
      LoadReadings(db, p, t);
      return t;
    };

    annotate();
    prompter.Clear();
    prompter.Push(PromptAnswer::No);
    script.ThenReportOf("A1");
    w.OnHome();
    QCOMPARE(prompter.texts(), std::vector<std::string>{"Do you want to save data and leave this page?"});
    ReadingTable t = stored();
    QVERIFY(!t.entries[0].detail.IsNonEmpty());
    QCOMPARE(t.entries[0].mark, 1);
    QVERIFY(!w.state().readings.entries[0].detail.IsNonEmpty());  // reopened from the database

    annotate();
    prompter.Clear();
    prompter.Push(PromptAnswer::Yes);
    script.ThenReportOf("A1");
    w.OnHome();
    t = stored();
    QCOMPARE(t.entries[0].detail.carbs, 40);
    QCOMPARE(t.entries[0].mark, 2);
    QVERIFY(!t.entries[1].detail.IsNonEmpty());
    QCOMPARE(w.state().readings.entries[0].detail.comment, std::string("walk after breakfast"));
    bool locked = false;
    WhenEditorOpens([&](CRecordDetail& ed) {
      locked = !ed.glucosePage()->slotList()->isEnabled();
      ed.OnCancel();
    });
    QVERIFY(!EditReadingDetails(&w, w.state(), 0, prompter));
    QVERIFY(locked);
  }
};

MERIDANE_GUI_TEST(RecordDetailTest)

#include "record_detail_test.moc"
