// End-to-end: meridane-cli init and patient add/edit/show/list/delete.
#include <filesystem>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

class CliPatients : public ::testing::Test {
 protected:
  CliSandbox box;

  CliResult AddAnn(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"patient", "add", "--name", "Ann Lee", "--id", "A1",
                                  "--medical-no", "7", "--yes"};
    args.insert(args.end(), extra.begin(), extra.end());
    return box.Run(args);
  }
  nlohmann::json Show(const std::string& id) {
    return box.Run({"patient", "show", id, "--json"}).Json();
  }
  size_t PatientCount() { return box.Run({"patient", "list"}).Rows().size(); }
};

TEST_F(CliPatients, EveryCommandFirstMakesFolderAndDatabase) {
  auto r = box.RunWithoutDataDir({"init"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, box.root() + "/MeridData_Pro/Patients.db\n");
  EXPECT_TRUE(std::filesystem::exists(box.root() + "/MeridData_Pro/Patients.db"));

  // Not only init: any command creates folder and schema before it runs.
  EXPECT_FALSE(std::filesystem::exists(box.databasePath()));
  r = box.Run({"patient", "list"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(std::filesystem::exists(box.databasePath()));
  EXPECT_EQ(box.Run({"init"}).out, box.databasePath() + "\n");
}

TEST_F(CliPatients, AddAsksFirstAndSavesOnlyOnYes) {
  EXPECT_TRUE(Exited(box.Run({"patient", "add", "--name", "Ann Lee", "--id", "A1", "--medical-no", "7"}),
                     1, "Are you sure to save a new patient Ann Lee(007)?\n"));
  EXPECT_TRUE(Exited(box.Run({"patient", "add", "--name", "Bo", "--id", "B2"}), 1,
                     "Are you sure to save a new patient Bo(---)?\n"));
  EXPECT_EQ(box.Run({"patient", "add", "--name", "Bo", "--id", "B2", "--no"}).status, 1);
  EXPECT_EQ(PatientCount(), 0u);

  ASSERT_EQ(AddAnn({"--address", "O'Brien Street 4", "--female", "--birth", "1980-02-29"}).status,
            0);
  auto rows = box.Run({"patient", "list"}).Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"A1", "Ann Lee", "007", ""}));
  auto j = Show("A1");
  EXPECT_EQ(j["address"], "O'Brien Street 4");
  EXPECT_EQ(j["gender"], 1);
  EXPECT_EQ(j["birth"], "1980-02-29");
  // Saved without a profile: a Patient row only, every section flag clear.
  for (const char* flag : {"scheduleEnable", "workEnable", "medicationEnable", "regimenEnable",
                           "complicationsEnable", "healthRecordEnable", "inquiryEnable"})
    EXPECT_EQ(j[flag], false) << flag;
  EXPECT_FALSE(j.contains("HealthRecord"));
}

TEST_F(CliPatients, FormRulesRefuseWithTheWindowsMessages) {
  EXPECT_TRUE(Exited(box.Run({"patient", "add", "--name", "", "--id", "A1", "--yes"}), 1,
                     "* item is required\n"));
  // OK/Cancel messages: the text reaches stderr whether answered or not.
  for (const char* answer : {"--yes", "--no"})
    EXPECT_TRUE(Exited(box.Run({"patient", "add", "--name", "Ann O'Neil", "--id", "A1", answer}), 1,
                       "* item cannot contain ' character.\n"));
  ASSERT_EQ(AddAnn().status, 0);
  EXPECT_TRUE(Exited(box.Run({"patient", "add", "--name", "Someone Else", "--id", "A1", "--yes"}),
                     1, "The ID exists.\n"));
  EXPECT_EQ(PatientCount(), 1u);
}

