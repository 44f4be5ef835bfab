// Two desks on one server book, each with its own connection: a save made from a patient
// another desk saved or deleted since it was loaded writes nothing and says so.
#include "store/patient_store.h"
#include "store/reading_store.h"
#include "support/fixtures.h"

namespace meridane::test {
namespace {

class DesksTest : public BookTest {
 protected:
  void SetUp() override {
    if (!ServerBookWanted()) GTEST_SKIP() << "needs the test server";
    BookTest::SetUp();
    ASSERT_TRUE(AddPatientByForm(db_, "Ann Lee", "A1"));
    ASSERT_GT(InsertReading(db_, "A1", {2024, 5, 1, 8, 0}, 120, 0, 0), 0);
    for (CPatientProfile* p : {&front_, &back_}) ASSERT_TRUE(LoadPatient(db_, "A1", *p));
  }
  // The patient form saved in edit mode with a new phone number, from the desk's copy.
  FormSaveOutcome SavePhone(CPatientProfile& desk, const std::string& phone) {
    PatientFormValues f{desk.fullName, desk.IDNo, desk.medicalNo, desk.birth, phone,
                        desk.address, desk.gender, desk.email, desk.meterSN, desk.timeUnit,
                        desk.mealEnable};
    return SavePatientForm(other_, prompter_, f, true, {}, desk);
  }
  ReadingTable Readings(CPatientProfile& desk) {
    ReadingTable t;
    EXPECT_TRUE(LoadReadings(other_, desk, t));
    return t;
  }

  Database other_ = OpenPatientDatabase();  // the second desk's connection
  ScriptedPrompter prompter_;
  CPatientProfile front_, back_;
};

TEST_F(DesksTest, TheSecondSaveOfOnePatientIsToldAndGetsTheNewerData) {
  ASSERT_EQ(SavePhone(front_, "111"), FormSaveOutcome::Saved);
  EXPECT_EQ(SavePhone(back_, "222"), FormSaveOutcome::ChangedElsewhere);
  EXPECT_EQ(back_.phone, "111");  // shown the newer data
  ASSERT_EQ(prompter_.texts().size(), 3u);
  EXPECT_NE(prompter_.texts().back().find("was changed at another desk"), std::string::npos);
  CPatientProfile stored;
  ASSERT_TRUE(LoadPatient(db_, "A1", stored));
  EXPECT_EQ(stored.phone, "111");
  // From the newer data the save goes through.
  EXPECT_EQ(SavePhone(back_, "222"), FormSaveOutcome::Saved);

  // Reading details likewise: the desk that saved last without reloading saves nothing.
  ReadingTable a = Readings(front_), b = Readings(back_);
  ASSERT_EQ(a.count(), 1u);
  EXPECT_EQ(SaveReadingEdits(other_, front_, a), PatientCheck::ChangedElsewhere);
  ASSERT_TRUE(LoadPatient(db_, "A1", front_));
  a.entries[0].detail.comment = "front";
  b.entries[0].detail.comment = "back";
  EXPECT_EQ(SaveReadingEdits(other_, front_, a), PatientCheck::Current);
  EXPECT_EQ(SaveReadingEdits(db_, back_, b), PatientCheck::ChangedElsewhere);
  EXPECT_EQ(Readings(front_).entries[0].detail.comment, "front");

  // A change made without a loaded copy (a merge, a medicine added) counts as a save too.
  ASSERT_TRUE(LoadPatient(db_, "A1", back_));
  ASSERT_TRUE(CountPatientSave(db_, "A1"));
  EXPECT_EQ(SavePhone(back_, "444"), FormSaveOutcome::ChangedElsewhere);
}

TEST_F(DesksTest, APatientDeletedAtAnotherDeskIsNotRecreatedBySavingIt) {
  ScriptedPrompter yes;
  CPatientProfile doomed = front_;
  ASSERT_TRUE(DeletePatient(db_, yes, doomed));
  EXPECT_EQ(SavePhone(back_, "333"), FormSaveOutcome::Deleted);
  EXPECT_NE(prompter_.texts().back().find("was deleted at another desk"), std::string::npos);
  ReadingTable t;
  t.entries.push_back(Reading({2024, 5, 1, 8, 0}, 120, 1));
  EXPECT_EQ(SaveReadingEdits(other_, back_, t), PatientCheck::Deleted);
  EXPECT_TRUE(ListPatientIds(db_).empty());
  EXPECT_TRUE(Rows(db_, "SELECT * FROM readings").empty());
  EXPECT_TRUE(Rows(db_, "SELECT * FROM GlucoDetail").empty());
}

// An export or a report reads one moment of the book: a reading filed at another desk
// meanwhile stays out of it. Opened inside a transaction, a snapshot leaves that alone.
TEST_F(DesksTest, ASnapshotReadsOneMomentWhileAnotherDeskFiles) {
  auto seen = [&] { return Readings(front_).entries.size(); };
  {
    Database::ReadSnapshot snapshot(other_);
    ASSERT_TRUE(snapshot.ok());
    EXPECT_EQ(seen(), 1u);
    ASSERT_GT(InsertReading(db_, "A1", {2024, 5, 1, 12, 0}, 140, 0, 0), 0);
    EXPECT_EQ(seen(), 1u);
  }
  EXPECT_EQ(seen(), 2u);
  Database::Transaction tx(other_);
  { Database::ReadSnapshot inside(other_); }
  ASSERT_GT(InsertReading(other_, "A1", {2024, 5, 1, 18, 0}, 150, 0, 0), 0);
  EXPECT_TRUE(tx.Commit());
  EXPECT_EQ(seen(), 3u);
}

}  // namespace
}  // namespace meridane::test
