// The Medications and Complications tabs: both move entries between two lists.
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "gui/profile/ad_tabs.h"
#include "gui/widgets/dual_list.h"

namespace meridane {

namespace {

std::vector<DualListItem> ToItems(const std::vector<ListEntry>& entries) {
  std::vector<DualListItem> out;
  for (const auto& e : entries) {
    // The built-in names and the custom placeholders come from the store in English; a
    // translated one must go back as it came, or it would be saved as a custom name.
    const QString shown = QString::fromStdString(ListEntryCaption(e.text));
    const QString stored = QString::fromStdString(e.text);
    out.push_back({e.index, shown, e.custom, shown == stored ? QString() : stored});
  }
  return out;
}

std::vector<ListEntry> ToEntries(const std::vector<DualListItem>& items) {
  std::vector<ListEntry> out;
  for (const auto& i : items) out.push_back({i.index, i.StoredText().toStdString(), i.renamable});
  return out;
}

void Split(CDualList* list, const std::vector<ListEntry>& offered,
           const std::vector<ListEntry>& chosen) {
  list->SetItems(ToItems(offered), ToItems(chosen));
}

}  // namespace

CADMedications::CADMedications(QWidget* parent) : QWidget(parent) {
  const QString offered = Text("Label", "Available", "Available :");
  const QString chosen = Text("Label", "PatientUses", "Patient uses :");
  insulin_ = new CDualList(offered, chosen, this);
  oral_ = new CDualList(offered, chosen, this);
  for (CDualList* l : {insulin_, oral_}) l->SetMaxNameLength(kMaxCustomMedicineName);
  auto* inner = new QTabWidget(this);
  inner->addTab(insulin_, Text("Label", "Insulin", "Insulin"));
  inner->addTab(oral_, Text("Label", "OralMedicine", "Oral Medicine"));
  pump_ = new QCheckBox(Text("Label", "InsulinPump", "Insulin Pump"), this);
  diet_ = new QCheckBox(Text("Label", "DietExercise", "Diet and Exercise"), this);
  auto* flags = new QHBoxLayout;
  flags->addWidget(pump_);
  flags->addWidget(diet_);
  flags->addStretch();
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(inner);
  auto* hint = new QLabel(
      Text("Label", "RenameHint", "Double-click a custom entry in the patient's list to name it."),
      this);
  hint->setWordWrap(true);
  lay->addWidget(hint);
  lay->addLayout(flags);
}

void CADMedications::Load(const Medications& m) {
  std::vector<ListEntry> offered, chosen;
  SplitMedicines(m, true, offered, chosen);
  Split(insulin_, offered, chosen);
  SplitMedicines(m, false, offered, chosen);
  Split(oral_, offered, chosen);
  pump_->setChecked(m.insulinPump);
  diet_->setChecked(m.dietExercise);
}

void CADMedications::Store(Medications& m) const {
  SetChosenMedicines(ToEntries(insulin_->Chosen()), true, m);
  SetChosenMedicines(ToEntries(oral_->Chosen()), false, m);
  m.insulinPump = pump_->isChecked();
  m.dietExercise = diet_->isChecked();
}

CADComplications::CADComplications(QWidget* parent) : QWidget(parent) {
  list_ = new CDualList(Text("Label", "Available", "Available :"),
                        Text("Label", "PatientHas", "Patient has :"), this);
  list_->SetMaxNameLength(kMaxComplicationOther);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(list_);
  auto* hint = new QLabel(
      Text("Label", "CustomHint", "Double-click \"Custom\" in the patient's list to name it."),
      this);
  hint->setWordWrap(true);
  lay->addWidget(hint);
}

void CADComplications::Load(const Complications& c) {
  std::vector<ListEntry> offered, chosen;
  SplitComplications(c, offered, chosen);
  Split(list_, offered, chosen);
}

void CADComplications::Store(Complications& c) const {
  SetChosenComplications(ToEntries(list_->Chosen()), c);
}

}  // namespace meridane
