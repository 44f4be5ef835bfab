// The patient form: its messages and questions in add and edit mode, silent close without
// change, delete emptying the completion list, and the profile editor's staging copy.
#include "gui/profile/ad_tabs.h"
#include "gui/profile/advance.h"
#include "gui_fixture.h"

using namespace meridane;

class FormTest : public QObject {
  Q_OBJECT
 private slots:
  void addModeMessagesAndQuestion() {
    test::PageKit kit;
    auto& [folder, state, prompter, script] = kit;
    test::AddPatient("Ann Lee", "A1");
    CAddEdit form(false, state, prompter, script.Runner());
    QSignalSpy finished(&form, &QDialog::finished);

    // The form's rules and messages are the store's (tests/store); a refusal keeps it open.
    test::FillForm(form, "Bo", "A1");
    form.OnSave();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(prompter.texts(), Texts{"The ID exists."});

    // A three-digit entry only; "7" is asked about and stored as 007.
    form.fields().medicalNo->clear();
    QTest::keyClicks(form.fields().medicalNo, "7x129");
    QCOMPARE(form.fields().medicalNo->text(), QString("712"));
    test::FillForm(form, "Bo", "B1", "7");
    form.fields().address->setText("1 O'Brien Street");
    form.fields().female->setChecked(true);
    prompter.Clear();
    form.OnSave();
    QCOMPARE(prompter.texts(), Texts{"Are you sure to save a new patient Bo(007)?"});
    QCOMPARE(finished.count(), 1);
    QVERIFY(form.result() == QDialog::Accepted && state.dataChanged);
    const CPatientProfile p = test::StoredPatient("B1");
    QCOMPARE(std::pair(p.address, p.gender), std::pair(std::string("1 O'Brien Street"), 1));

    // Answering No closes the form without writing.
    CAddEdit again(false, state, prompter, script.Runner());
    QSignalSpy againDone(&again, &QDialog::finished);
    test::FillForm(again, "Cy", "C1");
    prompter.Clear();
    prompter.Push(PromptAnswer::No);
    again.OnSave();
    QCOMPARE(prompter.texts(), Texts{"Are you sure to save a new patient Cy(---)?"});
    QVERIFY(againDone.count() == 1 && again.result() == QDialog::Rejected);
    QVERIFY(test::StoredPatient("C1").fullName.empty());
  }

  void deleteEmptiesTheCompletionList() {
    test::PageKit kit;
    auto& [folder, state, prompter, script] = kit;
    test::AddPatient("Ann Lee", "A1");
    CPatientMain page(kIndividual, state, prompter, script.Runner(), {1280, 1024, 96});
    QSignalSpy finished(&page, &QDialog::finished);
    bool wasAddAfterDelete = false;
    script.Then([&](QDialog& d) {
      auto& form = static_cast<CAddEdit&>(d);
      form.OnDelete();
      wasAddAfterDelete = form.windowTitle() == "Add" && form.fields().fullName->text().isEmpty();
      return form.result();
    });
    page.idEntry()->setText("A1");
    page.OnAddEdit();
    QCOMPARE(prompter.texts(), Texts{"Do you wanna to delete A1 from the PC?"});
    QVERIFY(wasAddAfterDelete && finished.count() == 0);
    QVERIFY(page.idEntry()->Ids().isEmpty() && state.current.IDNo.empty());
    QVERIFY(test::StoredPatient("A1").fullName.empty());
  }

  // Once the whole ID is typed the completion list closes, so the next click reaches the
  // button it is aimed at.
  void completionListClosesOnAWholeId() {
    test::PageKit kit;
    auto& [folder, state, prompter, script] = kit;
    for (const char* id : {"A1", "A10"}) test::AddPatient(id, id);
    CPatientMain page(kIndividual, state, prompter, script.Runner(), {1280, 1024, 96});
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.idEntry()->setFocus();
    const QWidget* list = page.idEntry()->completer()->popup();
    for (auto [typed, open] : {std::pair("a", true), {"1", true}, {"0", false}}) {
      QTest::keyClicks(page.idEntry(), typed);
      QCOMPARE(list->isVisible(), open);
    }
  }

  void editorStagingAndEditModeQuestions() {
    test::PageKit kit;
    auto& [folder, state, prompter, script] = kit;
    CAddEdit form(false, state, prompter, script.Runner());
    test::FillForm(form, "Di", "D1");
    // First visit: a target range and 24-hour clock, confirmed with OK.
    script.Then([](QDialog& d) {
      auto& ed = static_cast<CAdvance&>(d);
      ed.healthRecord()->entry(HealthEntry::PreMealLow)->setText("80");
      ed.healthRecord()->entry(HealthEntry::PreMealHigh)->setText("140");
      ed.schedule()->clock24()->setChecked(true);
      ed.accept();
      return ed.result();
    });
    // Second visit shows the first one's work and is cancelled.
    QString seenLow;
    script.Then([&](QDialog& d) {
      auto& ed = static_cast<CAdvance&>(d);
      seenLow = ed.healthRecord()->entry(HealthEntry::PreMealLow)->text();
      ed.reject();
      return ed.result();
    });
    form.OnAdvance();
    form.OnAdvance();
    QCOMPARE(seenLow, QString("80"));
    QVERIFY(form.timeUnit());
    form.OnSave();
    CPatientProfile p = test::StoredPatient("D1");
    QVERIFY(p.healthRecordEnable && p.timeUnit);
    QCOMPARE(p.healthRecord.preMealLow, 80.0);

    // Edit mode: without a change the form closes without a word.
    state.current = p;
    state.dataChanged = false;
    prompter.Clear();
    {
      CAddEdit same(true, state, prompter, script.Runner());
      QSignalSpy closed(&same, &QDialog::finished);
      QVERIFY(!same.fields().idNo->isEnabled());  // the ID names the readings' table
      same.OnSave();
      QVERIFY(prompter.asked().empty() && closed.count() == 1 && !state.dataChanged);
    }
    // An editor opened and cancelled leaves the stored sections alone; the change is asked about.
    CAddEdit edit(true, state, prompter, script.Runner());
    script.Then([](QDialog& d) {
      static_cast<CAdvance&>(d).reject();
      return int(QDialog::Rejected);
    });
    edit.OnAdvance();
    edit.fields().phone->setText("1234");
    edit.OnSave();
    QCOMPARE(prompter.texts(), Texts{"Di(---) data is changed, Do you want to save it?"});
    QVERIFY(state.dataChanged);
    p = test::StoredPatient("D1");
    QCOMPARE(std::pair(p.phone, p.healthRecord.preMealHigh), std::pair(std::string("1234"), 140.0));
  }
};

MERIDANE_GUI_TEST(FormTest)

#include "form_test.moc"
