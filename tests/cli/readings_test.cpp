// End-to-end: meridane-cli readings add/list/detail and demo.
#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

using Row = std::vector<std::string>;

class CliReadings : public ::testing::Test {
 protected:
  CliSandbox box;
  const std::string id = "A 1-é";
  void SetUp() override { box.AddPatient("Ann", id); }
  CliResult Add(const std::string& at, const std::string& value, const std::string& mark = "0") {
    return box.Run({"readings", "add", id, "--at", at, "--value", value, "--mark", mark});
  }
  CliResult AddFile(const std::string& text) {
    return box.Run({"readings", "add", id, "--file", box.WriteFile("r.txt", text)});
  }
  CliResult Detail(const std::string& idx, const std::string& json) {
    return box.Run({"readings", "detail", id, idx, "--json", box.WriteFile("d.json", json)});
  }
};

TEST_F(CliReadings, NothingIsFiledTwiceAndABadFileFilesNothing) {
  ASSERT_EQ(Add("2026-02-01 07:00", "120").status, 0);
  auto r = Add("2026-02-01 07:00", "120");
  EXPECT_EQ(r.out, "");  // a stored reading again is reported, not filed
  EXPECT_NE(r.err.find("2026-02-01 07:00"), std::string::npos);
  ASSERT_EQ(Add("2026-02-01 07:00", "121").status, 0);  // same time, other value: a reading
  r = AddFile("2026-02-01 07:00\t120\n2026-02-02 07:00\t130\r\n\n2026-02-02 07:00\t130\n"
              "2026-02-03 07:00\t140\t1\n");
  EXPECT_EQ(r.Rows().size(), 2u) << r.err;
  EXPECT_EQ(Listed(box, id).size(), 4u);

  for (const char* bad : {"2026-02-05 07:00\tabc", "2026-02-31 07:00\t150", "2026-02-05 07:00\t150\t2",
                          "2026-02-05 07:00 150", "2026-02-05 07:00\t-5"}) {
    r = AddFile(std::string("2026-02-04 07:00\t150\n") + bad + "\n");
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("r.txt:2"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Listed(box, id).size(), 4u);
  EXPECT_EQ(box.Run({"readings", "add", id, "--value", "100"}).status, 2);
  EXPECT_EQ(Add("2026-02-09 07:00", "100", "2").status, 2);
  EXPECT_TRUE(Exited(box.Run({"readings", "add", "NOPE", "--at", "2026-02-09 07:00", "--value", "1"}),
                     1, "This user's ID is NOT existed.\n"));
  EXPECT_TRUE(Exited(box.Run({"readings", "list", "NOPE"}), 1, "This user's ID is NOT existed.\n"));
}

TEST_F(CliReadings, DetailIsSavedWithSlotAndMarkAndSurvivesAgain) {
  ASSERT_EQ(Add("2026-03-01 07:30", "120", "1").status, 0);  // slot 1, mark 1
  ASSERT_EQ(Add("2026-03-01 10:00", "180", "0").status, 0);  // slot 2, mark 0
  box.Ok({"readings", "detail", id, "1", "--json", box.WriteFile("d.json",
          R"({"comment": "it's O'Brien's cake", "carbs": 80, "commentOptions": 545, "slot": 3})")});
  auto j = box.Run({"readings", "list", id, "--json"}).Json();
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["slot"], 3);  // moved by the editor's slot list
  EXPECT_EQ(j[0]["mark"], 2);  // and fixed from now on
  EXPECT_EQ(j[0]["detail"]["comment"], "it's O'Brien's cake");
  EXPECT_EQ(j[0]["detail"]["type"], -1);
  EXPECT_FALSE(j[1].contains("detail"));

  // A second save keeps the text; the slot can no longer move.
  ASSERT_EQ(Detail("1", R"({"fats": 12})").status, 0);
  j = box.Run({"readings", "list", id, "--json"}).Json();
  EXPECT_EQ(j[0]["detail"]["comment"], "it's O'Brien's cake");
  EXPECT_EQ(j[0]["detail"]["fats"], 12);
  EXPECT_TRUE(Exited(Detail("1", R"({"slot": 5})"), 1,
                     "The slot of this reading can no longer be changed.\n"));
  EXPECT_TRUE(Exited(Detail("2", R"({"oralAmount": 1.5})"), 1, "Please enter an integer.\n"));
  EXPECT_EQ(Detail("99", R"({"comment": "x"})").status, 1);
  EXPECT_EQ(Listed(box, id)[1], (Row{"2", "2026-03-01 10:00", "180", "2", "0", "-1"}));
}

TEST(CliDemo, LeavesARealPatientWithADemoIdAlone) {
  CliSandbox box;
  box.AddPatient("Real Person", "DEMO-002");
  box.Ok({"demo"});
  EXPECT_EQ(box.Run({"readings", "list", "DEMO-002"}).out, "");
  EXPECT_EQ(box.Run({"patient", "show", "DEMO-002", "--json"}).Json()["fullName"], "Real Person");
}

}  // namespace
}  // namespace meridane::test
