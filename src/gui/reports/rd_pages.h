#pragma once
// The five pages of the record detail editor. Each shows its part of a reading's detail
// record, gives back its entries as typed for the checks, writes them into a record once
// they passed, and goes back to the empty values on Reset.
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "reports/reading_details.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimeEdit;

namespace meridane {

class CRDPage : public QWidget {
  Q_OBJECT
 public:
  explicit CRDPage(QWidget* parent = nullptr);
  virtual void Load(const GlucoDetailRecord& d) = 0;
  // Writes the page's fields; the numbers have passed ValidateDetailEntries.
  virtual void Store(GlucoDetailRecord& d) const = 0;
  virtual void Entries(DetailEntries&) const {}
  virtual void Reset() = 0;
  // The entry field of a GlucoDetail column, for focus after a failed check.
  virtual QLineEdit* FieldOf(const std::string&) const { return nullptr; }

  // The note under the fields that says what a refused entry must be; empty hides it.
  void ShowHint(const QString& text);
  QLabel* hint() const { return hint_; }
  QLineEdit* comment() const { return comment_; }

 protected:
  // Rows of caption and field(s) on the page's grid, then the comment and the hint below.
  QGridLayout* grid() const { return grid_; }
  int AddRow(const QString& caption, QWidget* field, const QString& limits = {});
  QWidget* WithLimits(QWidget* field, const QString& limits);
  void FinishLayout();
  static QLineEdit* NumberField(QWidget* parent);

 private:
  QGridLayout* grid_;
  QLineEdit* comment_;
  QLabel* hint_;
};

class CRDGlucose : public CRDPage {
  Q_OBJECT
 public:
  CRDGlucose(const CPatientProfile& patient, const GlucoReading& reading,
             QWidget* parent = nullptr);
  void Load(const GlucoDetailRecord& d) override;
  void Store(GlucoDetailRecord& d) const override;
  void Reset() override;
  // The slot the list shows (its entry + 1), 0 when it shows none.
  int slot() const;

  QDateEdit* date() const { return date_; }
  QTimeEdit* time() const { return time_; }
  QComboBox* slotList() const { return slot_; }
  QComboBox* sampleKind() const { return sample_; }
  QLineEdit* value() const { return value_; }
  QLabel* unit() const { return unit_; }
  QCheckBox* circumstance(int bit) const { return checks_[bit]; }
  QComboBox* foodOption() const { return food_; }
  QComboBox* exerciseTiming() const { return timing_; }
  QComboBox* exerciseKind() const { return kind_; }

 private:
  QDateEdit* date_;
  QTimeEdit* time_;
  QComboBox* slot_;
  QComboBox* sample_;
  QLineEdit* value_;
  QLabel* unit_;
  std::array<QCheckBox*, 10> checks_{};
  QComboBox* food_;
  QComboBox* timing_;
  QComboBox* kind_;
};

// A medicine name list over the core's choices: placeholder first, a stored name kept.
class CRDNameList {
 public:
  explicit CRDNameList(QComboBox* box, std::vector<std::string> patientNames)
      : box_(box), names_(std::move(patientNames)) {}
  void Load(const std::string& stored);
  std::string Name() const;

 private:
  QComboBox* box_;
  std::vector<std::string> names_;
  NameChoices choices_;
};

class CRDInsulin : public CRDPage {
  Q_OBJECT
 public:
  CRDInsulin(const std::vector<std::string>& insulins, QWidget* parent = nullptr);
  void Load(const GlucoDetailRecord& d) override;
  void Store(GlucoDetailRecord& d) const override;
  void Entries(DetailEntries& e) const override;
  void Reset() override;
  QLineEdit* FieldOf(const std::string& column) const override;

  QComboBox* nameList() const { return nameBox_; }
  QRadioButton* kind(int k) const { return kinds_[k]; }
  QLineEdit* amount(int k) const { return amounts_[k]; }
  int chosenKind() const;

 private:
  QComboBox* nameBox_;
  CRDNameList names_;
  std::array<QRadioButton*, 3> kinds_{};
  std::array<QLineEdit*, 3> amounts_{};
};

class CRDOral : public CRDPage {
  Q_OBJECT
 public:
  CRDOral(const std::vector<std::string>& orals, QWidget* parent = nullptr);
  void Load(const GlucoDetailRecord& d) override;
  void Store(GlucoDetailRecord& d) const override;
  void Entries(DetailEntries& e) const override;
  void Reset() override;
  QLineEdit* FieldOf(const std::string& column) const override;

  QComboBox* nameList() const { return nameBox_; }
  QLineEdit* amount() const { return amount_; }

 private:
  QComboBox* nameBox_;
  CRDNameList names_;
  QLineEdit* amount_;
};

class CRDExercise : public CRDPage {
  Q_OBJECT
 public:
  explicit CRDExercise(QWidget* parent = nullptr);
  void Load(const GlucoDetailRecord& d) override;
  void Store(GlucoDetailRecord& d) const override;
  void Entries(DetailEntries& e) const override;
  void Reset() override;
  QLineEdit* FieldOf(const std::string& column) const override;

  QLineEdit* hours() const { return hours_; }
  QLineEdit* minutes() const { return minutes_; }
  QComboBox* intensity() const { return intensity_; }

 private:
  QLineEdit* hours_;
  QLineEdit* minutes_;
  QComboBox* intensity_;
};

class CRDFood : public CRDPage {
  Q_OBJECT
 public:
  explicit CRDFood(QWidget* parent = nullptr);
  void Load(const GlucoDetailRecord& d) override;
  void Store(GlucoDetailRecord& d) const override;
  void Entries(DetailEntries& e) const override;
  void Reset() override;
  QLineEdit* FieldOf(const std::string& column) const override;

  // carbs, fats, carlories, proteins
  QLineEdit* field(int i) const { return fields_[i]; }

 private:
  std::array<QLineEdit*, 4> fields_{};
};

}  // namespace meridane
