#include "gui/profile/advance.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "gui/profile/ad_tabs.h"

namespace meridane {

namespace {
constexpr unsigned kEditorSections = kSectionWorking | kSectionNonWorking | kSectionMedications |
                                  kSectionRegimens | kSectionComplications |
                                  kSectionHealthRecord | kSectionInquiry;
}

CAdvance::CAdvance(const CPatientProfile& current, ProfileEditorState& editor, bool timeUnit,
                   bool mealEnable, Prompter& prompter, QWidget* parent)
    : QDialog(parent), editor_(editor), prompter_(prompter) {
  setWindowTitle(Text("Label", "AdvanceTitle", "Advance"));
  if (editor_.confirmed == 0) {
    editor_.staging.Clear();
    editor_.staging.IDNo = current.IDNo;
  }
  editor_.opened = true;
  auto from = [&](SectionBit s) -> const CPatientProfile& {
    return (editor_.confirmed & s) ? editor_.staging : current;
  };

  tabs_ = new QTabWidget(this);
  // Every tab stays in sight, however long its title: the dialog grows instead.
  tabs_->setUsesScrollButtons(false);
  schedule_ = new CADSchedule(this);
  medications_ = new CADMedications(this);
  regimen_ = new CADRegimen(this);
  complications_ = new CADComplications(this);
  health_ = new CADHealthRecord(this);
  inquiry_ = new CADInquiry(this);
  tabs_->addTab(schedule_, Text("Label", "Schedule", "Schedule"));
  tabs_->addTab(medications_, Text("Label", "Medications", "Medications"));
  tabs_->addTab(regimen_, Text("Label", "Regimen", "Regimen"));
  tabs_->addTab(complications_, Text("Label", "Complications", "Complications"));
  tabs_->addTab(health_, Text("Label", "HealthRecord", "Health Record"));
  tabs_->addTab(inquiry_, Text("Label", "Inquiry", "Inquiry"));

  // The schedule tab edits both schedules and the non-working switch together.
  CPatientProfile sched = from(kSectionWorking);
  if (editor_.confirmed & kSectionNonWorking) {
    sched.nonWorking = editor_.staging.nonWorking;
    sched.workEnable = editor_.staging.workEnable;
  }
  schedule_->Load(sched, timeUnit, mealEnable);
  medications_->Load(from(kSectionMedications).medications);
  regimen_->SetInsulinNames(ChosenInsulinNames(from(kSectionMedications).medications));
  regimen_->Load(from(kSectionRegimens).regimens);
  complications_->Load(from(kSectionComplications).complications);
  health_->Load(from(kSectionHealthRecord).healthRecord);
  inquiry_->Load(from(kSectionInquiry).inquiry);

  auto* box = new QDialogButtonBox(this);
  box->addButton(Text("Label", "OK", "OK"), QDialogButtonBox::AcceptRole);
  box->addButton(Text("Label", "Cancel", "Cancel"), QDialogButtonBox::RejectRole);
  QPushButton* help = box->addButton(Text("Label", "Help", "Help"), QDialogButtonBox::HelpRole);
  for (QAbstractButton* b : box->buttons())
    if (auto* pb = qobject_cast<QPushButton*>(b)) pb->setAutoDefault(false);
  connect(box, &QDialogButtonBox::accepted, this, &CAdvance::accept);
  connect(box, &QDialogButtonBox::rejected, this, &CAdvance::reject);
  connect(help, &QPushButton::clicked, this, &CAdvance::OnHelp);
  connect(tabs_, &QTabWidget::currentChanged, this, &CAdvance::OnTabChanged);

  auto* lay = new QVBoxLayout(this);
  lay->addWidget(tabs_);
  lay->addWidget(box);
  resize(760, 560);
}

bool CAdvance::timeUnit() const { return schedule_->timeUnit(); }
bool CAdvance::mealEnable() const { return schedule_->mealEnable(); }

bool CAdvance::ValidateTab(int index) {
  switch (index) {
    case kTabSchedule: return schedule_->Validate(prompter_);
    case kTabRegimen: return regimen_->Validate();
    case kTabHealthRecord: return health_->Validate(prompter_);
    default: return true;
  }
}

void CAdvance::OnTabChanged(int index) {
  if (reverting_) return;
  if (!ValidateTab(shownTab_)) {
    reverting_ = true;
    tabs_->setCurrentIndex(shownTab_);
    reverting_ = false;
    return;
  }
  shownTab_ = index;
  if (index == kTabRegimen) {
    // Dose types follow the insulins just chosen on the Medications tab.
    Medications m;
    medications_->Store(m);
    regimen_->SetInsulinNames(ChosenInsulinNames(m));
  }
}

void CAdvance::accept() {
  // The shown tab first, then any other (a stored value may already be out of bounds).
  std::vector<int> order{shownTab_};
  for (int i = 0; i < tabs_->count(); ++i)
    if (i != shownTab_) order.push_back(i);
  for (int i : order) {
    if (!ValidateTab(i)) {
      reverting_ = true;
      tabs_->setCurrentIndex(i);
      shownTab_ = i;
      reverting_ = false;
      return;
    }
  }
  CPatientProfile& s = editor_.staging;
  schedule_->Store(s);
  medications_->Store(s.medications);
  regimen_->Store(s.regimens);
  complications_->Store(s.complications);
  health_->Store(s.healthRecord);
  inquiry_->Store(s.inquiry);
  editor_.confirmed = kEditorSections;
  QDialog::accept();
}

void CAdvance::OnHelp() { OpenUserGuide(prompter_); }

}  // namespace meridane
