// End-to-end: meridane-cli init and patient add/edit/show/list/delete.
#include <map>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

// Each JSON pointer's value; null: the field is absent.
void ExpectFields(const nlohmann::json& j, const std::map<std::string, nlohmann::json>& want) {
  for (const auto& [pointer, value] : want)
    EXPECT_EQ(j.value(nlohmann::json::json_pointer(pointer), nlohmann::json()), value) << pointer;
}

class CliPatients : public ::testing::Test {
 protected:
  CliSandbox box;
  CliResult Add(std::vector<std::string> args) {
    args.insert(args.begin(), {"patient", "add"});
    return box.Run(args);
  }
  void AddAnn(std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--medical-no", "7"});
    box.AddPatient("Ann Lee", "A1", extra);
  }
  nlohmann::json Show(const std::string& id) {
    return box.Run({"patient", "show", id, "--json"}).Json();
  }
};

// Every refusal of `patient add`: its status and the program's own message.
TEST_F(CliPatients, AddRefusesWithTheWindowsMessagesAndWritesNothing) {
  const std::string name = "--name", id = "--id";
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;  // nullptr: any message
  } cases[] = {
      {{name, "Ann Lee", id, "A1", "--medical-no", "7"}, 1,
       "Are you sure to save a new patient Ann Lee(007)?\n"},
      {{name, "Bo", id, "B2"}, 1, "Are you sure to save a new patient Bo(---)?\n"},
      {{name, "", id, "A1", "--yes"}, 1, "* item is required\n"},
      {{name, "Ann O'Neil", id, "A1", "--no"}, 1, "* item cannot contain ' character.\n"},
      {{name, "Ann", id, "A1", "--yes", "--profile",
        box.WriteFile("p.json",
                      R"({"WorkingDateSchedule": {"preMealA": "10:00", "postMealA": "09:00"}})")},
       1, "Time blocks setting error.\nPlease kindly modify your setting and save again.\n"},
      // Bad usage is status 2.
      {{name, "Ann", "--yes"}, 2, nullptr},
      {{name, "Ann", id, "A1", "--birth", "1980-02-30", "--yes"}, 2, nullptr},
      {{name, std::string(31, 'x'), id, "A1", "--yes"}, 2, nullptr},
      {{name, "Ann", id, "ABCDEFGHIJKLM", "--yes"}, 2, nullptr},
      {{name, "Ann", id, "A1", "--female", "--male", "--yes"}, 2, nullptr},
      {{name, "Ann", id, "A1", "--yes", "--no"}, 2, nullptr},
      {{name, "Ann", id, "A1", "--yes", "--profile", box.root() + "/missing.json"}, 2, nullptr},
  };
  for (const auto& c : cases) {
    auto r = Add(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << "\n" << r.err;
    if (c.err) {
      EXPECT_EQ(r.err, c.err);
    }
  }
  for (const char* bad : {"{not json", R"({"Hobbies": {}})", R"({"HealthRecord": {"glucoUnitt": 1}})",
                          R"({"HealthRecord": {"glucoUnit": "mg"}})",
                          R"({"WorkingDateSchedule": {"preMealA": "25:00"}})"})
    EXPECT_EQ(Add({name, "Ann", id, "A1", "--yes", "--profile", box.WriteFile("p.json", bad)}).status,
              2) << bad;
  EXPECT_EQ(box.Run({"patient", "frobnicate"}).status, 2);
  EXPECT_EQ(box.Run({"patient", "list"}).out, "");

  AddAnn({"--address", "O'Brien Street 4", "--female", "--birth", "1980-02-29"});
  EXPECT_TRUE(Exited(Add({name, "Someone Else", id, "A1", "--yes"}), 1, "The ID exists.\n"));
  EXPECT_EQ(box.Run({"patient", "list"}).Rows(), (Rows{{"A1", "Ann Lee", "007", ""}}));
  // Saved without a profile: no sections.
  ExpectFields(Show("A1"), {{"/address", "O'Brien Street 4"}, {"/gender", 1},
                            {"/birth", "1980-02-29"}, {"/healthRecordEnable", false},
                            {"/HealthRecord", nullptr}});
}

