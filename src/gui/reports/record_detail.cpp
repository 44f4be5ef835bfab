#include "gui/reports/record_detail.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "base/text_lookup.h"
#include "profile/profile_rules.h"
#include "gui/reports/rd_pages.h"

namespace meridane {

CRecordDetail::CRecordDetail(const CPatientProfile& patient, const GlucoReading& reading,
                             Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), detail_(reading.detail), slot_(reading.slot) {
  setWindowTitle(Text("Label", "RecordDetail", "Record Detail"));
  tabs_ = new QTabWidget(this);
  // Every tab stays in sight, however long its title: the dialog grows instead.
  tabs_->setUsesScrollButtons(false);
  glucose_ = new CRDGlucose(patient, reading, this);
  insulin_ = new CRDInsulin(ChosenMedicineNames(patient.medications, true), this);
  oral_ = new CRDOral(ChosenMedicineNames(patient.medications, false), this);
  exercise_ = new CRDExercise(this);
  food_ = new CRDFood(this);
  pages_ = {glucose_, insulin_, oral_, exercise_, food_};
  for (int i = 0; i < kDetailPageCount; ++i) {
    pages_[i]->Load(reading.detail);
    tabs_->addTab(pages_[i], Text(kDetailPageTitles[i]));
  }

  auto makeButton = [this](const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    return b;
  };
  save_ = makeButton(Text("Label", "Save", "Save"));
  cancel_ = makeButton(Text("Label", "Cancel", "Cancel"));
  reset_ = makeButton(Text("Label", "Reset", "Reset"));
  help_ = makeButton(Text("Label", "Help", "Help"));
  connect(save_, &QPushButton::clicked, this, &CRecordDetail::OnSave);
  connect(cancel_, &QPushButton::clicked, this, &CRecordDetail::OnCancel);
  connect(reset_, &QPushButton::clicked, this, &CRecordDetail::OnReset);
  connect(help_, &QPushButton::clicked, this, &CRecordDetail::OnHelp);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {save_, cancel_, reset_, help_}) buttons->addWidget(b);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(tabs_);
  lay->addLayout(buttons);
  resize(600, 500);
  opened_ = Snapshot();
}

QStringList CRecordDetail::Snapshot() const {
  QStringList out;
  for (CRDPage* p : pages_) {
    for (const QLineEdit* e : p->findChildren<QLineEdit*>())
      if (!e->isReadOnly()) out << e->text();
    for (const QComboBox* c : p->findChildren<QComboBox*>())
      out << QString::number(c->currentIndex());
    for (const QAbstractButton* b : p->findChildren<QAbstractButton*>())
      if (b->isCheckable()) out << QString::number(b->isChecked());
  }
  return out;
}

void CRecordDetail::OnSave() {
  DetailEntries entries;
  for (CRDPage* p : pages_) {
    p->Entries(entries);
    p->ShowHint({});
  }
  if (const auto failure = ValidateDetailEntries(entries)) {
    tabs_->setCurrentIndex(failure->page);
    CRDPage* page = pages_[failure->page];
    if (!failure->message.empty()) {
      prompter_.Message(failure->message, WarningCaption());
    } else {
      const QString max = QString::fromStdString(DetailNumberText(failure->max));
      page->ShowHint(failure->wholeNumber
                         ? Text("RecordDetail", "WholeRange",
                                "Please enter a whole number from 0 to %1.").arg(max)
                         : Text("RecordDetail", "Range", "Please enter a number from 0 to %1.")
                               .arg(max));
    }
    if (QLineEdit* field = page->FieldOf(failure->column)) {
      field->setFocus();
      field->selectAll();
    }
    return;
  }
  GlucoDetailRecord next = detail_;
  for (CRDPage* p : pages_) p->Store(next);
  // A code no list holds (a record damaged elsewhere) is never saved as if it were chosen.
  if (const auto field = CodeOutsideList(next)) {
    prompter_.Message(Text("RecordDetail", "CodeOutsideListField",
                           "The detail record was not saved: this field is not one of its "
                           "choices: %1")
                          .arg(QString::fromStdString(*field))
                          .toStdString(),
                      WarningCaption());
    return;
  }
  detail_ = next;
  slot_ = glucose_->slot();
  accept();
}

void CRecordDetail::OnCancel() {
  if (Snapshot() != opened_ &&
      !prompter_.Confirm(LookupText("RecordDetail", "Leave",
                                    "Do you want to leave without saving the change?"),
                         PromptButtons::YesNo, WarningCaption()))
    return;
  QDialog::reject();
}

void CRecordDetail::OnReset() {
  CRDPage* page = pages_[tabs_->currentIndex()];
  page->Reset();
  page->ShowHint({});
}

void CRecordDetail::OnHelp() { OpenUserGuide(prompter_); }

bool EditReadingDetails(QWidget* parent, AppState& state, std::size_t readingIndex,
                        Prompter& prompter) {
  if (readingIndex >= state.readings.count()) return false;
  GlucoReading& reading = state.readings.entries[readingIndex];
  CRecordDetail editor(state.current, reading, prompter, parent);
  if (editor.exec() != QDialog::Accepted) return false;
  const GlucoReading before = reading;
  // The slot list is disabled once the mark is 2, so the slot is never refused here.
  ApplyReadingDetails(reading, state.current.IDNo, editor.detail(), editor.slot());
  GlucoDetailRecord was = before.detail;
  was.IDNo = reading.detail.IDNo;  // the record's key is not a change of the user's
  was.idx = reading.detail.idx;
  const bool changed =
      was != reading.detail || before.slot != reading.slot || before.mark != reading.mark;
  if (changed) state.dataChanged = true;
  return changed;
}

}  // namespace meridane
