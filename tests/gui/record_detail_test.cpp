// The record detail editor: the checks keep the failing page, the oral message, Cancel's
// question, Reset, the slot list locked after a save, and an edit that reaches the database
// only when the user agrees on leaving the page.
#include "gui/reports/record_detail.h"
#include "gui/reports/rd_pages.h"
#include "gui_fixture.h"

using namespace meridane;

namespace {

const std::string kLeaveEditor = "Do you want to leave without saving the change?";

GlucoReading Reading(int slot, int mark, int gluco = 142) {
  GlucoReading r = test::Reading({2026, 3, 4, 13, 5}, gluco, slot, mark);
  r.idx = 5;
  return r;
}

CPatientProfile Patient() {
  CPatientProfile p;
  p.IDNo = "A1";
  p.medications.insulin = 1 | 16;  // Glargine, Rapid
  return p;
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
      QVERIFY(!ins->hint()->isHidden() && ins->hint()->text().contains("60"));

      ins->amount(1)->setText("60");
      ed.OnSave();
      QCOMPARE(ed.tabs()->currentIndex(), int(kDetailOral));
      QCOMPARE(prompter.texts(), Texts{"Please enter an integer."});
      QVERIFY(ins->hint()->isHidden());

      // The limits of every page and their order are the core's; the window saves once all
      // pass and hands the values over.
      ed.oralPage()->amount()->setText("2");
      ed.exercisePage()->hours()->setText("23");
      ed.foodPage()->field(2)->setText("2500");  // calories
      ed.OnSave();
      QCOMPARE(ed.result(), int(QDialog::Accepted));
      const GlucoDetailRecord& d = ed.detail();
      QCOMPARE(std::tuple(d.insulinAmount, d.oralAmount, d.exerciseHour, d.carlories, ed.slot()),
               std::tuple(60.0, 2.0, 23, 2500, 3));
    }
    {
      // Typing an amount chooses its kind; only that kind's amount is kept.
      CRecordDetail ed(Patient(), r, prompter);
      CRDInsulin* ins = ed.insulinPage();
      QTest::keyClicks(ins->amount(2), "12.5");
      QVERIFY(ins->kind(2)->isChecked());
      ed.OnSave();
      QCOMPARE(std::pair(ed.detail().insulinType, ed.detail().insulinAmount), std::pair(2, 12.5));
    }
  }

  void cancelAsksOnlyAfterAChangeAndResetClearsOnePage() {
    ScriptedPrompter prompter;
    GlucoReading r = Reading(1, 0);
    r.detail.comment = "before";
    r.detail.carbs = 30;
    {
      CRecordDetail ed(Patient(), r, prompter);
      ed.show();
      ed.glucosePage()->comment()->setText("after");
      prompter.Push(PromptAnswer::No);
      ed.reject();  // Esc asks as Cancel does
      QCOMPARE(prompter.texts(), Texts{kLeaveEditor});
      QVERIFY(ed.isVisible());
      // Back to the opening text (or never changed): nothing left to lose.
      ed.glucosePage()->comment()->setText("before");
      prompter.Clear();
      ed.OnCancel();
      QVERIFY(prompter.asked().empty());
      QVERIFY(!ed.isVisible() && ed.result() == QDialog::Rejected);
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
      QCOMPARE(prompter.texts(), Texts{kLeaveEditor});
      QVERIFY(!ed.isVisible());
    }
  }

  void editReachesTheDatabaseOnlyWithYes() {
    test::MainWindow t;
    test::AddPatient("Ann Lee", "A1");
    {
      Database db = OpenPatientDatabase();
      QVERIFY(EnsureReadingsTable(db, "A1"));
      InsertReading(db, "A1", {2026, 3, 4, 7, 0}, 110, 256 + 1, 0);  // before breakfast, mark 1
      InsertReading(db, "A1", {2026, 3, 4, 12, 0}, 180, 4 * 256, 0);
    }
    t.script.ThenReportOf("A1");
    t.w.OnHome();
    QCOMPARE(t.w.state().readings.count(), 2u);
    // No leaves the book as it was and reopens the patient from it; Yes stores the edit.
    for (bool yes : {false, true}) {
      test::WhenShown<CRecordDetail>([](CRecordDetail& ed) {
        QVERIFY(ed.glucosePage()->slotList()->isEnabled());
        ed.glucosePage()->slotList()->setCurrentIndex(2);  // Before-Lunch
        ed.glucosePage()->comment()->setText("walk after breakfast");
        ed.foodPage()->field(0)->setText("40");
        ed.OnSave();
      });
      QVERIFY(EditReadingDetails(&t.w, t.w.state(), 0, t.prompter));
      QVERIFY(t.w.state().dataChanged);
      t.prompter.Clear();
      t.prompter.Push(yes ? PromptAnswer::Yes : PromptAnswer::No);
      t.script.ThenReportOf("A1");
      t.w.OnHome();
      QCOMPARE(t.prompter.texts(), Texts{"Do you want to save data and leave this page?"});
      const std::vector<GlucoReading> book = test::StoredReadings("A1");
      QCOMPARE(book[0].detail.carbs, yes ? 40 : 0);
      QCOMPARE(std::pair(book[0].slot, book[0].mark), yes ? std::pair(3, 2) : std::pair(1, 1));
      QVERIFY(!book[1].detail.IsNonEmpty());
      QCOMPARE(t.w.state().readings.entries[0].detail.comment,
               std::string(yes ? "walk after breakfast" : ""));
    }
    // A saved reading keeps its slot; saved unchanged, nothing is stored.
    bool locked = false;
    test::WhenShown<CRecordDetail>([&](CRecordDetail& ed) {
      locked = !ed.glucosePage()->slotList()->isEnabled();
      ed.OnSave();
    });
    QVERIFY(!EditReadingDetails(&t.w, t.w.state(), 0, t.prompter));
    QVERIFY(locked && !t.w.state().dataChanged);
    QVERIFY(!EditReadingDetails(&t.w, t.w.state(), 7, t.prompter));  // no such reading
  }
};

MERIDANE_GUI_TEST(RecordDetailTest)

#include "record_detail_test.moc"
