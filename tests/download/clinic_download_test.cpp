// The clinic download: the worker's filter, the Multiple Download list and the filing of
// readings by medical record number.
#include <gmock/gmock.h>

#include "download_fixture.h"

namespace meridane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

TEST_F(DownloadTest, ClinicReadingsAreListedThenFiledOnceByMedicalRecordNumber) {
  AddPatient("P7", "Pat Seven", "7", "");
  AddPatient("Z0", "Zed Zero", "", "");
  AddPatient("T1", "Tia First", "42", "");
  AddPatient("T2", "Tom Second", "42", "");
  // The form never gives 000; an older database may hold it.
  ASSERT_TRUE(db.Exec("UPDATE Patient SET medicalNo = '000' WHERE IDNo = 'Z0';"));
  Attach(LinkKind::VXA,
         test::ImageOf({Rec(650, 2024, 6, 1, 8, 0, 0, 7),         // HI
                Rec(15, 2024, 6, 1, 9, 0, 1, 7),          // LO, marked in an after-meal slot
                Rec(100, 2024, 6, 1, 10, 0, 0, 7, true),  // void
                Rec(123, 2024, 6, 1, 12, 0, 0, 0),        // medical record number 0
                Rec(124, 2024, 6, 1, 12, 0, 0, 1000),     // beyond three digits
                Rec(88, 2024, 6, 1, 0, 30, 0, 42),        // two patients share 042
                Rec(99, 2024, 6, 1, 13, 5, 0, 500),       // nobody has 500
                Rec(650, 2024, 6, 1, 8, 0, 0, 7),         // the first reading again
                Rec(650, 2024, 6, 1, 8, 0, 0, 42),        // the same reading, other number
                Rec(70, 2024, 13, 1, 8, 0, 0, 7)},        // month 13
               true),
         "VXACLINIC1");

  EXPECT_EQ(RunClinicDownload(*session, hooks, table).result, kDownloadOk);
  EXPECT_THAT(prompter.texts(), IsEmpty());
  using Row = MultipleDownloadRow;
  EXPECT_THAT(MultipleDownloadRows(db, table, current),
              ElementsAre(Row{"", "007", "Pat Seven", "HI", "06/01/2024  08:00 am"},
                          Row{"", "007", "Pat Seven", "LO", "06/01/2024  09:00 am"},
                          Row{"", "000", "Zed Zero", "123", "06/01/2024  12:00 pm"},
                          Row{"", "042", "shared by Tia First, Tom Second", "88", "06/01/2024  12:30 am"},
                          Row{"", "500", "", "99", "06/01/2024  01:05 pm"},
                          Row{"", "042", "shared by Tia First, Tom Second", "HI", "06/01/2024  08:00 am"}));
  current.IDNo = "X", current.timeUnit = true;  // a current patient's 24-hour clock
  EXPECT_EQ(MultipleDownloadRows(db, table, current)[4][4], "06/01/2024  13:05");

  EXPECT_THAT(Stored("P7"), IsEmpty());  // nothing is filed before the page is left
  ClinicStoreReport s = StoreClinicReadings(db, table);
  // 042 is filed under neither sharer.
  EXPECT_EQ(std::tie(s.inserted, s.unassigned, s.shared), std::make_tuple(3, 1, 2));
  EXPECT_THAT(Stored("P7"), ElementsAre(StoredRow{"2024-06-01 08:00:00", 650, 1 * 256 + 2, 7},
                                        StoredRow{"2024-06-01 09:00:00", 15, 2 * 256 + 2, 7}));
  EXPECT_THAT(Stored("Z0"), ElementsAre(StoredRow{"2024-06-01 12:00:00", 123, 3 * 256 + 2, 0}));
  EXPECT_EQ(Stored("T1").size() + Stored("T2").size(), 0u);

  s = StoreClinicReadings(db, table);  // leaving the page again files nothing more
  EXPECT_EQ(s.inserted, 0);
  EXPECT_EQ(Stored("P7").size() + Stored("Z0").size() + Stored("T1").size(), 3u);
  EXPECT_THAT(sqlErrors, IsEmpty());
}

TEST_F(DownloadTest, ClinicDownloadFromTheWrongMeterShowsOneMessageAndListsNothing) {
  const auto personal = test::ImageOf({Rec(150, 2024, 5, 6, 8, 15)});
  const auto clinic = test::ImageOf({Rec(150, 2024, 5, 6, 8, 15, 0, 3)}, true);
  const std::tuple<LinkKind, std::vector<std::uint8_t>, EmulatorFaults, DownloadResult> cases[] = {
      {LinkKind::VXA, personal, {}, kDownloadNeedsIndividual},
      {LinkKind::MK72, clinic, {}, kDownloadNotConnected},  // only family VXA is tried
      {LinkKind::VXA, clinic, {.badSerialChecksum = true}, kDownloadNotSupported},
      {LinkKind::VXA, test::ImageOf({}, true), {}, kDownloadNoRecords},
  };
  for (const auto& [kind, image, faults, result] : cases) {
    Attach(kind, image, "VXACLINIC1", faults);
    prompter.Clear();
    EXPECT_EQ(RunClinicDownload(*session, hooks, table).result, result);
    EXPECT_THAT(prompter.texts(), ElementsAre(DownloadOutcomeMessage(result)->text));
    EXPECT_EQ(table.count(), 0u);
  }
  // A bad serial character with a good checksum does not stop a clinic download.
  Attach(LinkKind::VXA, clinic, "VXA-LINIC1");
  EXPECT_EQ(RunClinicDownload(*session, hooks, table).result, kDownloadOk);
  EXPECT_EQ(table.count(), 1u);
}

TEST_F(DownloadTest, RefusedCommitReportsEveryReadingAsNotFiled) {
  AddPatient("P7", "Pat Seven", "7", "MK72000009");
  // Each filed row breaks a deferred constraint, so the database refuses the commit.
  ASSERT_TRUE(EnsureReadingsTable(db, "P7"));
  ASSERT_TRUE(db.Exec("PRAGMA foreign_keys=ON;"));
  ASSERT_TRUE(db.Exec("CREATE TABLE Owner(id INTEGER PRIMARY KEY);"
                      "CREATE TABLE Owned(owner INTEGER REFERENCES Owner(id) "
                      "DEFERRABLE INITIALLY DEFERRED);"
                      "CREATE TRIGGER Refuse AFTER INSERT ON \"GP7\" "
                      "BEGIN INSERT INTO Owned VALUES(1); END;"));

  ReadingTable clinic;
  clinic.entries = {GlucoReading{.at = {2024, 6, 1, 8, 0}, .gluco = 120, .medicalNo = 7},
                    GlucoReading{.at = {2024, 6, 1, 9, 0}, .gluco = 130, .medicalNo = 7}};
  ClinicStoreReport s = StoreClinicReadings(db, clinic);
  EXPECT_EQ(std::tie(s.inserted, s.insertFailures), std::make_tuple(0, 2));
  EXPECT_THAT(Stored("P7"), IsEmpty());

  Attach(LinkKind::MK72, test::ImageOf({Rec(150, 2024, 5, 6, 8, 15)}), "MK72000009");
  DownloadReport r = Download();
  EXPECT_EQ(std::tie(r.inserted, r.insertFailures, r.stored), std::make_tuple(0, 1, false));
  EXPECT_THAT(Stored("P7"), IsEmpty());
  EXPECT_THAT(sqlErrors, Not(IsEmpty()));
}

}  // namespace
}  // namespace meridane::test
