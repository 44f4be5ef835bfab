// download and clinic-download from the command line, with the emulated meter, checked
// through what readings list and patient list show afterwards.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "support/meter_images.h"

namespace meridane::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

MeterRecord R(int gluco, int month, int day, int hour, int minute, int mark = 0, int no = 0,
              bool isVoid = false) {
  return MeterRecord{gluco, 2024, month, day, hour, minute, mark, no, isVoid};
}

constexpr const char* kSchedule = R"({"WorkingDateSchedule": {
  "preMealA": "07:30", "postMealA": "10:00", "preMealB": "12:30", "postMealB": "15:00",
  "preMealC": "18:00", "postMealC": "21:00", "night": "23:30"}})";

TEST(CliDownload, ReadingsListShowsTheImagesReadingsFiledByThePatientsSchedule) {
  CliSandbox box;
  auto r = box.Run({"--yes", "patient", "add", "--name", "Ann Lee", "--id", "A1", "--meter-sn",
                    "MK72000001", "--profile", box.WriteFile("p.json", kSchedule)});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string image = box.WriteFile(
      "meter.bin", ImageText({
                       R(101, 3, 4, 7, 0),      // before meal A
                       R(102, 3, 4, 8, 0, 1),   // meal A, marked
                       R(103, 13, 4, 9, 0),     // month 13
                       R(104, 3, 4, 13, 0),     // meal B
                       R(102, 3, 4, 8, 0, 1),   // twice
                       R(105, 3, 4, 16, 0),     // after meal B
                       R(106, 3, 4, 22, 0, 1),  // after meal C
                   }));
  const std::vector<std::string> dl{"download", "--meter-image", image, "--serial", "MK72000001",
                                    "--no-pauses"};
  r = box.Run(dl);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (Rows{{"patient", "A1"}, {"inserted", "5"}, {"skipped", "1"}}));

  r = box.Run({"readings", "list", "A1"});
  ASSERT_EQ(r.status, 0) << r.err;
  Rows rows = r.Rows();
  for (auto& row : rows) row.erase(row.begin());  // idx is the database's
  EXPECT_EQ(rows, (Rows{{"2024-03-04 07:00", "101", "7", "2", "-1"},
                        {"2024-03-04 08:00", "102", "1", "1", "-1"},
                        {"2024-03-04 13:00", "104", "3", "2", "-1"},
                        {"2024-03-04 16:00", "105", "4", "0", "-1"},
                        {"2024-03-04 22:00", "106", "6", "2", "-1"}}));

  // The same meter again files nothing and says only that month 13 was skipped.
  r = box.Run(dl);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (Rows{{"patient", "A1"}, {"inserted", "0"}, {"skipped", "1"}}));
  EXPECT_EQ(r.err, "1 damaged meter records were skipped and not filed.\n");
}

TEST(CliDownload, UnknownSerialAsksAndCreatesThePatientOnlyWhenTold) {
  CliSandbox box;
  const std::string image = box.WriteFile(
      "meter.bin", ImageText({R(150, 5, 6, 8, 15), R(151, 5, 6, 9, 15)}));
  std::vector<std::string> dl{"download", "--meter-image", image, "--serial", "TR35000009",
                              "--family", "tr35", "--no-pauses"};

  auto r = box.Run(dl);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("This serial number doesn't exist. Please maintain the user profile."),
            std::string::npos)
      << r.err;
  EXPECT_EQ(box.Run({"patient", "list"}).out, "");
  dl.insert(dl.begin(), "--yes");
  dl.insert(dl.end(), {"--name", "Nia New", "--new-id", "N1"});
  r = box.Run(dl);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (Rows{{"patient", "N1"}, {"inserted", "2"}}));
  Rows patients = box.Run({"patient", "list"}).Rows();
  ASSERT_EQ(patients.size(), 1u);
  EXPECT_EQ(patients[0][0], "N1");
  EXPECT_EQ(patients[0].back(), "TR35000009");
  EXPECT_EQ(box.Run({"readings", "list", "N1"}).Rows().size(), 2u);
}

