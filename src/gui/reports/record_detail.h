#pragma once
// The record detail editor: a reading's details on five pages, checked in page order on
// Save, with a question before changes are thrown away. Saving changes only the in-memory
// reading; the database follows when the user agrees to save on leaving the page.
#include <QDialog>
#include <QStringList>
#include <array>
#include <cstddef>

#include "gui/main/app_state.h"
#include "base/prompter.h"

class QPushButton;
class QTabWidget;

namespace meridane {

class CRDPage;
class CRDGlucose;
class CRDInsulin;
class CRDOral;
class CRDExercise;
class CRDFood;

// Opens the editor on readings.entries[readingIndex] of the current patient. Returns true
// when the user saved and the reading changed; the data-changed flag is then set.
bool EditReadingDetails(QWidget* parent, AppState& state, std::size_t readingIndex,
                        Prompter& prompter);

class CRecordDetail : public QDialog {
  Q_OBJECT
 public:
  CRecordDetail(const CPatientProfile& patient, const GlucoReading& reading, Prompter& prompter,
                QWidget* parent = nullptr);

  // What Save accepted: the record and the slot the list shows (0 for none).
  const GlucoDetailRecord& detail() const { return detail_; }
  int slot() const { return slot_; }

  QTabWidget* tabs() const { return tabs_; }
  CRDGlucose* glucosePage() const { return glucose_; }
  CRDInsulin* insulinPage() const { return insulin_; }
  CRDOral* oralPage() const { return oral_; }
  CRDExercise* exercisePage() const { return exercise_; }
  CRDFood* foodPage() const { return food_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* resetButton() const { return reset_; }
  QPushButton* helpButton() const { return help_; }

 public slots:
  void OnSave();
  void OnCancel();
  void OnReset();
  void OnHelp();
  // Esc and the close box ask as Cancel does.
  void reject() override { OnCancel(); }

 private:
  // Every field's state as text, to tell whether anything was changed.
  QStringList Snapshot() const;

  Prompter& prompter_;
  GlucoDetailRecord detail_;
  int slot_ = 0;
  QStringList opened_;
  QTabWidget* tabs_;
  CRDGlucose* glucose_;
  CRDInsulin* insulin_;
  CRDOral* oral_;
  CRDExercise* exercise_;
  CRDFood* food_;
  std::array<CRDPage*, 5> pages_{};
  QPushButton* save_;
  QPushButton* cancel_;
  QPushButton* reset_;
  QPushButton* help_;
};

}  // namespace meridane
