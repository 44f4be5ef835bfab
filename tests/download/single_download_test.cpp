// Single-patient downloads end to end: emulated meter, worker thread, patient settling and
// the rows that reach the patient's readings table.
#include <gmock/gmock.h>

#include "download_fixture.h"
#include "meter/families/hid40_protocol.h"
#include "meter/link_factory.h"

namespace meridane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kSerial = "MK72000001";
constexpr const char* kConfirm = "Please confirm the data are downloaded to Ann Lee(012).";
const std::vector<std::uint8_t> kOneReading = test::ImageOf({Rec(150, 2024, 5, 6, 8, 15)});

TEST_F(DownloadTest, FilesEachValidReadingOnceWithItsSlotAndMealCode) {
  AddPatient("A1", "Ann Lee", "12", kSerial);
  Attach(LinkKind::MK72,
         test::ImageOf({Rec(120, 2024, 3, 4, 7, 0, 1),     // before breakfast, marked so
                Rec(180, 2024, 3, 4, 10, 0),       // after breakfast
                Rec(95, 2024, 13, 4, 12, 0),       // month 13
                Rec(180, 2024, 3, 4, 10, 0),       // the same reading twice
                Rec(101, 2024, 3, 4, 12, 0),       // before lunch without the mark
                Rec(77, 2024, 3, 4, 23, 30, 1)}),  // night with the before-meal mark
         kSerial);

  DownloadReport r = Download();
  EXPECT_EQ(std::tie(r.result, r.inserted), std::make_tuple(kDownloadOk, 4));
  EXPECT_EQ(current.IDNo, "A1");  // the patient with the serial, nothing asked
  const std::vector<std::string> skipped{"1 damaged meter records were skipped and not filed."};
  EXPECT_EQ(prompter.texts(), skipped);
  EXPECT_THAT(Stored("A1"), ElementsAre(StoredRow{"2024-03-04 07:00:00", 120, 1 * 256 + 1, -1},
                                        StoredRow{"2024-03-04 10:00:00", 180, 2 * 256 + 0, -1},
                                        StoredRow{"2024-03-04 12:00:00", 101, 3 * 256 + 2, -1},
                                        StoredRow{"2024-03-04 23:30:00", 77, 7 * 256 + 2, -1}));
  ASSERT_EQ(table.count(), 4u);
  EXPECT_EQ(table.entries[3].mark, 2);  // the adjusted mark is kept in the table

  // The same meter again: everything is stored already; nothing new, only the skip again.
  prompter.Clear();
  r = Download();
  EXPECT_EQ(std::tie(r.inserted, r.stored), std::make_tuple(0, true));
  EXPECT_EQ(prompter.texts(), skipped);
  EXPECT_EQ(Stored("A1").size(), 4u);
  EXPECT_THAT(sqlErrors, IsEmpty());
}

TEST_F(DownloadTest, UnknownSerialAsksAndOnlyASavedFormReceivesTheReadings) {
  Attach(LinkKind::MK72, kOneReading, kSerial);
  prompter.Push(PromptAnswer::Cancel);
  DownloadReport r = Download();
  EXPECT_THAT(prompter.texts(), ElementsAre(kUnknownSerialText));
  EXPECT_THAT(formSerials, IsEmpty());  // Cancel opens no form
  EXPECT_EQ(std::make_tuple(r.stored, table.count()), std::make_tuple(false, 0u));

  r = Download();  // OK, but the form is closed without saving
  EXPECT_THAT(formSerials, ElementsAre(kSerial));
  EXPECT_EQ(std::make_tuple(r.stored, table.count()), std::make_tuple(false, 0u));

  newPatientId = "NEW1";
  r = Download();
  EXPECT_EQ(current.IDNo, "NEW1");
  EXPECT_EQ(Stored("NEW1").size(), 1u);
}

TEST_F(DownloadTest, PatientWithoutMeterOrWithAnotherMeterIsAskedEveryTime) {
  Attach(LinkKind::MK72, kOneReading, kSerial);
  for (const char* meterSN : {"", "ZZ99999999"}) {
    SCOPED_TRACE(meterSN);
    const std::string id = std::string("D") + meterSN;
    AddPatient(id, "Ann Lee", "12", meterSN);
    ASSERT_TRUE(LoadPatient(db, id, current));
    prompter.Clear();
    prompter.Push(PromptAnswer::Cancel);
    EXPECT_FALSE(Download().stored);
    EXPECT_THAT(Stored(id), IsEmpty());
    Download();  // asked again, OK this time
    EXPECT_THAT(prompter.texts(), ElementsAre(kConfirm, kConfirm));
    EXPECT_EQ(Stored(id).size(), 1u);
  }
}

