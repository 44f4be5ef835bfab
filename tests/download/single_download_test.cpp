// Single-patient downloads end to end: emulated meter, worker thread, patient settling and
// the rows that reach the patient's readings table.
#include <gmock/gmock.h>

#include "download_fixture.h"
#include "meter/emulator/pty_meter.h"
#include "reports/classification.h"

namespace meridane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kSerial = "MK72000001";
const char* kConfirm = "Please confirm the data are downloaded to Ann Lee(012).";

std::vector<MeterRecord> DayOfReadings() {
  return {
      At(120, 2024, 3, 4, 7, 0, 1),    // before breakfast, meter says before a meal
      At(180, 2024, 3, 4, 10, 0, 0),   // after breakfast
      At(95, 2024, 13, 4, 12, 0, 0),   // month 13: not a reading
      At(180, 2024, 3, 4, 10, 0, 0),   // the same reading twice in one image
      At(101, 2024, 3, 4, 12, 0, 0),   // before lunch without the mark
      At(77, 2024, 3, 4, 23, 30, 1),   // night with the before-meal mark
  };
}

TEST_F(DownloadTest, FilesEachValidReadingOnceWithItsSlotAndMealCode) {
  AddPatient("A1", "Ann Lee", "12", kSerial);
  Attach(LinkKind::MK72, PersonalImage(DayOfReadings()), kSerial);

  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_TRUE(r.stored);
  EXPECT_EQ(r.inserted, 4);
  EXPECT_THAT(prompter.texts(), IsEmpty());  // found by serial, same meter: nothing asked
  EXPECT_EQ(current.IDNo, "A1");
  EXPECT_THAT(Stored("A1"), ElementsAre(StoredRow{"2024-03-04 07:00:00", 120, 1 * 256 + 1, -1},
                                        StoredRow{"2024-03-04 10:00:00", 180, 2 * 256 + 0, -1},
                                        StoredRow{"2024-03-04 12:00:00", 101, 3 * 256 + 2, -1},
                                        StoredRow{"2024-03-04 23:30:00", 77, 7 * 256 + 2, -1}));
  // The table holds the filed readings with their database idx and adjusted marks.
  ASSERT_EQ(table.count(), 4u);
  EXPECT_EQ(table.entries[3].mark, 2);
  EXPECT_GT(table.entries[0].idx, 0);

  // The same meter again: every reading is stored already; nothing new, nothing shown.
  prompter.Clear();
  r = Download();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_EQ(r.inserted, 0);
  EXPECT_THAT(prompter.texts(), IsEmpty());
  EXPECT_EQ(Stored("A1").size(), 4u);
  EXPECT_THAT(sqlErrors, IsEmpty());
}

TEST_F(DownloadTest, SerialOfTwoPatientsChoosesTheFirstWithoutAsking) {
  AddPatient("B1", "Bea First", "", kSerial);
  AddPatient("B2", "Bob Second", "", kSerial);
  Attach(LinkKind::MK72, PersonalImage({At(150, 2024, 5, 6, 8, 15)}), kSerial);

  DownloadReport r = Download();
  EXPECT_EQ(r.inserted, 1);
  EXPECT_EQ(current.IDNo, "B1");
  EXPECT_THAT(prompter.texts(), IsEmpty());
  EXPECT_EQ(Stored("B1").size(), 1u);
  EXPECT_THAT(Stored("B2"), IsEmpty());
}

TEST_F(DownloadTest, UnknownSerialAsksAndCancelStoresNothing) {
  AddPatient("C1", "Cid Other", "", "OTHER00001");
  Attach(LinkKind::MK72, PersonalImage({At(150, 2024, 5, 6, 8, 15)}), kSerial);

  prompter.Push(PromptAnswer::Cancel);
  DownloadReport r = Download();
  EXPECT_THAT(prompter.texts(), ElementsAre(kUnknownSerialText));
  EXPECT_EQ(prompter.asked()[0].buttons, PromptButtons::OkCancel);
  EXPECT_FALSE(r.stored);
  EXPECT_THAT(formSerials, IsEmpty());  // Cancel opens no form
  EXPECT_EQ(table.count(), 0u);
  EXPECT_THAT(Stored("C1"), IsEmpty());

  // OK opens the form with the meter's serial; a form closed without saving stores nothing.
  prompter.Clear();
  r = Download();
  EXPECT_THAT(formSerials, ElementsAre(kSerial));
  EXPECT_FALSE(r.stored);
  EXPECT_EQ(table.count(), 0u);

  // A saved form makes the new patient current and the readings go to them.
  newPatientId = "NEW1";
  r = Download();
  EXPECT_TRUE(r.stored);
  EXPECT_EQ(current.IDNo, "NEW1");
  EXPECT_EQ(Stored("NEW1").size(), 1u);
}

