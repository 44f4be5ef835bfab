#include "gui/patients/add_edit.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "gui/profile/advance.h"
#include "reports/summary.h"
#include "gui/widgets/id_entry.h"

namespace meridane {

namespace {

QLineEdit* Entry(int maxLength, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setMaxLength(maxLength);
  return e;
}

}  // namespace

CAddEdit::CAddEdit(bool editMode, AppState& state, Prompter& prompter, PageRunner runner,
                   QWidget* parent)
    : QDialog(parent),
      editMode_(editMode),
      state_(state),
      prompter_(prompter),
      runner_(std::move(runner)) {
  // A fresh staging copy for this form; nothing confirmed yet.
  state_.editor = ProfileEditorState{};
  state_.editMode = editMode;

  f_.fullName = Entry(30, this);
  f_.male = new QRadioButton(Text("Label", "Male", "Male"), this);
  f_.female = new QRadioButton(Text("Label", "Female", "Female"), this);
  f_.birth = new QDateEdit(this);
  f_.birth->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
  f_.birth->setCalendarPopup(true);
  f_.birth->setMinimumDate(QDate(1900, 1, 1));
  f_.age = new QLineEdit(this);
  f_.age->setReadOnly(true);
  f_.age->setMaximumWidth(60);
  f_.idNo = new CIdEntry(this);
  f_.medicalNo = Entry(3, this);
  f_.medicalNo->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
  f_.phone = Entry(12, this);
  f_.address = Entry(100, this);
  f_.email = Entry(40, this);
  f_.meterSN = Entry(11, this);

  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight);
  form->addRow(Text("Label", "FullName", "Full Name* :"), f_.fullName);
  auto* gender = new QHBoxLayout;
  gender->addWidget(f_.male);
  gender->addWidget(f_.female);
  gender->addStretch();
  form->addRow(Text("Label", "Gender", "Gender :"), gender);
  auto* birth = new QHBoxLayout;
  birth->addWidget(f_.birth);
  birth->addSpacing(16);
  birth->addWidget(new QLabel(Text("Label", "Age", "Age : "), this));
  birth->addWidget(f_.age);
  birth->addWidget(new QLabel(Text("Label", "YearsOld", "years old"), this));
  birth->addStretch();
  form->addRow(Text("Label", "Birth", "Date of birth :"), birth);
  form->addRow(Text("Label", "IDNoStar", "ID No.* :"), f_.idNo);
  form->addRow(Text("Label", "MedicalNo", "Medical Record No. :"), f_.medicalNo);
  form->addRow(Text("Label", "Phone", "Phone No :"), f_.phone);
  form->addRow(Text("Label", "Address", "Address :"), f_.address);
  form->addRow(Text("Label", "Email", "E-mail :"), f_.email);
  form->addRow(Text("Label", "MeterSN", "Meter Serial No. :"), f_.meterSN);