TEST(CliDownload, ClinicDownloadListsThenFilesByMedicalRecordNumber) {
  CliSandbox box;
  ASSERT_EQ(box.Run({"--yes", "patient", "add", "--name", "Pat", "--id", "P5", "--medical-no", "5"})
                .status,
            0);
  const std::string image = box.WriteFile(
      "clinic.bin", ImageText({R(650, 6, 1, 8, 0, 0, 5), R(15, 6, 1, 13, 5, 0, 5),
                               R(99, 6, 1, 9, 0, 0, 77), R(100, 6, 1, 10, 0, 0, 5, true)},
                              true));
  const std::vector<std::string> cd{"clinic-download", "--meter-image", image, "--serial",
                                    "VXACLINIC1", "--no-pauses"};
  auto r = box.Run(cd);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (Rows{{"005", "Pat", "HI", "06/01/2024  08:00 am"},
                            {"005", "Pat", "LO", "06/01/2024  01:05 pm"},
                            {"077", "", "99", "06/01/2024  09:00 am"},
                            {"inserted", "2"},
                            {"unassigned", "1"}}));
  EXPECT_EQ(box.Run({"readings", "list", "P5"}).Rows().size(), 2u);
  r = box.Run(cd);
  EXPECT_EQ(r.Rows().at(3), (std::vector<std::string>{"inserted", "0"}));
  EXPECT_EQ(box.Run({"readings", "list", "P5"}).Rows().size(), 2u);
}

// Readings of one patient keyed by date and value, as `readings list` shows them.
std::set<std::pair<std::string, std::string>> Listed(CliSandbox& box, const std::string& id) {
  std::set<std::pair<std::string, std::string>> out;
  for (const auto& row : box.Run({"readings", "list", id}).Rows()) out.insert({row[1], row[2]});
  return out;
}

TEST(CliDemo, MeterImagesHoldOnlyTheDemoPatientsNewestReadingsAsNew) {
  CliSandbox box;
  const std::string personal = box.root() + "/personal.img", clinic = box.root() + "/clinic.img";
  auto r = box.Run({"demo", "--personal-image", personal, "--clinic-image", clinic});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string serial, clinicSerial;
  for (const auto& row : r.Rows()) {
    if (row[0] == "personal-image") serial = row.at(2);
    if (row[0] == "clinic-image") clinicSerial = row.at(2);
  }
  ASSERT_EQ(serial.size(), 10u);
  ASSERT_EQ(clinicSerial.size(), 10u);

  // The personal meter belongs to a demo patient; what it adds is newer than the book.
  const std::vector<std::string> ids{"DEMO-001", "DEMO-002", "DEMO-003"};
  std::map<std::string, std::set<std::pair<std::string, std::string>>> before;
  for (const auto& id : ids) before[id] = Listed(box, id);
  const std::vector<std::string> dl{"download", "--meter-image", personal, "--serial", serial,
                                    "--no-pauses"};
  r = box.Run(dl);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.Rows().at(0), (std::vector<std::string>{"patient", "DEMO-001"}));
  const int inserted = std::stoi(r.Rows().at(1).at(1));
  EXPECT_GT(inserted, 0);
  auto after = Listed(box, "DEMO-001");
  EXPECT_EQ(after.size(), before["DEMO-001"].size() + inserted);
  for (const auto& reading : after) {
    if (!before["DEMO-001"].count(reading)) {
      EXPECT_GT(reading.first, before["DEMO-001"].rbegin()->first);
    }
  }
  EXPECT_EQ(box.Run(dl).Rows().at(1), (std::vector<std::string>{"inserted", "0"}));

  // The clinic meter: the clinic patients' readings by name, two of a number nobody has,
  // the voided one never listed; filed, they too are only the newest days.
  r = box.Run({"clinic-download", "--meter-image", clinic, "--serial", clinicSerial, "--no-pauses"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::map<std::string, int> names;
  for (const auto& row : r.Rows())
    if (row.size() == 4) ++names[row[0] + " " + row[1]];
  EXPECT_GT(names["002 Peter Novak"], 0);
  EXPECT_GT(names["007 Maria Rossi"], 0);
  EXPECT_EQ(names["099 "], 2);
  EXPECT_EQ(names.size(), 3u);
  EXPECT_EQ(r.Rows().back(), (std::vector<std::string>{"unassigned", "2"}));
  for (const std::string id : {"DEMO-002", "DEMO-003"}) {
    SCOPED_TRACE(id);
    auto now = Listed(box, id);
    EXPECT_GT(now.size(), before[id].size());
    for (const auto& reading : now) {
      if (!before[id].count(reading)) {
        EXPECT_GT(reading.first, before[id].rbegin()->first);
      }
    }
  }
}

}  // namespace
}  // namespace meridane::test