TEST_F(CliPatients, ProfileSectionsAreStoredAndShownByColumnName) {
  AddAnn({"--profile", box.WriteFile("profile.json", R"({
    "timeUnit": true,
    "WorkingDateSchedule": {"preMealA": "07:00", "postMealA": "09:30:00"},
    "NonWorkingDateSchedule": {"nonWorkingDay": 65},
    "Medications": {"insulin": 18, "insulin1": "Humalog's", "insulin1Check": 1},
    "Regimen": {"r1Name": "Plan A", "r1M1U1": 6.5},
    "HealthRecord": {"glucoUnit": 0, "preMealLow": 4, "preMealHigh": 7, "postMealLow": 5,
      "postMealHigh": 10, "hypoglycemic": 3},
    "Inquiry": {"comment": "Mrs O'Hara's note"}
  })")});
  auto j = Show("A1");
  // A non-working schedule given is one to use; what is not given has its default.
  ExpectFields(j, {{"/timeUnit", true}, {"/workEnable", true},
                   {"/WorkingDateSchedule/preMealA", "07:00:00"},
                   {"/WorkingDateSchedule/night", "23:00:00"},
                   {"/Medications/insulin1", "Humalog's"}, {"/Medications/insulin2", "Custom 2"},
                   {"/Regimen/r1M1U1", 6.5}, {"/Regimen/r2Name", "Regimen2"},
                   {"/HealthRecord/preMealHigh", 7.0}, {"/Inquiry/comment", "Mrs O'Hara's note"},
                   {"/Complications", nullptr}});

  // A shown document goes back in as a profile unchanged: nothing differs, nothing asked.
  box.Ok({"patient", "edit", "A1", "--profile", box.WriteFile("shown.json", j.dump())});
  EXPECT_EQ(Show("A1"), j);
}

TEST_F(CliPatients, EditAsksOnlyWhenSomethingChangedAndKeepsSections) {
  EXPECT_TRUE(Exited(box.Run({"patient", "edit", "NOPE", "--phone", "1"}), 1,
                     "This user's ID is NOT existed.\n"));
  AddAnn({"--profile", box.WriteFile("p.json", R"({"HealthRecord": {"glucoUnit": 0},
                                                  "Inquiry": {"note": "keep me"}})")});
  auto before = Show("A1");
  EXPECT_TRUE(Exited(box.Run({"patient", "edit", "A1"}), 0, ""));  // no change, no question
  EXPECT_TRUE(Exited(box.Run({"patient", "edit", "A1", "--phone", "555-0101"}), 1,
                     "Ann Lee(007) data is changed, Do you want to save it?\n"));
  EXPECT_EQ(box.Run({"patient", "edit", "A1", "--phone", "555-0101", "--no"}).status, 1);
  EXPECT_EQ(Show("A1"), before);

  box.Ok({"patient", "edit", "A1", "--phone", "555-0101", "--yes"});
  // A file with one section changes that section only; the others stay as stored.
  box.Ok({"patient", "edit", "A1", "--yes", "--profile",
          box.WriteFile("one.json", R"({"Complications": {"complications": 9}})")});
  ExpectFields(Show("A1"), {{"/phone", "555-0101"}, {"/Complications/complications", 9},
                            {"/HealthRecord", before["HealthRecord"]},
                            {"/Inquiry", before["Inquiry"]}});
}

TEST_F(CliPatients, DeleteAsksThenRemovesPatientAndReadings) {
  AddAnn();
  box.AddReading("A1", "2026-01-02 08:00", "120");
  EXPECT_TRUE(Exited(box.Run({"patient", "delete", "A1"}), 1,
                     "Do you wanna to delete A1 from the PC?\n"));
  EXPECT_EQ(box.Run({"patient", "delete", "A1", "--no"}).status, 1);
  EXPECT_EQ(box.Run({"patient", "list"}).Rows().size(), 1u);
  box.Ok({"patient", "delete", "A1", "--yes"});
  EXPECT_TRUE(Exited(box.Run({"patient", "show", "A1", "--json"}), 1,
                     "This user's ID is NOT existed.\n"));
  EXPECT_EQ(box.Run({"patient", "delete", "A1", "--yes"}).status, 1);
  // The same ID again starts from an empty readings table.
  AddAnn();
  EXPECT_EQ(box.Run({"readings", "list", "A1"}).out, "");
}

}  // namespace
}  // namespace meridane::test
