#pragma once
// The profile editor ("Advance"): six tabs over the staging copy. A tab is checked when it
// is left; OK checks every tab and writes them all into the staging copy.
#include <QDialog>

#include "base/prompter.h"
#include "store/patient_store.h"

class QTabWidget;

namespace meridane {

class CADSchedule;
class CADMedications;
class CADRegimen;
class CADComplications;
class CADHealthRecord;
class CADInquiry;

enum AdvanceTab { kTabSchedule, kTabMedications, kTabRegimen, kTabComplications,
                  kTabHealthRecord, kTabInquiry };

class CAdvance : public QDialog {
  Q_OBJECT
 public:
  // Starts from the current patient's sections, or from the staging copy for sections
  // already confirmed while this form is open, so a second visit shows the first one's work.
  CAdvance(const CPatientProfile& current, ProfileEditorState& editor, bool timeUnit,
           bool mealEnable, Prompter& prompter, QWidget* parent = nullptr);

  bool timeUnit() const;
  bool mealEnable() const;

  QTabWidget* tabs() const { return tabs_; }
  CADSchedule* schedule() const { return schedule_; }
  CADMedications* medications() const { return medications_; }
  CADRegimen* regimen() const { return regimen_; }
  CADComplications* complications() const { return complications_; }
  CADHealthRecord* healthRecord() const { return health_; }
  CADInquiry* inquiry() const { return inquiry_; }

  // Checks one tab as leaving it does.
  bool ValidateTab(int index);

 public slots:
  void accept() override;
  void OnHelp();

 private:
  void OnTabChanged(int index);

  ProfileEditorState& editor_;
  Prompter& prompter_;
  QTabWidget* tabs_;
  CADSchedule* schedule_;
  CADMedications* medications_;
  CADRegimen* regimen_;
  CADComplications* complications_;
  CADHealthRecord* health_;
  CADInquiry* inquiry_;
  int shownTab_ = 0;
  bool reverting_ = false;
};

}  // namespace meridane
