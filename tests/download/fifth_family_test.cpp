// A fifth HID family added the way a new meter is added: its protocol (a 40-byte family that
// gives up a block after a few not-ready passes) and one row of the family table. Nothing
// else names it, yet detection, the emulator and the command line's family names take it up.
#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

#include "download_fixture.h"
#include "meter/families/hid40_protocol.h"
#include "meter/link_factory.h"

namespace meridane::test {
namespace {

using ::testing::ElementsAre;

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

TEST_F(DownloadTest, TheEmulatorPlaysTheNewFamilyAndADownloadFindsAndFilesIt) {
  AddPatient("Z1", "Zed Nine", "", "ZX90000001");
  Attach(kZX9, test::ImageOf({Rec(140, 2024, 6, 1, 7, 30), Rec(160, 2024, 6, 1, 9, 0)}),
         "ZX90000001");
  EXPECT_EQ(meter->meter->ProductString(), "ZX9");

  DownloadReport r = Download();
  EXPECT_EQ(r.result, kDownloadOk);
  EXPECT_EQ(current.IDNo, "Z1");  // found by the serial the detected link read
  EXPECT_EQ(r.inserted, 2);
  EXPECT_EQ(Stored("Z1").size(), 2u);

  // Its own protocol rule is the one in use: a stalled block ends the read after 3 passes.
  Attach(kZX9, test::SampleImage('P', 40), "ZX90000001", {.stopFromBlock = 1});
  r = Download();
  EXPECT_EQ(r.result, kDownloadNoAnswer);
  EXPECT_EQ(Stored("Z1").size(), 2u);
}

TEST(MeterFamilyTable, TheShippedUdevRulesCoverEveryBuiltInFamily) {
  std::ifstream in(std::string(MERIDANE_SOURCE_DIR) + "/packaging/udev/70-meridane-meters.rules");
  std::stringstream shipped;
  shipped << in.rdbuf();
  // When this fails after a row was added, write the expected text into the file.
  EXPECT_EQ(shipped.str(), UdevRules(BuiltInMeterFamilies()));
}

}  // namespace
}  // namespace meridane::test
