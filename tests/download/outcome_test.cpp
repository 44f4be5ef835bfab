// Outcome messages of failed downloads: one per download, through the language file, and
// cancelling from the waiting side.
#include <gmock/gmock.h>

#include <type_traits>

#include "base/text_lookup.h"
#include "download_fixture.h"

namespace meridane::test {
namespace {

constexpr const char* kCheckMode =
    "Please make sure the meter has switched to the communication mode and correctly connected "
    "to your computer.";

// A link's code handed on as a download's outcome (or back) must not compile.
static_assert(!std::is_convertible_v<LinkResult, DownloadResult>);
static_assert(!std::is_convertible_v<DownloadResult, LinkResult>);
static_assert(!std::is_convertible_v<std::uint32_t, DownloadResult>);

TEST(DownloadOutcome, CodesSharingAKeyShareTheLanguageFilesText) {
  EXPECT_FALSE(DownloadOutcomeMessage(kDownloadOk));
  EXPECT_FALSE(DownloadOutcomeMessage(kDownloadRunning));
  EXPECT_EQ(DownloadOutcomeMessage(DownloadResult{0x1234})->text, kCheckMode);  // any unknown code
  EXPECT_EQ(DownloadOutcomeMessage(kDownloadNotSupported)->text,
            "The meter doesn\u2019t support the function you are using.");

  TempFolder tmp("lang");
  const std::string ini =
      tmp.Write("lang.ini", "[Label]\nWarning=Achtung\n[ErrMsg]\nErrMsg4=Sprache vier\n");
  SetLanguageFile(ini);
  for (DownloadResult code : {kDownloadNeedsIndividual, kDownloadTooMany}) {
    EXPECT_EQ(DownloadOutcomeMessage(code)->text, "Sprache vier")
        << std::hex << static_cast<std::uint32_t>(code);
    EXPECT_EQ(DownloadOutcomeMessage(code)->caption, "Achtung");
  }
  EXPECT_EQ(DownloadOutcomeMessage(kDownloadNoRecords)->text, "No records in the meter.");
  SetLanguageFile("");
}

TEST_F(DownloadTest, MeterFaultsEndWithTheirOneMessageAndStoreNothing) {
  AddPatient("M1", "Mia Fault", "", "MK72000001");
  const auto image = test::ImageOf({Rec(150, 2024, 5, 6, 8, 15), Rec(151, 2024, 5, 6, 9, 15),
                            Rec(152, 2024, 5, 6, 10, 15), Rec(153, 2024, 5, 6, 11, 15)});
  const std::tuple<LinkKind, std::vector<std::uint8_t>, EmulatorFaults, DownloadResult> cases[] = {
      {LinkKind::VXA, test::ImageOf({Rec(150, 2024, 5, 6, 8, 15, 0, 3)}, true), {}, kDownloadNeedsMultiple},
      {LinkKind::MK72, test::ImageOf({}), {}, kDownloadNoRecords},
      {LinkKind::MK72, image, {.silentSerial = true}, kDownloadNotSupported},
      {LinkKind::TR35, image, {.stopFromBlock = 1}, kDownloadNoAnswer},
      {LinkKind::MK72, image, {.goneFromBlock = 1}, kDownloadNoAnswer},
  };
  for (const auto& [kind, img, faults, result] : cases) {
    Attach(kind, img, "MK72000001", faults);
    ASSERT_TRUE(LoadPatient(db, "M1", current));
    prompter.Clear();
    DownloadReport r = Download();
    EXPECT_EQ(r.result, result);
    EXPECT_THAT(prompter.texts(), ::testing::ElementsAre(DownloadOutcomeMessage(result)->text));
    EXPECT_FALSE(r.stored);
    EXPECT_THAT(Stored("M1"), ::testing::IsEmpty());
  }
}

TEST_F(DownloadTest, CancelFromTheWaitingSideEndsAStalledTransfer) {
  AddPatient("K1", "Kim Cancel", "", "MK72000001");
  // An MK72 asks for a block that never becomes ready until the read is cancelled.
  Attach(LinkKind::MK72,
         test::ImageOf({Rec(150, 2024, 5, 6, 8, 15), Rec(151, 2024, 5, 6, 9, 15),
                Rec(152, 2024, 5, 6, 10, 15), Rec(153, 2024, 5, 6, 11, 15)}),
         "MK72000001", EmulatorFaults{.stopFromBlock = 1});
  int ticks = 0;
  hooks.wait = [&](DownloadSession& s) {
    RealSleeper tick;
    for (; s.Poll() == kDownloadRunning; tick.SleepMs(1))
      if (++ticks == 20) s.Cancel();
  };
  DownloadReport r = Download();
  EXPECT_GE(ticks, 20);
  EXPECT_EQ(r.result, kDownloadNoAnswer);
  EXPECT_THAT(prompter.texts(), ::testing::ElementsAre(kCheckMode));
  EXPECT_THAT(Stored("K1"), ::testing::IsEmpty());
}

}  // namespace
}  // namespace meridane::test
