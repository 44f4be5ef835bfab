// download and clinic-download from the command line, with the emulated meter: what the
// commands print and what readings list shows afterwards. The filing rules themselves are
// the download library's (tests/download).
#include <map>
#include <set>

#include "cli/cli_harness.h"
#include "store/date_time.h"
#include "support/meter_images.h"

namespace meridane::test {
namespace {

TEST(CliDownload, PersonalMeterFilesOnceAndAnUnknownSerialMakesAPatientOnlyWhenTold) {
  CliSandbox box;
  box.AddPatient("Ann Lee", "A1", {"--meter-sn", "MK72000001"});
  const std::vector<std::string> dl{
      "download", "--meter-image",
      box.WriteFile("m.bin", ImageText({Rec(101, 2024, 3, 4, 7, 0), Rec(103, 2024, 13, 4, 9, 0),
                                        Rec(104, 2024, 3, 4, 13, 0), Rec(104, 2024, 3, 4, 13, 0)})),
      "--serial", "MK72000001", "--no-pauses"};
  // Month 13 is a damaged record: skipped, counted and said, never filed.
  EXPECT_EQ(box.Ok(dl).Rows(), (Rows{{"patient", "A1"}, {"inserted", "2"}, {"skipped", "1"}}));
  EXPECT_TRUE(Exited(box.Run(dl), 0, "1 damaged meter records were skipped and not filed.\n"));
  EXPECT_EQ(box.Run(dl).Rows(), (Rows{{"patient", "A1"}, {"inserted", "0"}, {"skipped", "1"}}));
  EXPECT_EQ(Listed(box, "A1").size(), 2u);

  std::vector<std::string> other{"download", "--meter-image", dl[2], "--serial", "TR35000009",
                                 "--family", "tr35", "--no-pauses"};
  EXPECT_TRUE(Refused(box.Run(other),
                      "This serial number doesn't exist. Please maintain the user profile."));
  other.insert(other.begin(), "--yes");
  other.insert(other.end(), {"--name", "Nia New", "--new-id", "N1"});
  EXPECT_EQ(box.Ok(other).Rows(), (Rows{{"patient", "N1"}, {"inserted", "2"}, {"skipped", "1"}}));
  EXPECT_EQ(box.Run({"patient", "list"}).Rows().back(),
            (std::vector<std::string>{"N1", "Nia New", "", "TR35000009"}));
}

// Readings of one patient keyed by date and value.
using Keys = std::set<std::pair<std::string, std::string>>;
Keys KeysOf(CliSandbox& box, const std::string& id) {
  Keys out;
  for (const auto& row : Listed(box, id)) out.insert({row[1], row[2]});
  return out;
}

TEST(CliDemo, MeterImagesHoldOnlyTheDemoPatientsNewestReadingsAsNew) {
  CliSandbox box;
  const std::string personal = box.root() + "/personal.img", clinic = box.root() + "/clinic.img";
  std::map<std::string, std::string> serials;
  for (const auto& row :
       box.Ok({"demo", "--personal-image", personal, "--clinic-image", clinic}).Rows())
    serials[row[0]] = row.at(2);
  ASSERT_EQ(serials["personal-image"].size(), 10u);
  ASSERT_EQ(serials["clinic-image"].size(), 10u);

  std::map<std::string, Keys> before;
  for (const std::string id : {"DEMO-001", "DEMO-002", "DEMO-003"}) before[id] = KeysOf(box, id);
  // What a download adds is newer than anything the book held, and no later than now: a
  // meter holds nothing it has not measured yet.
  const std::string clock = FormatDateTime(Now());
  auto onlyNewer = [&](const std::string& id) {
    auto now = KeysOf(box, id);
    EXPECT_GT(now.size(), before[id].size()) << id;
    for (const auto& reading : now)
      if (!before[id].count(reading)) {
        EXPECT_GT(reading.first, before[id].rbegin()->first) << id;
        EXPECT_LE(reading.first, clock) << id;
      }
  };
  const std::vector<std::string> dl{"download", "--meter-image", personal, "--serial",
                                    serials["personal-image"], "--no-pauses"};
  EXPECT_EQ(box.Ok(dl).Rows().at(0), (std::vector<std::string>{"patient", "DEMO-001"}));
  onlyNewer("DEMO-001");
  EXPECT_EQ(box.Run(dl).Rows().at(1), (std::vector<std::string>{"inserted", "0"}));

  // The clinic meter: the clinic patients by name, two of a number nobody has, no voided one.
  auto r = box.Ok({"clinic-download", "--meter-image", clinic, "--serial",
                   serials["clinic-image"], "--no-pauses"});
  std::map<std::string, int> names;
  for (const auto& row : r.Rows())
    if (row.size() == 4) ++names[row[0] + " " + row[1]];
  EXPECT_GT(names["002 Peter Novak"], 0);
  EXPECT_GT(names["007 Maria Rossi"], 0);
  EXPECT_EQ(names["099 "], 2);
  EXPECT_EQ(names.size(), 3u);
  for (const std::string id : {"DEMO-002", "DEMO-003"}) onlyNewer(id);
}

}  // namespace
}  // namespace meridane::test
