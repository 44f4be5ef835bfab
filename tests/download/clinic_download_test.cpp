// The clinic download: the worker's filter, the Multiple Download list and the filing of
// readings by medical record number.
#include <gmock/gmock.h>

#include "download_fixture.h"

namespace meridane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ClinicTest : public DownloadTest {
 protected:
  DownloadReport RunClinic() { return RunClinicDownload(*session, hooks, table); }
  void SetMedicalNo(const std::string& id, const std::string& no) {
    Statement st = db.Prepare("UPDATE Patient SET medicalNo = ? WHERE IDNo = ?;");
    st.Bind(1, no).Bind(2, id);
    ASSERT_TRUE(st.Run());
  }
};

TEST_F(ClinicTest, ListsAndFilesReadingsByMedicalRecordNumber) {
  AddPatient("P7", "Pat Seven", "7", "");
  AddPatient("Z0", "Zed Zero", "", "");
  SetMedicalNo("Z0", "000");  // the form never gives 000, an older database may
  AddPatient("T1", "Tia First", "42", "");
  AddPatient("T2", "Tom Second", "42", "");
  Attach(LinkKind::VXA,
         ClinicImage({
             At(650, 2024, 6, 1, 8, 0, 0, 7),           // HI
             At(15, 2024, 6, 1, 9, 0, 1, 7),            // LO, after-meal slot with the mark
             At(100, 2024, 6, 1, 10, 0, 0, 7, true),    // void: never shown
             At(123, 2024, 6, 1, 12, 0, 0, 0),          // medical record number 0
             At(124, 2024, 6, 1, 12, 0, 0, 1000),       // no such number
             At(88, 2024, 6, 1, 0, 30, 0, 42),          // two patients share 042
             At(99, 2024, 6, 1, 13, 5, 0, 500),         // nobody has 500
             At(650, 2024, 6, 1, 8, 0, 0, 7),           // the first reading again
             At(650, 2024, 6, 1, 8, 0, 0, 42),          // same reading, other patient
             At(70, 2024, 13, 1, 8, 0, 0, 7),           // month 13
         }),
         "VXACLINIC1");

  DownloadReport r = RunClinic();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_THAT(prompter.texts(), IsEmpty());
  using Row = MultipleDownloadRow;
  EXPECT_THAT(MultipleDownloadRows(db, table, current),
              ElementsAre(Row{"", "007", "Pat Seven", "HI", "06/01/2024  08:00 am"},
                          Row{"", "007", "Pat Seven", "LO", "06/01/2024  09:00 am"},
                          Row{"", "000", "Zed Zero", "123", "06/01/2024  12:00 pm"},
                          Row{"", "042", "Tia First", "88", "06/01/2024  12:30 am"},
                          Row{"", "500", "", "99", "06/01/2024  01:05 pm"},
                          Row{"", "042", "Tia First", "HI", "06/01/2024  08:00 am"}));

  // Nothing reaches the database before the page is left.
  EXPECT_THAT(Stored("P7"), IsEmpty());
  ClinicStoreReport s = StoreClinicReadings(db, table);
  EXPECT_EQ(s.inserted, 5);
  EXPECT_EQ(s.unassigned, 1);
  EXPECT_THAT(Stored("P7"), ElementsAre(StoredRow{"2024-06-01 08:00:00", 650, 1 * 256 + 2, 7},
                                        StoredRow{"2024-06-01 09:00:00", 15, 2 * 256 + 2, 7}));
  EXPECT_THAT(Stored("Z0"), ElementsAre(StoredRow{"2024-06-01 12:00:00", 123, 3 * 256 + 2, 0}));
  EXPECT_THAT(Stored("T1"), ElementsAre(StoredRow{"2024-06-01 00:30:00", 88, 7 * 256 + 2, 42},
                                        StoredRow{"2024-06-01 08:00:00", 650, 1 * 256 + 2, 42}));
  EXPECT_THAT(Stored("T2"), IsEmpty());

  // Leaving the page a second time with the same readings files nothing more.
  s = StoreClinicReadings(db, table);
  EXPECT_EQ(s.inserted, 0);
  EXPECT_EQ(s.duplicates, 5);
  EXPECT_EQ(Stored("P7").size() + Stored("Z0").size() + Stored("T1").size(), 5u);
  EXPECT_THAT(sqlErrors, IsEmpty());
}

TEST_F(ClinicTest, DateColumnFollowsTheCurrentPatientsClock) {
  ReadingTable t;
  t.entries.push_back({});
  t.entries[0].at = {2024, 12, 31, 23, 59};
  t.entries[0].medicalNo = 3;
  t.entries[0].gluco = 20;
  CPatientProfile nobody;
  nobody.timeUnit = true;  // no patient current: the 12-hour form whatever the flag says
  EXPECT_EQ(MultipleDownloadRows(db, t, nobody)[0][4], "12/31/2024  11:59 pm");
  CPatientProfile p;
  p.IDNo = "X";
  p.timeUnit = true;
  auto rows = MultipleDownloadRows(db, t, p);
  EXPECT_EQ(rows[0][4], "12/31/2024  23:59");
  EXPECT_EQ(rows[0][3], "20");  // 20 is a value, not "LO"
  EXPECT_EQ(GlucoseCellText(600), "600");
  EXPECT_EQ(GlucoseCellText(601), "HI");
  EXPECT_EQ(GlucoseCellText(19), "LO");
}

TEST_F(ClinicTest, WrongMetersEndWithOneMessageAndAnEmptyList) {
  const auto personal = PersonalImage({At(150, 2024, 5, 6, 8, 15)});
  const auto clinic = ClinicImage({At(150, 2024, 5, 6, 8, 15, 0, 3)});
  struct Case {
    LinkKind kind;
    std::vector<std::uint8_t> image;
    EmulatorFaults faults;
    std::uint32_t result;
    const char* text;
  } cases[] = {
      {LinkKind::VXA, personal, {}, kDownloadNeedsIndividual,
       "Your meter is designed for Individual Management. Please go back and select Individual "
       "Management."},
      {LinkKind::MK72, clinic, {}, kDownloadNotConnected,
       "Please make sure the meter is connected properly."},
      {LinkKind::VXA, clinic, Faults([](EmulatorFaults& f) { f.badSerialChecksum = true; }), kDownloadNotSupported,
       "The meter doesn\u2019t support the function you are using."},
      {LinkKind::VXA, ClinicImage({}), {}, kDownloadNoRecords, "No records in the meter."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Attach(c.kind, c.image, "VXACLINIC1", c.faults);
    prompter.Clear();
    DownloadReport r = RunClinic();
    EXPECT_EQ(r.result, c.result);
    EXPECT_THAT(prompter.texts(), ElementsAre(c.text));
    EXPECT_EQ(table.count(), 0u);
  }
  // A serial with a bad character but a good checksum does not stop a clinic download.
  Attach(LinkKind::VXA, clinic, "VXA-LINIC1");
  prompter.Clear();
  EXPECT_EQ(RunClinic().result, kDownloadOk);
  EXPECT_EQ(table.count(), 1u);
}

}  // namespace
}  // namespace meridane::testing
