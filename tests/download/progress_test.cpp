// What the waiting side sees of a running download: how far the image read has come, the
// worker's notice that it has ended, a cancel the link never saw, and the meter the
// command line and the window choose from the same options.
#include <gmock/gmock.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>

#include "base/text_lookup.h"
#include "download/meter_choice.h"
#include "download_fixture.h"
#include "meter/meter_family.h"

namespace meridane::test {
namespace {

// Holds the worker in its pauses until released; pauses on the test's own thread pass.
class GateSleeper : public Sleeper {
 public:
  void SleepMs(std::uint32_t) override {
    if (std::this_thread::get_id() == owner_) return;
    std::unique_lock lock(mu_);
    cv_.wait(lock, [&] { return open_; });
  }
  void Open() {
    std::lock_guard lock(mu_);
    open_ = true;
    cv_.notify_all();
  }

 private:
  std::thread::id owner_ = std::this_thread::get_id();
  std::mutex mu_;
  std::condition_variable cv_;
  bool open_ = false;
};

TEST_F(DownloadTest, ProgressCountsTheRecordsOfTheImageAndTheWorkerSaysWhenItEnds) {
  for (auto [kind, records] : {std::pair{LinkKind::MK72, 1023}, {LinkKind::TR35, 3},
                               {LinkKind::VXA, 40}, {LinkKind::USB, 200}}) {
    SCOPED_TRACE(std::string(LinkKindName(kind)));
    current.Clear();  // each meter finds its own patient
    const std::string serial = "SERIAL000" + std::to_string(int(kind));
    AddPatient("P" + std::to_string(int(kind)), "Pat", "", serial);
    Attach(kind, test::SampleImage(kPersonalMeterType, records), serial);
    // What the waiting side may observe: the count never runs ahead of the total, and the
    // notice comes once, after the outcome is final.
    std::atomic<int> notices{0};
    std::atomic<bool> finalWhenNoticed{false};
    session->SetFinishedNotifier([&] {
      ++notices;
      finalWhenNoticed = session->Poll() != kDownloadRunning;
    });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
    hooks.wait = [&](DownloadSession& s) {
      RealSleeper tick;
      for (; s.Poll() == kDownloadRunning; tick.SleepMs(1))
        seen.push_back({s.progress().done.load(), s.progress().total.load()});
    };
    DownloadReport r = Download();
    session->Join();
    EXPECT_EQ(std::tie(r.result, r.inserted), std::make_tuple(kDownloadOk, records));
    EXPECT_TRUE(notices.load() == 1 && finalWhenNoticed.load()) << notices.load();
    EXPECT_EQ(session->progress().done.load(), std::uint32_t(records));
    for (auto [done, total] : seen) EXPECT_LE(done, total);
    session->SetFinishedNotifier(nullptr);
    session.reset();
  }
}

TEST_F(DownloadTest, ACancelOutsideABlockTransferStillStoresNothing) {
  AddPatient("C1", "Cara Cancel", "", "MK72000001");
  // Three records come with the header: no block transfer where the link could see Esc.
  Attach(LinkKind::MK72, test::SampleImage(kPersonalMeterType, 3), "MK72000001");
  GateSleeper gate;
  session->SetAccess({&meter->hid, &meter->serial, &gate});
  hooks.wait = [&](DownloadSession& s) {
    s.Cancel();  // pressed while the worker still waits before its first read
    gate.Open();
    WaitPlainly(s);
  };
  DownloadReport r = Download();
  EXPECT_EQ(std::tie(r.result, r.stored), std::make_tuple(kDownloadNoAnswer, false));
  EXPECT_THAT(Stored("C1"), ::testing::IsEmpty());

  // The next download is not cancelled by the last one's request.
  hooks.wait = WaitPlainly;
  prompter.Clear();
  session->SetAccess({&meter->hid, &meter->serial, &sleeper});
  r = Download();
  EXPECT_EQ(r.inserted, 3);
}

TEST(MeterChoiceTest, OptionsAreCheckedAndTheFamilyFollowsTheImage) {
  TempFolder tmp("choice");
  const std::string personal = tmp.Write("p.bin", ImageText({Rec(100, 2024, 1, 2, 3, 4)}));
  const std::string clinic =
      tmp.Write("m.bin", ImageText({Rec(100, 2024, 1, 2, 3, 4, 0, 7)}, true));
  struct Case {
    MeterOptions options;
    std::string error;  // empty: accepted
    LinkKind kind = LinkKind::MK72;
    bool emulated = true;
  };
  const Case cases[] = {
      {{personal, "MK72000001", "", false}, "", LinkKind::MK72},
      {{clinic, "VXA0000001", "", false}, "", LinkKind::VXA},
      {{personal, "TR35000001", "TR35", true}, "", LinkKind::TR35},
      {{"", "", "", false}, "", LinkKind::MK72, false},  // the meters attached over USB
      {{personal, "MK72000001", "mk99", false},
       "--family: expected " + DetectedFamilyNames() + ", got 'mk99'"},
      {{personal, "SHORT", "", false}, "--serial: expected 10 or 11 characters, got 'SHORT'"},
      {{"/no/such/image", "MK72000001", "", false}, "--meter-image: cannot read '/no/such/image'"},
      {{"", "MK72000001", "", false}, "--serial: only with --meter-image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.image + " " + c.options.serial + " " + c.options.family);
    std::string error;
    auto choice = MeterChoice::Make(c.options, error);
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(choice != nullptr, c.error.empty());
    if (!choice) continue;
    EXPECT_TRUE(!c.emulated || choice->kind() == c.kind) << LinkKindName(choice->kind());
    MeterAccess a = choice->Access();
    EXPECT_EQ(std::make_tuple(choice->emulated(), a.hid != nullptr, choice->noPauses()),
              std::make_tuple(c.emulated, c.emulated, c.options.noPauses));
    EXPECT_NE(a.sleeper, nullptr);
  }
  // The clinic download reads family VXA whatever the options say.
  std::string error;
  auto forced = MeterChoice::Make({personal, "MK72000001", "mk72", false}, error, LinkKind::VXA);
  ASSERT_TRUE(forced);
  EXPECT_EQ(forced->kind(), LinkKind::VXA);
}

// Outcome messages of failed downloads: one per download, through the language file, and
// cancelling from the waiting side.

constexpr const char* kCheckMode =
    "Please make sure the meter has switched to the communication mode and correctly connected "
    "to your computer.";

// A link's code handed on as a download's outcome (or back) must not compile.
static_assert(!std::is_convertible_v<LinkResult, DownloadResult>);
static_assert(!std::is_convertible_v<DownloadResult, LinkResult>);
static_assert(!std::is_convertible_v<std::uint32_t, DownloadResult>);

TEST(DownloadOutcome, CodesSharingAKeyShareTheLanguageFilesText) {
  EXPECT_FALSE(DownloadOutcomeMessage(kDownloadOk) || DownloadOutcomeMessage(kDownloadRunning));
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
    EXPECT_EQ(std::tie(r.result, r.stored), std::make_tuple(result, false));
    EXPECT_THAT(prompter.texts(), ::testing::ElementsAre(DownloadOutcomeMessage(result)->text));
    EXPECT_THAT(Stored("M1"), ::testing::IsEmpty());
  }
}

}  // namespace
}  // namespace meridane::test