TEST_F(CliPatients, BadUsageIsStatusTwoAndWritesNothing) {
  const std::vector<std::vector<std::string>> bad = {
      {"patient", "add", "--name", "Ann", "--yes"},                                // no --id
      {"patient", "add", "--name", "Ann", "--id", "A1", "--birth", "1980-02-30", "--yes"},
      {"patient", "add", "--name", std::string(31, 'x'), "--id", "A1", "--yes"},  // too long
      {"patient", "add", "--name", "Ann", "--id", "ABCDEFGHIJKLM", "--yes"},
      {"patient", "add", "--name", "Ann", "--id", "A1", "--female", "--male", "--yes"},
      {"patient", "frobnicate"},
      {"patient", "add", "--name", "Ann", "--id", "A1", "--yes", "--no"},
  };
  for (const auto& args : bad) {
    auto r = box.Run(args);
    EXPECT_EQ(r.status, 2) << args.back() << "\n" << r.err;
  }
  for (const char* json : {"{not json", R"({"Hobbies": {}})", R"({"HealthRecord": {"glucoUnitt": 1}})",
                           R"({"HealthRecord": {"glucoUnit": "mg"}})",
                           R"({"WorkingDateSchedule": {"preMealA": "25:00"}})"})
    EXPECT_EQ(box.Run({"patient", "add", "--name", "Ann", "--id", "A1", "--yes", "--profile",
                       box.WriteFile("p.json", json)}).status, 2) << json;
  EXPECT_EQ(box.Run({"patient", "add", "--name", "Ann", "--id", "A1", "--yes", "--profile",
                     box.root() + "/missing.json"}).status, 2);
  EXPECT_EQ(PatientCount(), 0u);
}

TEST_F(CliPatients, ProfileSectionsAreStoredAndShownByColumnName) {
  std::string file = box.WriteFile("profile.json", R"({
    "timeUnit": true, "mealEnable": true,
    "WorkingDateSchedule": {"preMealA": "07:00", "postMealA": "09:30:00"},
    "NonWorkingDateSchedule": {"nonWorkingDay": 65, "preMealA": "09:00", "postMealA": "11:00",
      "preMealB": "13:00", "postMealB": "15:00", "preMealC": "18:00", "postMealC": "20:30",
      "night": "23:30"},
    "Medications": {"insulin": 18, "insulin1": "Humalog's", "insulin1Check": 1},
    "Regimen": {"activeRegimen": 0, "r1Name": "Plan A", "r1Date": "2025-01-05", "r1M1U1": 6.5,
      "r1M1T1": "Rapid"},
    "HealthRecord": {"glucoUnit": 0, "preMealLow": 4, "preMealHigh": 7, "postMealLow": 5,
      "postMealHigh": 10, "hypoglycemic": 3},
    "Inquiry": {"comment": "Mrs O'Hara's note", "special": true}
  })");
  ASSERT_EQ(AddAnn({"--profile", file}).status, 0);
  auto j = Show("A1");
  EXPECT_EQ(j["timeUnit"], true);
  EXPECT_EQ(j["mealEnable"], true);
  EXPECT_EQ(j["workEnable"], true);  // a non-working schedule given is one to use
  EXPECT_EQ(j["WorkingDateSchedule"]["preMealA"], "07:00:00");
  EXPECT_EQ(j["WorkingDateSchedule"]["postMealA"], "09:30:00");
  EXPECT_EQ(j["WorkingDateSchedule"]["night"], "23:00:00");  // not given: the default
  EXPECT_EQ(j["NonWorkingDateSchedule"]["nonWorkingDay"], 65);
  EXPECT_EQ(j["Medications"]["insulin"], 18);
  EXPECT_EQ(j["Medications"]["insulin1"], "Humalog's");
  EXPECT_EQ(j["Medications"]["insulin1Check"], true);
  EXPECT_EQ(j["Medications"]["insulin2"], "Custom 2");
  EXPECT_EQ(j["Regimen"]["r1Name"], "Plan A");
  EXPECT_DOUBLE_EQ(j["Regimen"]["r1M1U1"].get<double>(), 6.5);
  EXPECT_EQ(j["Regimen"]["r2Name"], "Regimen2");
  EXPECT_EQ(j["HealthRecord"]["glucoUnit"], 0);
  EXPECT_DOUBLE_EQ(j["HealthRecord"]["preMealHigh"].get<double>(), 7.0);
  EXPECT_EQ(j["Inquiry"]["comment"], "Mrs O'Hara's note");
  EXPECT_FALSE(j.contains("Complications"));
  EXPECT_EQ(j["complicationsEnable"], false);

  // A shown document goes back in as a profile unchanged: nothing differs, nothing asked.
  std::string shown = box.WriteFile("shown.json", j.dump());
  auto r = box.Run({"patient", "edit", "A1", "--profile", shown});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Show("A1"), j);
}

