#pragma once
// "Which patient?": asked when a meter that several patients share is read without a
// patient chosen. The readings go to the one picked, or nowhere on Cancel.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "store/patient_store.h"

class QListWidget;

namespace meridane {

class CPatientChooser : public QDialog {
  Q_OBJECT
 public:
  CPatientChooser(const std::string& serial, const std::vector<PatientChoice>& owners,
                  QWidget* parent = nullptr);
  // The IDNo picked; nullopt when none is selected.
  std::optional<std::string> chosen() const;
  QListWidget* list() const { return list_; }

 private:
  std::vector<PatientChoice> owners_;
  QListWidget* list_ = nullptr;
};

}  // namespace meridane
