// Outcome codes of failed downloads, the single message each shows, and cancelling from the
// waiting side.
#include <gmock/gmock.h>

#include <fstream>

#include "app/text_lookup.h"
#include "download_fixture.h"

namespace meridane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kCheckMode =
    "Please make sure the meter has switched to the communication mode and correctly connected "
    "to your computer.";

TEST(DownloadOutcome, EachCodeHasItsTextAndSharedKeysShareALanguageText) {
  EXPECT_FALSE(DownloadOutcomeMessage(kDownloadOk));
  EXPECT_FALSE(DownloadOutcomeMessage(kDownloadRunning));
  const std::pair<std::uint32_t, std::string> table[] = {
      {0xFFEE, "Your meter is designed for Individual Management. Please go back and select "
               "Individual Management."},
      {0xFFEF, "Your meter is designed for Multiple Management. Please go back and select "
               "Multiple Management."},
      {0xFFFA, "No records in the meter."},
      {0xFFFB, "The meter doesn\u2019t support the function you are using."},
      {0xFFFC, "Records are more than 10,000."},
      {0xFFFD, kCheckMode},
      {0xFFFE, "Please make sure the meter is connected properly."},
      {0x1234, kCheckMode},
      {1, kCheckMode},
  };
  for (const auto& [code, text] : table) {
    auto m = DownloadOutcomeMessage(code);
    ASSERT_TRUE(m) << std::hex << code;
    EXPECT_EQ(m->text, text) << std::hex << code;
    EXPECT_EQ(m->caption, "Warning");
  }

  const std::string ini = ::testing::TempDir() + "/meridane-download-lang.ini";
  std::ofstream(ini) << "[Label]\nWarning=Achtung\n[ErrMsg]\nErrMsg4=Sprache vier\n";
  SetLanguageFile(ini);
  EXPECT_EQ(DownloadOutcomeMessage(0xFFEE)->text, "Sprache vier");
  EXPECT_EQ(DownloadOutcomeMessage(0xFFFC)->text, "Sprache vier");
  EXPECT_EQ(DownloadOutcomeMessage(0xFFFC)->caption, "Achtung");
  EXPECT_EQ(DownloadOutcomeMessage(0xFFFA)->text, "No records in the meter.");
  SetLanguageFile("");
}

TEST_F(DownloadTest, MeterFaultsEndWithTheirOneMessageAndStoreNothing) {
  AddPatient("M1", "Mia Fault", "", "MK72000001");
  const auto image = PersonalImage({At(150, 2024, 5, 6, 8, 15), At(151, 2024, 5, 6, 9, 15),
                                    At(152, 2024, 5, 6, 10, 15), At(153, 2024, 5, 6, 11, 15),
                                    At(154, 2024, 5, 6, 12, 15)});
  struct Case {
    const char* what;
    LinkKind kind;
    std::vector<std::uint8_t> image;
    EmulatorFaults faults;
    std::uint32_t result;
  } cases[] = {
      {"clinic meter", LinkKind::VXA, ClinicImage({At(150, 2024, 5, 6, 8, 15, 0, 3)}), {},
       kDownloadNeedsMultiple},
      {"empty meter", LinkKind::MK72, PersonalImage({}), {}, kDownloadNoRecords},
      {"no serial answer", LinkKind::MK72, image, Faults([](EmulatorFaults& f) { f.silentSerial = true; }),
       kDownloadNotSupported},
      {"stalls", LinkKind::TR35, image, Faults([](EmulatorFaults& f) { f.stopFromBlock = 1; }), kDownloadNoAnswer},
      {"unplugged", LinkKind::MK72, image, Faults([](EmulatorFaults& f) { f.goneFromBlock = 1; }), kDownloadNoAnswer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Attach(c.kind, c.image, "MK72000001", c.faults);
    ASSERT_TRUE(LoadPatient(db, "M1", current));
    prompter.Clear();
    DownloadReport r = Download();
    EXPECT_EQ(r.result, c.result);
    ASSERT_EQ(prompter.asked().size(), 1u) << "exactly one message";
    EXPECT_EQ(prompter.asked()[0].text, DownloadOutcomeMessage(c.result)->text);
    EXPECT_EQ(prompter.asked()[0].buttons, PromptButtons::Ok);
    EXPECT_FALSE(r.stored);
    EXPECT_THAT(Stored("M1"), IsEmpty());
  }
}

TEST_F(DownloadTest, CancelFromTheWaitingSideEndsAStalledTransfer) {
  AddPatient("K1", "Kim Cancel", "", "MK72000001");
  // An MK72 asks for a block that never becomes ready until the read is cancelled.
  Attach(LinkKind::MK72,
         PersonalImage({At(150, 2024, 5, 6, 8, 15), At(151, 2024, 5, 6, 9, 15),
                        At(152, 2024, 5, 6, 10, 15), At(153, 2024, 5, 6, 11, 15)}),
         "MK72000001", Faults([](EmulatorFaults& f) { f.stopFromBlock = 1; }));
  int ticks = 0;
  hooks.wait = [&](DownloadSession& s) {
    RealSleeper tick;
    while (s.Poll() == kDownloadRunning) {
      if (++ticks == 20) s.Cancel();
      tick.SleepMs(1);
    }
  };
  DownloadReport r = Download();
  EXPECT_GE(ticks, 20);
  EXPECT_EQ(r.result, kDownloadNoAnswer);
  EXPECT_THAT(prompter.texts(), ElementsAre(kCheckMode));
  EXPECT_THAT(Stored("K1"), IsEmpty());
}

}  // namespace
}  // namespace meridane::testing