TEST_F(DownloadTest, PatientWithoutMeterIsAskedEveryTimeAndAnotherMeterIsAskedToo) {
  AddPatient("D1", "Ann Lee", "12", "");
  Attach(LinkKind::MK72, PersonalImage({At(150, 2024, 5, 6, 8, 15)}), kSerial);
  ASSERT_TRUE(LoadPatient(db, "D1", current));

  prompter.Push(PromptAnswer::Cancel);
  DownloadReport r = Download();
  EXPECT_THAT(prompter.texts(), ElementsAre(kConfirm));
  EXPECT_FALSE(r.stored);
  EXPECT_THAT(Stored("D1"), IsEmpty());

  prompter.Clear();
  r = Download();  // answered OK this time
  EXPECT_THAT(prompter.texts(), ElementsAre(kConfirm));
  EXPECT_EQ(Stored("D1").size(), 1u);

  // Someone else's meter: the patient's meterSN is set but differs.
  AddPatient("E1", "Ann Lee", "12", "ZZ99999999");
  ASSERT_TRUE(LoadPatient(db, "E1", current));
  prompter.Clear();
  prompter.Push(PromptAnswer::Cancel);
  r = Download();
  EXPECT_THAT(prompter.texts(), ElementsAre(kConfirm));
  EXPECT_FALSE(r.stored);
  EXPECT_THAT(Stored("E1"), IsEmpty());

  // The patient's own meter: no question.
  AddPatient("F1", "Fay Own", "", kSerial);
  ASSERT_TRUE(LoadPatient(db, "F1", current));
  prompter.Clear();
  r = Download();
  EXPECT_THAT(prompter.texts(), IsEmpty());
  EXPECT_EQ(Stored("F1").size(), 1u);
}

TEST_F(DownloadTest, SecondDownloadWithoutMeterKeepsEarlierSerialAndReportsNoMeter) {
  AddPatient("G1", "Gus Meter", "", kSerial);
  Attach(LinkKind::MK72, PersonalImage({At(150, 2024, 5, 6, 8, 15)}), kSerial);
  ASSERT_EQ(Download().inserted, 1);

  Detach();
  current.Clear();
  prompter.Clear();
  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadNotConnected);
  EXPECT_EQ(current.IDNo, "G1");  // the earlier meter's serial still finds its patient
  EXPECT_THAT(prompter.texts(), ElementsAre(kNotConnectedText));
  EXPECT_EQ(Stored("G1").size(), 1u);
}

TEST_F(DownloadTest, UnreadableSerialDiscardsTheDownloadAndClearsThePatient) {
  // The meter's serial has a character the detection refuses; the download itself succeeds.
  AddPatient("H1", "Hal Bad", "", "");
  ASSERT_TRUE(LoadPatient(db, "H1", current));
  Attach(LinkKind::MK72, PersonalImage({At(150, 2024, 5, 6, 8, 15)}), "AB-3456789");
  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_FALSE(r.stored);
  EXPECT_TRUE(current.IDNo.empty());
  EXPECT_EQ(table.count(), 0u);
  EXPECT_THAT(prompter.texts(), ElementsAre(kNotConnectedText));
  EXPECT_THAT(Stored("H1"), IsEmpty());
}

