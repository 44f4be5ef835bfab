#pragma once
// The profile editor's six tabs. Each loads a section, checks itself when it is left, and
// writes its values into the staging copy.
#include <QWidget>
#include <array>

#include "base/prompter.h"
#include "profile/profile_rules.h"
#include "store/patient_profile.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTextEdit;
class QTimeEdit;

namespace meridane {

class CDualList;

class CADSchedule : public QWidget {
  Q_OBJECT
 public:
  explicit CADSchedule(QWidget* parent = nullptr);
  void Load(const CPatientProfile& p, bool timeUnit, bool mealEnable);
  bool Validate(Prompter& prompter);
  void Store(CPatientProfile& staging) const;
  bool timeUnit() const;
  bool mealEnable() const;

  QTimeEdit* startEdit(bool nonWorking, int block) const { return (nonWorking ? non_ : work_)[block].start; }
  QLabel* endLabel(bool nonWorking, int block) const { return (nonWorking ? non_ : work_)[block].end; }
  QLabel* blockLabel(bool nonWorking, int block) const { return (nonWorking ? non_ : work_)[block].name; }
  QRadioButton* clock24() const { return h24_; }
  QRadioButton* clockAmPm() const { return ampm_; }
  QRadioButton* nonMealNames() const { return nonMeal_; }
  QCheckBox* separateNonWorking() const { return separate_; }

 private:
  struct Row {
    QLabel* name = nullptr;
    QTimeEdit* start = nullptr;
    QLabel* end = nullptr;
  };
  Schedule Read(bool nonWorking) const;
  void Refresh();

  QRadioButton* ampm_;
  QRadioButton* h24_;
  QRadioButton* meal_;
  QRadioButton* nonMeal_;
  QCheckBox* separate_;
  std::array<QCheckBox*, 7> days_{};  // Sunday first, as the bits
  std::array<Row, 7> work_;
  std::array<Row, 7> non_;
};

class CADMedications : public QWidget {
  Q_OBJECT
 public:
  explicit CADMedications(QWidget* parent = nullptr);
  void Load(const Medications& m);
  void Store(Medications& m) const;
  CDualList* insulinList() const { return insulin_; }
  CDualList* oralList() const { return oral_; }

 private:
  CDualList* insulin_;
  CDualList* oral_;
  QCheckBox* pump_;
  QCheckBox* diet_;
};

class CADRegimen : public QWidget {
  Q_OBJECT
 public:
  explicit CADRegimen(QWidget* parent = nullptr);
  void Load(const Regimens& r);
  // The insulins offered as dose types.
  void SetInsulinNames(const std::vector<std::string>& names);
  // Every unit entry of the shown regimen a number within 0 to 250; no message.
  bool Validate();
  void Store(Regimens& r) const;

  QListWidget* list() const { return list_; }
  QLineEdit* unitsEdit(int dose) const { return units_[dose]; }
  QCheckBox* activeBox() const { return active_; }
  QLineEdit* nameEdit() const { return name_; }

 private:
  bool TakeShown();  // shown editors into regimens_; false when a unit entry is invalid
  void Show(int row);
  void RefreshList();

  Regimens regimens_;
  int shown_ = 0;
  std::vector<std::string> insulinNames_;
  QListWidget* list_;
  QLineEdit* name_;
  QCheckBox* active_;
  QDateEdit* date_;
  std::array<QLineEdit*, 8> units_{};
  std::array<QComboBox*, 8> types_{};
};

class CADComplications : public QWidget {
  Q_OBJECT
 public:
  explicit CADComplications(QWidget* parent = nullptr);
  void Load(const Complications& c);
  void Store(Complications& c) const;
  CDualList* lists() const { return list_; }

 private:
  CDualList* list_;
};

class CADHealthRecord : public QWidget {
  Q_OBJECT
 public:
  explicit CADHealthRecord(QWidget* parent = nullptr);
  void Load(const HealthRecord& hr);
  // Empty or malformed entries keep the tab silently; the ordered checks tell their message
  // and move the focus to the entry.
  bool Validate(Prompter& prompter);
  void Store(HealthRecord& hr) const;
  QLineEdit* entry(HealthEntry e) const { return entries_[static_cast<int>(e)]; }

 private:
  HealthRecordEntries Texts() const;
  std::array<QLineEdit*, kHealthEntryCount> entries_{};
  QComboBox* type_;
  QDateEdit* diagnosed_;
  QComboBox* hightUnit_;
  QComboBox* weightUnit_;
  QComboBox* glucoUnit_;
  QComboBox* ketones_;
  QComboBox* microalbumin_;
};

class CADInquiry : public QWidget {
  Q_OBJECT
 public:
  explicit CADInquiry(QWidget* parent = nullptr);
  void Load(const Inquiry& q);
  void Store(Inquiry& q) const;

 private:
  QDateEdit* date_;
  QLineEdit* comment_;
  QTextEdit* note_;
  QCheckBox* special_;
};

}  // namespace meridane