TEST_F(DownloadTest, WithoutAReadableSerialNothingIsFiled) {
  AddPatient("G1", "Gus Meter", "", kSerial);
  Attach(LinkKind::MK72, kOneReading, kSerial);
  ASSERT_EQ(Download().inserted, 1);

  // No meter now (hidapi and the machine's serial ports): the earlier serial still finds its
  // patient, and the worker reports the missing meter.
  Use(nullptr, nullptr);
  current.Clear();
  DownloadReport r = Download();
  EXPECT_EQ(std::tie(r.result, current.IDNo), std::make_tuple(kDownloadNotConnected, "G1"));
  EXPECT_THAT(prompter.texts(), ElementsAre(kNotConnectedText));

  // A serial character the detection refuses: the download runs, but is discarded.
  Attach(LinkKind::MK72, test::ImageOf({Rec(99, 2024, 5, 7, 8, 15)}), "AB-3456789");
  prompter.Clear();
  r = Download();
  EXPECT_EQ(std::tie(r.result, r.stored), std::make_tuple(kDownloadOk, false));
  EXPECT_TRUE(current.IDNo.empty());
  EXPECT_THAT(prompter.texts(), ElementsAre(kNotConnectedText));
  EXPECT_EQ(Stored("G1").size(), 1u);
}

TEST_F(DownloadTest, FamiliesAreTriedInOrderAndTheBridgeNever) {
  for (LinkKind kind : {LinkKind::TR35, LinkKind::USB, LinkKind::VXA, LinkKind::MK72}) {
    std::string id(LinkKindName(kind)), serial = "S" + id;
    serial.resize(10, '0');
    AddPatient(id, "P " + id, "", serial);
    Attach(kind, kOneReading, serial);
    current.Clear();
    EXPECT_EQ(Download().inserted, 1) << id;
    EXPECT_EQ(current.IDNo, id);
  }

  auto tr35 = std::make_shared<MeterEmulator>(LinkKind::TR35, kOneReading, "TR35ZZZZZZ");
  auto mk72 = std::make_shared<MeterEmulator>(LinkKind::MK72, kOneReading, "MK72ZZZZZZ");
  EmulatedHidBackend both;
  EmulatedSerialBackend none;
  both.AddMeter(mk72, "/dev/hidraw0");
  both.AddMeter(tr35, "/dev/hidraw1");
  Use(&both, &none);
  Download();
  EXPECT_EQ(session->serial.Text(), "TR35ZZZZZZ");
  EXPECT_EQ(mk72->dataPolls(), 0);

  Attach(LinkKind::HIDUART, kOneReading, "UART000001");
  EXPECT_EQ(Download().result, kDownloadNotConnected);
}

// A fifth HID family added the way a new meter is added: its protocol (a 40-byte family that
// gives up a block after a few not-ready passes) and one row of the family table. Nothing
// else names it, yet detection and the command line's family names take it up.

// ---- the family's protocol file ----
class CCommHidZX9 : public CCommHid40 {
 public:
  explicit CCommHidZX9(const LinkContext& ctx = {}) : CCommHid40(ctx, "ZX9") {}

 protected:
  int BlockPassLimit() const override { return 3; }
};

// ---- its row ----
constexpr LinkKind kZX9{20};
const bool kZX9Registered = RegisterMeterFamily(
    {kZX9, "zx9", MeterTransport::Hid40, "ZX9", 0, 0, 5, MakeLinkOf<CCommHidZX9>});

std::vector<std::string> DetectionNames() {
  std::vector<std::string> names;
  for (const MeterFamily* f : DetectionOrder()) names.push_back(f->name);
  return names;
}

TEST(MeterFamilyTable, ANewRowJoinsDetectionAfterTheBuiltInOrderAndTheCommandLineNames) {
  ASSERT_TRUE(kZX9Registered);
  EXPECT_THAT(DetectionNames(), ElementsAre("tr35", "usb", "vxa", "mk72", "zx9"));
  EXPECT_EQ(DetectedFamilyNames(), "tr35, usb, vxa, mk72 or zx9");
  EXPECT_EQ(ParseLinkKind("ZX9"), kZX9);
  EXPECT_EQ(ParseLinkKind("hiduart"), LinkKind::HIDUART);  // named, never detected
  EXPECT_STREQ(HidProductName(kZX9), "ZX9");
  // A second row with a name or kind already in the table is refused.
  EXPECT_FALSE(RegisterMeterFamily(
      {LinkKind{21}, "ZX9", MeterTransport::Hid40, "ZX9B", 0, 0, 6, MakeLinkOf<CCommHidZX9>}));
  EXPECT_FALSE(RegisterMeterFamily(
      {kZX9, "zx10", MeterTransport::Hid40, "ZX10", 0, 0, 6, MakeLinkOf<CCommHidZX9>}));
  EXPECT_EQ(MakeLink(LinkKind{99}, LinkContext{}), nullptr);
}

TEST(MeterFamilyTable, TheShippedUdevRulesCoverEveryBuiltInFamily) {
  // When this fails after a row was added, write the expected text into the file.
  EXPECT_EQ(Slurp(std::string(MERIDANE_SOURCE_DIR) + "/packaging/udev/70-meridane-meters.rules"),
            UdevRules(BuiltInMeterFamilies()));
}

}  // namespace
}  // namespace meridane::test
