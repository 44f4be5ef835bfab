#include "profile/add_medicine.h"

#include <gtest/gtest.h>

#include "store/patient_store.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

class AddMedicineTest : public test::BookTest {
 protected:
  void SetUp() override {
    BookTest::SetUp();
    Sql("INSERT INTO Patient VALUES('Ann','A1','','1970-01-01','','','0','','','0','0','0','0',"
        "'0','0','0','0','0');");
  }
  std::string Enabled() {
    return test::Column(db_, "SELECT medicationEnable FROM Patient WHERE IDNo='A1';").at(0);
  }
};

TEST_F(AddMedicineTest, FirstAddCreatesTheRowThenFillsFreeSlots) {
  CPatientProfile copy;  // a desk's form, loaded before the medicine is added
  ASSERT_TRUE(LoadPatient(db_, "A1", copy));
  EXPECT_EQ(AddCustomMedicine(db_, "A1", false, "Sitagliptin"), AddMedicineResult::Added);
  // On a server the addition counts as a save: that desk's older copy is not saved over it.
  EXPECT_EQ(ClaimPatientSave(db_, copy, nullptr),
            db_.server() ? PatientCheck::ChangedElsewhere : PatientCheck::Current);
  EXPECT_EQ(Enabled(), "1");
  bool hasRow = false;
  Medications m = ReadMedications(db_, "A1", &hasRow);
  ASSERT_TRUE(hasRow);
  EXPECT_EQ(std::tie(m.oral, m.oralCheck[0], m.oralName[0]),
            std::make_tuple(1 << 17, true, "Sitagliptin"));
  // The other list keeps its defaults.
  EXPECT_EQ(std::tie(m.insulin, m.insulinName[0]), std::make_tuple(0, "Custom 1"));

  // Built-in choices made earlier survive the update.
  ASSERT_TRUE(db_.Exec("UPDATE Medications SET oral='" + std::to_string((1 << 17) | 2) +
                       "' WHERE IDNo='A1';"));
  EXPECT_EQ(AddCustomMedicine(db_, "A1", false, "Sitagliptin"), AddMedicineResult::AlreadyListed);
  EXPECT_EQ(AddCustomMedicine(db_, "A1", false, "O'Neil's blend"), AddMedicineResult::Added);
  m = ReadMedications(db_, "A1");
  EXPECT_EQ(std::tie(m.oral, m.oralName[1]),
            std::make_tuple(2 | (1 << 17) | (1 << 18), "O'Neil's blend"));
  using enum AddMedicineResult;
  for (auto [insulin, name, want] : {std::tuple{false, "C", Added}, {false, "D", Added},
                                     {false, "E", NoFreeSlot}, {true, "Degludec", Added}})
    EXPECT_EQ(AddCustomMedicine(db_, "A1", insulin, name), want) << name;
  m = ReadMedications(db_, "A1");
  EXPECT_EQ(std::tie(m.insulin, m.oralName[3]), std::make_tuple(1 << 7, "D"));
}

TEST_F(AddMedicineTest, RefusesUnknownPatientsAndBadNames) {
  for (auto [id, name] : {std::pair<std::string, std::string>{"NOPE", "X"}, {"A1", ""},
                          {"A1", std::string(21, 'x')}})
    EXPECT_EQ(AddCustomMedicine(db_, id, true, name), AddMedicineResult::InvalidName) << id << name;
  bool hasRow = true;
  ReadMedications(db_, "A1", &hasRow);
  EXPECT_FALSE(hasRow);
  EXPECT_EQ(Enabled(), "0");
}

}  // namespace
}  // namespace meridane
