// Readings never go to a patient by guess, and damaged meter bytes never become readings.
#include <gmock/gmock.h>

#include "download_fixture.h"

namespace meridane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::vector<std::uint8_t> kTwoReadings =
    ImageOf({Rec(150, 2024, 5, 6, 8, 15), Rec(160, 2024, 5, 6, 12, 15)});

TEST_F(DownloadTest, SharedMeterFilesOnlyUnderThePatientChosen) {
  struct Case {
    const char* name;
    bool hasChooser;
    std::optional<std::string> answer;
    size_t forA, forB;
    bool message;
  };
  const Case cases[] = {{"no chooser (command line)", false, std::nullopt, 0, 0, true},
                        {"Cancel", true, std::nullopt, 0, 0, false},
                        {"second patient chosen", true, "B2", 0, 2, false},
                        {"first patient chosen", true, "A1", 2, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(db.Exec("DELETE FROM Patient;"));
    for (const char* t : {"A1", "B2"}) db.Exec(std::string("DROP TABLE IF EXISTS ") + QuotedReadingsTable(t) + ";");
    AddPatient("A1", "Ann Lee", "", "MK00000009");
    AddPatient("B2", "Bob Lee", "", "MK00000009");
    std::vector<PatientChoice> offered;
    hooks.choosePatient = nullptr;
    if (c.hasChooser)
      hooks.choosePatient = [&](const std::vector<PatientChoice>& owners) {
        offered = owners;
        return c.answer;
      };
    prompter.Clear();
    current.Clear();
    Attach(LinkKind::MK72, kTwoReadings, "MK00000009");
    DownloadReport r = Download();
    EXPECT_EQ(std::make_tuple(Stored("A1").size(), Stored("B2").size(), r.stored),
              std::make_tuple(c.forA, c.forB, c.answer.has_value()));
    if (c.hasChooser) {
      EXPECT_THAT(offered, ElementsAre(PatientChoice{"A1", "Ann Lee"}, PatientChoice{"B2", "Bob Lee"}));
    }
    if (c.message) {
      ASSERT_EQ(prompter.texts().size(), 1u);
      EXPECT_THAT(prompter.texts()[0], HasSubstr("Ann Lee (A1), Bob Lee (B2)"));
    }
  }
}

TEST_F(DownloadTest, SharedMedicalRecordNumberIsListedAsSharedAndFiledUnderNone) {
  AddPatient("P1", "Pia One", "5", "");
  AddPatient("P2", "Pol Two", "5", "");
  AddPatient("Q1", "Quin", "6", "");
  Attach(LinkKind::VXA,
         ImageOf({Rec(120, 2024, 6, 1, 8, 0, 0, 5), Rec(130, 2024, 6, 1, 9, 0, 0, 6),
                  Rec(140, 2024, 6, 1, 10, 0, 0, 5)},
                 true),
         "VXACLINIC1");
  ASSERT_EQ(RunClinicDownload(*session, hooks, table).result, kDownloadOk);
  using Row = MultipleDownloadRow;
  EXPECT_THAT(MultipleDownloadRows(db, table, current),
              ElementsAre(Row{"", "005", "shared by Pia One, Pol Two", "120", "06/01/2024  08:00 am"},
                          Row{"", "006", "Quin", "130", "06/01/2024  09:00 am"},
                          Row{"", "005", "shared by Pia One, Pol Two", "140", "06/01/2024  10:00 am"}));
  ClinicStoreReport s = StoreClinicReadings(db, table);
  EXPECT_EQ(std::tie(s.inserted, s.shared, s.unassigned), std::make_tuple(1, 2, 0));
  EXPECT_EQ(Stored("P1").size() + Stored("P2").size(), 0u);
  EXPECT_EQ(Stored("Q1").size(), 1u);
  EXPECT_THAT(ClinicNoticeText(s, 0), HasSubstr("2 readings were not filed"));
}

TEST(RecordDigits, DamagedDecimalFieldsAreSkippedAndCounted) {
  const MeterRecord good = Rec(150, 2024, 5, 6, 8, 15, 0, 3);
  struct Case {
    const char* name;
    bool clinic;
    size_t at;
    std::uint8_t byte;
  };
  const Case damaged[] = {{"glucose units 0xFA", false, 1, 0xFA}, {"year 0x2A", false, 2, 0x2A},
                          {"month 0x0B", false, 3, 0x0B},          {"day 0x0A", false, 4, 0x0A},
                          {"hour 0xA1", false, 5, 0xA1},           {"minute 0x0A", false, 6, 0x0A},
                          {"clinic glucose units 0x1F", true, 1, 0x1F}};
  for (const Case& c : damaged) {
    SCOPED_TRACE(c.name);
    const auto enc = c.clinic ? EncodeClinicRecord(good) : EncodePersonalRecord(good);
    auto bad = enc;
    bad[c.at] = c.byte;  // nibbles above 9 in a decimal field
    EXPECT_TRUE(RecordDigitsOk(std::span<const std::uint8_t, kRecordSize>(enc.data(), kRecordSize), c.clinic));
    EXPECT_FALSE(RecordDigitsOk(std::span<const std::uint8_t, kRecordSize>(bad.data(), kRecordSize), c.clinic));
    const auto image = BuildMeterImage(c.clinic ? kClinicMeterType : kPersonalMeterType, {bad, enc});
    ReadingTable table;
    EXPECT_EQ(AppendMeterImage(image, 2, table, c.clinic), kDownloadOk);
    ASSERT_EQ(table.count(), 1u);
    EXPECT_EQ(table.entries[0].gluco, 150);
    EXPECT_EQ(table.skippedRecords, 1);
  }
}

TEST_F(DownloadTest, DamagedAndFutureReadingsAreReportedAfterTheDownload) {
  AddPatient("A1", "Ann Lee", "", "MK72000001");
  const Date ahead = AddDays(Today(), 3);
  auto image = ImageOf({Rec(150, 2024, 5, 6, 8, 15), Rec(170, ahead.year, ahead.month, ahead.day, 9, 0),
                        Rec(180, 2024, 5, 6, 9, 0)});
  image[kImageHeaderSize + 2 * kRecordSize + 4] = 0x0A;  // third record's day
  Attach(LinkKind::MK72, image, "MK72000001");
  DownloadReport r = Download();
  EXPECT_TRUE(r.stored);
  // The clock may be wrong: the future reading is kept.
  EXPECT_EQ(std::tie(r.inserted, r.skipped, r.futureDated), std::make_tuple(2, 1, 1));
  EXPECT_EQ(Stored("A1").size(), 2u);
  ASSERT_EQ(prompter.texts().size(), 1u);
  EXPECT_THAT(prompter.texts()[0], HasSubstr("1 damaged meter records were skipped"));
  EXPECT_THAT(prompter.texts()[0], HasSubstr("check the meter's clock"));
}

TEST_F(DownloadTest, PatientFormRefusesFutureBirthAndAsksBeforeSharingAMeterOrNumber) {
  AddPatient("A1", "Ann Lee", "5", "MK00000009");
  struct Case {
    const char* name;
    std::string meter, medicalNo;
    int birthDays;
    PromptAnswer answer;
    const char* asked;
  };
  const Case cases[] = {
      {"birth tomorrow", "", "", 1, PromptAnswer::Yes, "after today"},
      {"shared meter, No", "MK00000009", "", 0, PromptAnswer::No,
       "Ann Lee (A1) already uses this meter. Save anyway?"},
      {"shared number, No", "", "005", 0, PromptAnswer::No,
       "Ann Lee (A1) already has this medical record number"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPrompter ask;
    ask.Push(c.answer);
    const PatientFormValues f{.fullName = "Bob Lee", .IDNo = "B2", .medicalNo = c.medicalNo,
                              .birth = AddDays(Today(), c.birthDays), .meterSN = c.meter};
    CPatientProfile cur;
    EXPECT_EQ(SavePatientForm(db, ask, f, false, {}, cur), FormSaveOutcome::Refused);
    ASSERT_FALSE(ask.texts().empty());
    EXPECT_THAT(ask.texts()[0], HasSubstr(c.asked));
    EXPECT_FALSE(PatientIdExists(db, "B2"));
  }
}

}  // namespace
}  // namespace meridane::test
