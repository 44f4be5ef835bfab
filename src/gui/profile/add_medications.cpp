#include "gui/profile/add_medications.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/main/gui_support.h"
#include "base/text_lookup.h"
#include "profile/add_medicine.h"
#include "profile/profile_rules.h"

namespace meridane {

CAddMedications::CAddMedications(const std::string& idNo, Prompter& prompter, QWidget* parent)
    : QDialog(parent), idNo_(idNo), prompter_(prompter) {
  setWindowTitle(Text("Label", "AddTitle", "Add"));
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(kMaxCustomMedicineName));
  oral_ = new QListWidget(this);
  insulin_ = new QListWidget(this);
  auto* addOral = new QPushButton(Text("Label", "AddOral", "Add Oral"), this);
  auto* addInsulin = new QPushButton(Text("Label", "AddInsulin", "Add Insulin"), this);
  auto* close = new QPushButton(Text("Label", "Close", "Close"), this);
  for (QPushButton* b : {addOral, addInsulin, close}) b->setAutoDefault(false);
  auto* g = new QGridLayout(this);
  g->addWidget(new QLabel(Text("Label", "OralMedicine", "Oral Medicine"), this), 0, 0);
  g->addWidget(new QLabel(Text("Label", "Insulin", "Insulin"), this), 0, 1);
  g->addWidget(oral_, 1, 0);
  g->addWidget(insulin_, 1, 1);
  g->addWidget(new QLabel(Text("Label", "Name", "Name :"), this), 2, 0, 1, 2);
  g->addWidget(name_, 3, 0, 1, 2);
  g->addWidget(addOral, 4, 0);
  g->addWidget(addInsulin, 4, 1);
  g->addWidget(close, 5, 1);
  connect(addOral, &QPushButton::clicked, this, [this] { OnAdd(false); });
  connect(addInsulin, &QPushButton::clicked, this, [this] { OnAdd(true); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Reload();
}

void CAddMedications::Reload() {
  oral_->clear();
  insulin_->clear();
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return;
  Medications m = ReadMedications(*db, idNo_);
  std::vector<ListEntry> offered, chosen;
  SplitMedicines(m, false, offered, chosen);
  for (const auto& e : chosen) oral_->addItem(QString::fromStdString(e.text));
  SplitMedicines(m, true, offered, chosen);
  for (const auto& e : chosen) insulin_->addItem(QString::fromStdString(e.text));
}

void CAddMedications::OnAdd(bool insulin) {
  const std::string name = name_->text().trimmed().toStdString();
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return;
  const std::string caption = WarningCaption();
  switch (AddCustomMedicine(*db, idNo_, insulin, name)) {
    case AddMedicineResult::Added:
      changed_ = true;
      name_->clear();
      break;
    case AddMedicineResult::AlreadyListed:
      prompter_.Message(LookupText("AddMedMsg", "Listed", "This medicine is already listed."),
                        caption);
      break;
    case AddMedicineResult::NoFreeSlot:
      prompter_.Message(
          LookupText("AddMedMsg", "Full", "Four custom medicines are already listed."), caption);
      break;
    case AddMedicineResult::InvalidName:
      prompter_.Message(LookupText("AddMedMsg", "Name", "Please enter a medicine name."), caption);
      break;
    case AddMedicineResult::Failed:
      prompter_.Message(LookupText("AddMedMsg", "Failed", "The medicine could not be saved."),
                        caption);
      break;
  }
  db.reset();
  Reload();
}

}  // namespace meridane
