#pragma once
// "Add": custom oral medicines and insulins added to the current patient straight away.
#include <QDialog>
#include <string>

#include "base/prompter.h"

class QLineEdit;
class QListWidget;

namespace meridane {

class CAddMedications : public QDialog {
  Q_OBJECT
 public:
  CAddMedications(const std::string& idNo, Prompter& prompter, QWidget* parent = nullptr);
  QLineEdit* nameEdit() const { return name_; }
  QListWidget* oralList() const { return oral_; }
  QListWidget* insulinList() const { return insulin_; }
  // True when something was added (the caller reloads the patient's medications).
  bool changed() const { return changed_; }

 public slots:
  void OnAdd(bool insulin);

 private:
  void Reload();
  std::string idNo_;
  Prompter& prompter_;
  QLineEdit* name_;
  QListWidget* oral_;
  QListWidget* insulin_;
  bool changed_ = false;
};

}  // namespace meridane
