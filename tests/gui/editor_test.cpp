// The profile editor: a tab kept on a failing rule with its message, the "To" labels
// following the starts, list moves into the staging copy, the regimen tab, and the "Add"
// dialog.
#include "gui/profile/ad_tabs.h"
#include "gui/profile/add_medications.h"
#include "gui/profile/advance.h"
#include "gui/widgets/dual_list.h"
#include "gui_fixture.h"
#include "profile/add_medicine.h"

using namespace meridane;

namespace {
const std::string kBlocks =
    "Time blocks setting error.\nPlease kindly modify your setting and save again.";

// The profile editor on `current` with its staging copy.
struct Editor {
  explicit Editor(CPatientProfile p = {}) : current(std::move(p)) {}
  CPatientProfile current;
  ProfileEditorState editor;
  ScriptedPrompter prompter;
  CAdvance ed{current, editor, false, false, prompter};
  // Moves to `tab`; true when the current tab let it go.
  bool Leave(int tab) {
    ed.tabs()->setCurrentIndex(tab);
    return ed.tabs()->currentIndex() == tab;
  }
};

// Moves the offered entries named `texts` to the chosen list.
void Choose(CDualList* lists, const QStringList& texts) {
  QListWidget* offered = lists->offeredList();
  offered->setSelectionMode(QAbstractItemView::MultiSelection);
  for (int i = 0; i < offered->count(); ++i)
    offered->item(i)->setSelected(texts.contains(offered->item(i)->text()));
  lists->MoveSelected(true);
}
}  // namespace

class EditorTest : public QObject {
  Q_OBJECT
 private slots:
  void scheduleRuleKeepsTheTab() {
    Editor e;
    auto& [current, editor, prompter, ed] = e;
    QVERIFY(editor.opened);
    CADSchedule* s = ed.schedule();
    // Each block's "To" label follows the next block's start (the label rule is the core's).
    s->clock24()->setChecked(true);
    s->nonMealNames()->setChecked(true);
    s->startEdit(false, 3)->setTime(QTime(11, 0));  // After Lunch equal to Before Lunch
    QCOMPARE(s->endLabel(false, 2)->text(), QString("10:59"));
    QVERIFY(!e.Leave(kTabMedications));
    QCOMPARE(prompter.texts(), Texts{kBlocks});

    s->startEdit(false, 3)->setTime(QTime(14, 0));
    s->startEdit(false, 6)->setTime(QTime(5, 0));  // Night before Before Breakfast
    // The non-working schedule counts only when switched on.
    s->startEdit(true, 0)->setTime(QTime(23, 30));
    QVERIFY(e.Leave(kTabMedications));
    ed.tabs()->setCurrentIndex(kTabSchedule);
    s->separateNonWorking()->setChecked(true);
    prompter.Clear();
    ed.accept();
    QCOMPARE(prompter.texts(), Texts{kBlocks});
    QVERIFY(ed.result() == 0 && editor.confirmed == 0u);
    s->startEdit(true, 0)->setTime(QTime(6, 0));
    ed.accept();
    QCOMPARE(ed.result(), int(QDialog::Accepted));
    QCOMPARE(editor.staging.working.start[6], (TimeOfDay{5, 0}));
    QVERIFY(editor.staging.workEnable && ed.timeUnit() && ed.mealEnable());
  }

  void regimenBoundsAndLists() {
    Editor e;
    auto& [current, editor, prompter, ed] = e;
    // Lente and Rapid chosen on the Medications tab become the regimen's dose types.
    Choose(ed.medications()->insulinList(), {"Lente", "Rapid"});
    ed.tabs()->setCurrentIndex(kTabRegimen);
    CADRegimen* reg = ed.regimen();
    reg->unitsEdit(7)->setText("251");
    QVERIFY(!e.Leave(kTabInquiry));
    QVERIFY(prompter.asked().empty());
    reg->list()->setCurrentRow(1);  // nor can another regimen be shown
    QCOMPARE(reg->list()->currentRow(), 0);
    reg->unitsEdit(7)->setText("250");
    reg->list()->setCurrentRow(2);
    reg->activeBox()->setChecked(true);  // the list's texts are the core's
    ed.tabs()->setCurrentIndex(kTabComplications);
    Choose(ed.complications()->lists(), {"Retinopathy"});
    ed.accept();
    const auto& st = editor.staging;
    QCOMPARE(std::tuple(st.medications.insulin, st.regimens.activeRegimen,
                        st.regimens.regimen[0].doses[7].units, st.complications.complications),
             std::tuple(18, 2, 250.0, 1 << 8));
  }

  void addMedicinesDialog() {
    test::DataFolder folder;
    test::AddPatient("Ann Lee", "A1");
    ScriptedPrompter prompter;
    CAddMedications dlg("A1", prompter);
    for (int i = 0; i < 2; ++i) {
      dlg.nameEdit()->setText("Sitagliptin");
      dlg.OnAdd(false);
    }
    QCOMPARE(prompter.texts(), Texts{"This medicine is already listed."});
    QCOMPARE(dlg.oralList()->count(), 1);
    QVERIFY(dlg.changed());
    const CPatientProfile p = test::StoredPatient("A1");
    QVERIFY(p.medicationEnable);
    QCOMPARE(p.medications.oralName[0], std::string("Sitagliptin"));
  }
};

MERIDANE_GUI_TEST(EditorTest)

#include "editor_test.moc"