TEST_F(DownloadTest, LongStoredHistoryDoesNotBlockTheNextDownload) {
  AddPatient("L1", "Lou Long", "", kSerial);
  {
    Database::Transaction tx(db);
    for (int i = 0; i < 10000; ++i) {
      DateTime at{2020 + i / 5000, 1 + (i / 400) % 12, 1 + (i / 16) % 25, 6 + i % 16, 0};
      InsertReading(db, "L1", at, 100 + i % 7, 0, -1);
    }
    ASSERT_TRUE(tx.Commit());
  }
  Attach(LinkKind::MK72,
         PersonalImage({At(111, 2025, 1, 1, 8, 0), At(112, 2025, 1, 1, 9, 0),
                        At(113, 2025, 1, 1, 10, 0)}),
         kSerial);
  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_EQ(r.inserted, 3);
  EXPECT_THAT(prompter.texts(), IsEmpty());
  EXPECT_EQ(Stored("L1").size(), 10003u);
}

TEST_F(DownloadTest, EveryFamilyIsFoundInOrderButNeverTheBridge) {
  const auto image = PersonalImage({At(150, 2024, 5, 6, 8, 15), At(160, 2024, 5, 6, 9, 15)});
  for (LinkKind kind : {LinkKind::TR35, LinkKind::USB, LinkKind::VXA, LinkKind::MK72}) {
    SCOPED_TRACE(std::string(LinkKindName(kind)));
    std::string serial = "S" + std::string(LinkKindName(kind));
    serial.resize(10, '0');
    const std::string id = std::string(LinkKindName(kind));
    AddPatient(id, "P " + id, "", serial);
    Attach(kind, image, serial);
    current.Clear();
    prompter.Clear();
    DownloadReport r = Download();
    EXPECT_EQ(r.result, kDownloadOk);
    EXPECT_EQ(current.IDNo, id);
    EXPECT_EQ(Stored(id).size(), 2u);
  }

  // A TR35 and an MK72 both attached: the TR35 comes first.
  auto tr35 = std::make_shared<MeterEmulator>(LinkKind::TR35, image, "TR35ZZZZZZ");
  auto mk72 = std::make_shared<MeterEmulator>(LinkKind::MK72, image, "MK72ZZZZZZ");
  EmulatedHidBackend both;
  EmulatedSerialBackend none;
  both.AddMeter(mk72, "/dev/hidraw0");
  both.AddMeter(tr35, "/dev/hidraw1");
  Use(&both, &none);
  current.Clear();
  Download();
  EXPECT_EQ(session->serial.Text(), "TR35ZZZZZZ");
  EXPECT_EQ(mk72->dataPolls(), 0);

  // The HID-to-UART bridge is not among the links a download tries.
  Attach(LinkKind::HIDUART, image, "UART000001");
  current.Clear();
  prompter.Clear();
  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadNotConnected);
  EXPECT_FALSE(r.stored);
}

// The real termios port code, with the meter on the far side of a pseudo-terminal.
class PtyBackend : public SerialBackend {
 public:
  explicit PtyBackend(std::string path) : path_(std::move(path)) {}
  std::optional<std::vector<SerialPortInfo>> ListPorts() override {
    return std::vector<SerialPortInfo>{{path_, "CP2102 USB to UART Bridge", 0x10C4, 0xEA60}};
  }
  std::unique_ptr<SerialPort> Open(const std::string& path) override {
    return OpenTermiosPort(path);
  }

 private:
  std::string path_;
};

TEST_F(DownloadTest, SerialBridgeMeterOverARealTerminal) {
  auto emu = std::make_shared<MeterEmulator>(
      LinkKind::USB, PersonalImage({At(150, 2024, 5, 6, 8, 15), At(99, 2024, 5, 6, 12, 1)}),
      "USBPTY0001");
  auto pty = PtyMeter::Start(emu);
  if (!pty) GTEST_SKIP() << "no pseudo-terminal";
  AddPatient("U1", "Uma Usb", "", "USBPTY0001");
  PtyBackend serial(pty->path());
  EmulatedHidBackend noHid;
  Use(&noHid, &serial);
  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_EQ(r.inserted, 2);
  EXPECT_EQ(Stored("U1").size(), 2u);
}

}  // namespace
}  // namespace meridane::testing
