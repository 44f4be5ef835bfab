// End to end: `report` and `quick-view` against a database filled through the CLI itself.
#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

class CliReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.AddPatient("Ann Lee", "A1", {"--medical-no", "7", "--profile", box_.WriteFile("p.json", R"({
      "timeUnit": true, "HealthRecord": {"glucoUnit": 0, "preMealHigh": 7.2, "preMealLow": 3.9,
        "postMealHigh": 10.0, "postMealLow": 3.9, "hypoglycemic": 3, "hbA1C": 6.5}})")});
    box_.AddPatient("Bob Ray", "B1");
    box_.Ok({"readings", "add", "A1", "--file",
             box_.WriteFile("a.txt", "2026-03-02 23:59\t90\n2026-03-03 07:00\t100\t1\n"
                                     "2026-03-10 07:30\t129\t1\n2026-03-10 12:00\t650\t0\n"
                                     "2026-03-10 21:00\t50\n")});
    box_.Ok({"readings", "add", "B1", "--at", "2026-03-05 07:00", "--value", "140", "--mark", "1"});
  }
  CliSandbox box_;
};

// The figures are the reports library's; here the period the options give, the JSON shape
// and the refusals.
TEST_F(CliReportTest, JsonShapesPeriodsAndRefusals) {
  auto j = box_.Ok({"report", "A1", "--type", "0", "--latest", "7", "--json"}).Json();
  // Seven days back from the newest reading's day: eight calendar days.
  EXPECT_EQ(j["period"], (nlohmann::json{{"from", "2026-03-03"}, {"to", "2026-03-10"}}));
  EXPECT_EQ(j["unitCaption"], "Unit of Measurement : mmol/L");
  EXPECT_EQ(j["readingRows"], 4);
  EXPECT_EQ(j["rows"][0][0], "03/10/2026  21:00");
  for (const char* key : {"row", "column", "color", "background"})
    EXPECT_TRUE(j["cellStyles"][0].contains(key)) << key;
  // The day before the default period counts when the period is given.
  j = box_.Ok({"report", "A1", "--type", "6", "--from", "2026-03-01", "--to", "2026-03-10",
               "--json"}).Json();
  EXPECT_EQ(j["bars"][1]["count"], 1);
  EXPECT_TRUE(Exited(
      box_.Run({"report", "A1", "--type", "0", "--from", "2026-03-10", "--to", "2026-03-01"}), 1,
      "Please make sure your Start date is earlier than End date in the Time Blocks.\n"));
  EXPECT_EQ(box_.Run({"report", "A1", "--type", "9", "--latest", "7"}).status, 2);
  EXPECT_EQ(box_.Run({"report", "A1", "--type", "0"}).status, 2);
  EXPECT_EQ(box_.Run({"report", "ZZ", "--type", "0", "--latest", "7"}).status, 1);
}

// Every type prints in both forms; what each holds is the reports library's.
TEST_F(CliReportTest, EveryTypePrintsPlainRowsAndJson) {
  for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 11}) {  // 9 and 10 are the clinic's
    std::vector<std::string> args{"report", "A1", "--type", std::to_string(type), "--latest", "30"};
    EXPECT_GT(box_.Ok(args).Rows().size(), 1u) << type;
    args.push_back("--json");
    EXPECT_TRUE(box_.Ok(args).Json().is_object()) << type;
  }
}

TEST_F(CliReportTest, QuickView) {
  const auto rows =
      box_.Ok({"quick-view", "--all", "--from", "2026-03-01", "--to", "2026-03-10"}).Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"Ann Lee", "4", "0", "0", "1", "6.5", "114", "70"}));

  const auto j = box_.Ok({"quick-view", "--name", "Bob Ray", "--from", "2026-03-01", "--to",
                          "2026-03-10", "--json"}).Json();
  ASSERT_EQ(j["rows"].size(), 1u);
  EXPECT_EQ(j["columns"][2], "%Below Target");
  EXPECT_TRUE(box_.Run({"quick-view", "--special", "--from", "2026-03-01", "--to", "2026-03-10"})
                  .out.empty());
  EXPECT_EQ(box_.Run({"quick-view", "--from", "2026-03-01", "--to", "2026-03-10"}).status, 2);
}

}  // namespace
}  // namespace meridane::test