TEST_F(CliPatients, ProfileEditorChecksRefuseTheFile) {
  auto profile = [&](const std::string& json) {
    return box.Run({"patient", "add", "--name", "Ann", "--id", "A1", "--yes", "--profile",
                    box.WriteFile("p.json", json)});
  };
  EXPECT_TRUE(Exited(profile(R"({"WorkingDateSchedule": {"preMealA": "10:00", "postMealA": "09:00"}})"),
                     1, "Time blocks setting error.\nPlease kindly modify your setting and save again.\n"));
  EXPECT_TRUE(Exited(profile(R"({"HealthRecord": {"preMealLow": 70, "preMealHigh": 130, "postMealLow": 70,
                 "postMealHigh": 180, "hypoglycemic": 71}})"), 1, "The setting of Hypoglycemic is error.\n"));
  EXPECT_EQ(profile(R"({"Regimen": {"r3M2U2": 251}})").status, 1);
  EXPECT_EQ(PatientCount(), 0u);
}

TEST_F(CliPatients, EditAsksOnlyWhenSomethingChangedAndKeepsSections) {
  EXPECT_TRUE(Exited(box.Run({"patient", "edit", "NOPE", "--phone", "1"}), 1,
                     "This user's ID is NOT existed.\n"));

  std::string file = box.WriteFile(
      "p.json", R"({"HealthRecord": {"glucoUnit": 0}, "Inquiry": {"note": "keep me"}})");
  ASSERT_EQ(AddAnn({"--profile", file}).status, 0);
  auto before = Show("A1");

  // No change: closes silently, no question.
  EXPECT_TRUE(Exited(box.Run({"patient", "edit", "A1"}), 0, ""));
  EXPECT_TRUE(Exited(box.Run({"patient", "edit", "A1", "--phone", "555-0101"}), 1,
                     "Ann Lee(007) data is changed, Do you want to save it?\n"));
  EXPECT_EQ(box.Run({"patient", "edit", "A1", "--phone", "555-0101", "--no"}).status, 1);
  EXPECT_EQ(Show("A1"), before);

  ASSERT_EQ(box.Run({"patient", "edit", "A1", "--phone", "555-0101", "--yes"}).status, 0);
  auto after = Show("A1");
  EXPECT_EQ(after["phone"], "555-0101");
  // Sections the edit did not touch are kept as stored.
  EXPECT_EQ(after["HealthRecord"], before["HealthRecord"]);
  EXPECT_EQ(after["Inquiry"], before["Inquiry"]);

  // A file with one section changes that section only.
  std::string one = box.WriteFile("one.json", R"({"Complications": {"complications": 9}})");
  ASSERT_EQ(box.Run({"patient", "edit", "A1", "--profile", one, "--yes"}).status, 0);
  after = Show("A1");
  EXPECT_EQ(after["Complications"]["complications"], 9);
  EXPECT_EQ(after["Inquiry"]["note"], "keep me");
  EXPECT_EQ(after["HealthRecord"]["glucoUnit"], 0);
}

TEST_F(CliPatients, DeleteAsksThenRemovesPatientAndReadings) {
  ASSERT_EQ(AddAnn().status, 0);
  ASSERT_EQ(box.Run({"readings", "add", "A1", "--at", "2026-01-02 08:00", "--value", "120"}).status,
            0);
  EXPECT_TRUE(Exited(box.Run({"patient", "delete", "A1"}), 1, "Do you wanna to delete A1 from the PC?\n"));
  EXPECT_EQ(box.Run({"patient", "delete", "A1", "--no"}).status, 1);
  EXPECT_EQ(PatientCount(), 1u);

  EXPECT_EQ(box.Run({"patient", "delete", "A1", "--yes"}).status, 0);
  EXPECT_EQ(PatientCount(), 0u);
  EXPECT_TRUE(Exited(box.Run({"patient", "show", "A1", "--json"}), 1,
                     "This user's ID is NOT existed.\n"));
  EXPECT_EQ(box.Run({"patient", "delete", "A1", "--yes"}).status, 1);

  // The same ID again starts from an empty readings table.
  ASSERT_EQ(AddAnn().status, 0);
  EXPECT_EQ(box.Run({"readings", "list", "A1"}).out, "");
}

}  // namespace
}  // namespace meridane::test