  auto button = [&](const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    return b;
  };
  f_.advance = button(Text("Label", "Advance", "Advance"));
  f_.save = button(Text("Label", "Save", "Save"));
  f_.cancel = button(Text("Label", "Cancel", "Cancel"));
  f_.remove = button(Text("Label", "Delete", "Delete"));
  f_.help = button(Text("Label", "HELP", "HELP"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(f_.advance);
  buttons->addStretch();
  for (QPushButton* b : {f_.save, f_.cancel, f_.remove, f_.help}) buttons->addWidget(b);

  auto* lay = new QVBoxLayout(this);
  lay->addLayout(form);
  lay->addSpacing(8);
  lay->addLayout(buttons);
  setMinimumWidth(560);

  connect(f_.advance, &QPushButton::clicked, this, &CAddEdit::OnAdvance);
  connect(f_.save, &QPushButton::clicked, this, &CAddEdit::OnSave);
  connect(f_.cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(f_.remove, &QPushButton::clicked, this, &CAddEdit::OnDelete);
  connect(f_.help, &QPushButton::clicked, this, &CAddEdit::OnHelp);
  connect(f_.birth, &QDateEdit::dateChanged, this, [this] { UpdateAge(); });

  RefreshIds();
  if (editMode_) {
    FillFrom(state_.current);
  } else {
    FillFrom(CPatientProfile());
  }
  ShowMode();
}

void CAddEdit::ShowMode() {
  setWindowTitle(editMode_ ? Text("Label", "Edit", "Edit") : Text("Label", "Add", "Add"));
  f_.idNo->setEnabled(!editMode_);
  f_.remove->setVisible(editMode_);
}

void CAddEdit::FillFrom(const CPatientProfile& p) {
  f_.fullName->setText(QString::fromStdString(p.fullName));
  (p.gender == 1 ? f_.female : f_.male)->setChecked(true);
  f_.birth->setDate(ToQDate(p.birth));
  f_.idNo->setText(QString::fromStdString(p.IDNo));
  f_.medicalNo->setText(QString::fromStdString(p.medicalNo));
  f_.phone->setText(QString::fromStdString(p.phone));
  f_.address->setText(QString::fromStdString(p.address));
  f_.email->setText(QString::fromStdString(p.email));
  f_.meterSN->setText(QString::fromStdString(p.meterSN));
  timeUnit_ = p.timeUnit;
  mealEnable_ = p.mealEnable;
  UpdateAge();
}

void CAddEdit::UpdateAge() {
  const int years = AgeOn(FromQDate(f_.birth->date()), FromQDate(QDate::currentDate()));
  f_.age->setText(QString::number(std::max(0, years)));
}

void CAddEdit::RefreshIds() {
  QStringList ids;
  if (auto db = OpenDatabaseOrTell(prompter_))
    for (const auto& id : ListPatientIds(*db)) ids << QString::fromStdString(id);
  f_.idNo->SetIds(ids);
}

PatientFormValues CAddEdit::Values() const {
  PatientFormValues v;
  v.fullName = f_.fullName->text().toStdString();
  v.IDNo = f_.idNo->text().toStdString();
  v.medicalNo = f_.medicalNo->text().toStdString();
  v.birth = FromQDate(f_.birth->date());
  v.phone = f_.phone->text().toStdString();
  v.address = f_.address->text().toStdString();
  v.gender = f_.female->isChecked() ? 1 : 0;
  v.email = f_.email->text().toStdString();
  v.meterSN = f_.meterSN->text().toStdString();
  v.timeUnit = timeUnit_;
  v.mealEnable = mealEnable_;
  return v;
}

void CAddEdit::OnAdvance() {
  CAdvance editor(state_.current, state_.editor, timeUnit_, mealEnable_, prompter_, this);
  if (runner_(editor) == QDialog::Accepted) {
    timeUnit_ = editor.timeUnit();
    mealEnable_ = editor.mealEnable();
  }
}

void CAddEdit::OnSave() {
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return;
  switch (SavePatientForm(*db, prompter_, Values(), editMode_, state_.editor, state_.current)) {
    case FormSaveOutcome::Refused:
    case FormSaveOutcome::Failed:  // the entries stay for another try
      return;
    case FormSaveOutcome::Declined:
      reject();
      return;
    case FormSaveOutcome::Unchanged:
      accept();
      return;
    case FormSaveOutcome::Saved:
      state_.dataChanged = true;
      accept();
      return;
    case FormSaveOutcome::ChangedElsewhere:
      // Another desk's save is what the form shows now; the editor starts again from it.
      state_.editor = ProfileEditorState{};
      FillFrom(state_.current);
      return;
    case FormSaveOutcome::Deleted:
      ForgetDeletedPatient();
      return;
  }
}

void CAddEdit::ForgetDeletedPatient() {
  state_.current.Clear();
  state_.readings.Clear();
  state_.editMode = editMode_ = false;
  state_.editor = ProfileEditorState{};
  FillFrom(CPatientProfile());
  ShowMode();
  RefreshIds();
  reject();
}

void CAddEdit::OnDelete() {
  if (!editMode_ || state_.current.IDNo.empty()) return;
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db || !DeletePatient(*db, prompter_, state_.current)) return;
  db.reset();
  ForgetDeletedPatient();
}

void CAddEdit::OnHelp() { OpenUserGuide(prompter_); }

}  // namespace meridane
