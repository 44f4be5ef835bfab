#pragma once
// The patient form ("Add" / "Edit"): the patient's own fields, the profile editor behind
// "Advance", and save and delete through the store's rules.
#include <QDialog>

#include "gui/main/app_state.h"
#include "base/prompter.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace meridane {

class CIdEntry;

class CAddEdit : public QDialog {
  Q_OBJECT
 public:
  // editMode: the current patient is shown and may be changed or deleted.
  CAddEdit(bool editMode, AppState& state, Prompter& prompter, PageRunner runner,
           QWidget* parent = nullptr);

  struct Fields {
    QLineEdit* fullName = nullptr;
    QRadioButton* male = nullptr;
    QRadioButton* female = nullptr;
    QDateEdit* birth = nullptr;
    QLineEdit* age = nullptr;
    CIdEntry* idNo = nullptr;
    QLineEdit* medicalNo = nullptr;
    QLineEdit* phone = nullptr;
    QLineEdit* address = nullptr;
    QLineEdit* email = nullptr;
    QLineEdit* meterSN = nullptr;
    QPushButton* advance = nullptr;
    QPushButton* save = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* help = nullptr;
  };
  const Fields& fields() const { return f_; }
  bool editMode() const { return editMode_; }
  bool timeUnit() const { return timeUnit_; }
  bool mealEnable() const { return mealEnable_; }

  // The values as "Save" hands them to the store.
  PatientFormValues Values() const;

 public slots:
  void OnAdvance();
  void OnSave();
  // The patient is gone from the book: the form empties and closes.
  void ForgetDeletedPatient();
  void OnDelete();
  void OnHelp();

 private:
  void ShowMode();
  void FillFrom(const CPatientProfile& p);
  void UpdateAge();
  void RefreshIds();

  bool editMode_;
  AppState& state_;
  Prompter& prompter_;
  PageRunner runner_;
  Fields f_;
  bool timeUnit_ = false;
  bool mealEnable_ = false;
};

}  // namespace meridane
