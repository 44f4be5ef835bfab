// End-to-end: meridane-cli readings add/list/detail and demo.
#include <set>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

using Row = std::vector<std::string>;

class CliReadings : public ::testing::Test {
 protected:
  CliSandbox box;

  void SetUp() override {
    ASSERT_EQ(box.Run({"patient", "add", "--name", "Ann", "--id", "A 1-é", "--yes"}).status, 0);
  }
  CliResult Add(const std::string& at, const std::string& value, const std::string& mark = "0") {
    return box.Run({"readings", "add", "A 1-é", "--at", at, "--value", value, "--mark", mark});
  }
  std::vector<Row> List() { return box.Run({"readings", "list", "A 1-é"}).Rows(); }
  CliResult Detail(const std::string& idx, const std::string& json) {
    return box.Run(
        {"readings", "detail", "A 1-é", idx, "--json", box.WriteFile("detail.json", json)});
  }
};

TEST_F(CliReadings, FiledWithSlotFromScheduleAndAdjustedMark) {
  // Default schedule: 06:00 before breakfast, 09:00 after, …, 23:00 night.
  const struct {
    const char* at;
    const char* mark;
    const char* slot;
    const char* storedMark;
  } cases[] = {
      {"2026-01-05 06:00", "1", "1", "1"},  // before a meal, marked: kept
      {"2026-01-05 08:59", "0", "1", "2"},  // before a meal, unmarked: disagrees
      {"2026-01-05 09:00", "0", "2", "0"},  // after a meal, unmarked: kept
      {"2026-01-05 14:30", "1", "4", "2"},  // after a meal, marked: disagrees
      {"2026-01-05 23:00", "1", "7", "2"},  // night always 2
      {"2026-01-06 05:59", "0", "7", "2"},
  };
  std::vector<Row> filed;
  for (const auto& c : cases) {
    auto r = Add(c.at, "150", c.mark);
    ASSERT_EQ(r.status, 0) << r.err;
    // idx in filing order; medicalNo -1 for a personal meter's reading.
    filed.push_back({std::to_string(filed.size() + 1), c.at, "150", c.slot, c.storedMark, "-1"});
    EXPECT_EQ(r.Rows(), std::vector<Row>{filed.back()});
  }
  EXPECT_EQ(List(), filed);  // stored as reported

  EXPECT_EQ(box.Run({"readings", "add", "A 1-é", "--at", "2026-01-05 12:00", "--value", "99",
                     "--medical-no", "7"}).Rows().at(0).at(5), "7");
}

TEST_F(CliReadings, PatientScheduleAndNonWorkingDaysDecideTheSlot) {
  std::string profile = box.WriteFile("p.json", R"({
    "WorkingDateSchedule": {"preMealA": "05:00", "postMealA": "07:00", "preMealB": "11:00",
      "postMealB": "13:00", "preMealC": "17:00", "postMealC": "19:00", "night": "22:00"},
    "NonWorkingDateSchedule": {"nonWorkingDay": 65, "preMealA": "09:00", "postMealA": "11:00",
      "preMealB": "13:00", "postMealB": "15:00", "preMealC": "18:00", "postMealC": "20:00",
      "night": "23:30"}})");
  ASSERT_EQ(box.Run({"patient", "add", "--name", "Bo", "--id", "B2", "--yes", "--profile", profile})
                .status,
            0);
  // 2026-01-09 is a Friday, 2026-01-10 a Saturday.
  std::string file = box.WriteFile("r.txt",
                                    "2026-01-09 08:00\t140\n"
                                    "2026-01-10 08:00\t141\n"
                                    "2026-01-10 10:00\t142\t1\n"
                                    "2026-01-09 22:30\t143\n");
  auto r = box.Run({"readings", "add", "B2", "--file", file});
  ASSERT_EQ(r.status, 0) << r.err;
  auto rows = box.Run({"readings", "list", "B2"}).Rows();
  ASSERT_EQ(rows.size(), 4u);
  // Sorted by time; slots from the working schedule on Friday, the weekend one on Saturday.
  EXPECT_EQ(rows[0], (Row{"1", "2026-01-09 08:00", "140", "2", "0", "-1"}));
  EXPECT_EQ(rows[1], (Row{"4", "2026-01-09 22:30", "143", "7", "2", "-1"}));
  EXPECT_EQ(rows[2], (Row{"2", "2026-01-10 08:00", "141", "7", "2", "-1"}));
  EXPECT_EQ(rows[3], (Row{"3", "2026-01-10 10:00", "142", "1", "1", "-1"}));
}

TEST_F(CliReadings, NothingIsFiledTwiceAndABadFileFilesNothing) {
  ASSERT_EQ(Add("2026-02-01 07:00", "120").status, 0);
  auto r = Add("2026-02-01 07:00", "120");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");  // a stored reading again is reported, not filed
  EXPECT_NE(r.err.find("2026-02-01 07:00"), std::string::npos);
  ASSERT_EQ(Add("2026-02-01 07:00", "121").status, 0);  // same time, other value: a reading

  std::string file = box.WriteFile("r.txt",
                                   "2026-02-01 07:00\t120\n"  // stored already
                                   "2026-02-02 07:00\t130\r\n"
                                   "\n"
                                   "2026-02-02 07:00\t130\n"  // twice in the file
                                   "2026-02-03 07:00\t140\t1\n");
  r = box.Run({"readings", "add", "A 1-é", "--file", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows().size(), 2u);
  EXPECT_EQ(List().size(), 4u);

  const char* badFiles[] = {
      "2026-02-04 07:00\t150\n2026-02-05 07:00\tabc\n",
      "2026-02-04 07:00\t150\n2026-02-31 07:00\t150\n",
      "2026-02-04 07:00\t150\n2026-02-05 07:00\t150\t2\n",
      "2026-02-04 07:00\t150\n2026-02-05 07:00 150\n",
      "2026-02-04 07:00\t150\n2026-02-05 07:00\t-5\n",
  };
  for (const char* bad : badFiles) {
    r = box.Run({"readings", "add", "A 1-é", "--file", box.WriteFile("bad.txt", bad)});
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("bad.txt:2"), std::string::npos) << r.err;
  }
  EXPECT_EQ(List().size(), 4u);

  EXPECT_EQ(box.Run({"readings", "add", "A 1-é", "--value", "100"}).status, 2);
  EXPECT_EQ(box.Run({"readings", "add", "A 1-é", "--at", "2026-02-09 07:00", "--value", "100",
                     "--mark", "2"})
                .status,
            2);
  EXPECT_TRUE(Exited(box.Run({"readings", "add", "NOPE", "--at", "2026-02-09 07:00", "--value", "100"}),
                     1, "This user's ID is NOT existed.\n"));
  EXPECT_TRUE(Exited(box.Run({"readings", "list", "NOPE"}), 1, "This user's ID is NOT existed.\n"));
}

TEST_F(CliReadings, DetailIsSavedWithSlotAndMarkAndSurvivesAgain) {
  ASSERT_EQ(Add("2026-03-01 07:30", "120", "1").status, 0);  // slot 1, mark 1
  ASSERT_EQ(Add("2026-03-01 10:00", "180", "0").status, 0);  // slot 2, mark 0

  auto r = Detail("1", R"({"comment": "it's O'Brien's cake", "carbs": 80,
                          "commentOptions": 545, "slot": 3})");
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = box.Run({"readings", "list", "A 1-é", "--json"}).Json();
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["slot"], 3);  // moved by the editor's slot list
  EXPECT_EQ(j[0]["mark"], 2);  // and fixed from now on
  const auto& d = j[0]["detail"];
  EXPECT_TRUE(d["comment"] == "it's O'Brien's cake" && d["carbs"] == 80 && d["commentOptions"] == 545 &&
              d["type"] == -1) << d;
  EXPECT_FALSE(j[1].contains("detail"));
  for (const char* key : {"idx", "glucoDate", "gluco", "slot", "mark", "medicalNo"})
    EXPECT_TRUE(j[1].contains(key)) << key;

  // A second save keeps the text; the slot can no longer move.
  ASSERT_EQ(Detail("1", R"({"fats": 12})").status, 0);
  j = box.Run({"readings", "list", "A 1-é", "--json"}).Json();
  EXPECT_EQ(j[0]["detail"]["comment"], "it's O'Brien's cake");
  EXPECT_EQ(j[0]["detail"]["fats"], 12);
  EXPECT_TRUE(Exited(Detail("1", R"({"slot": 5})"), 1,
                     "The slot of this reading can no longer be changed.\n"));
  EXPECT_EQ(List()[0][3], "3");

  EXPECT_TRUE(Exited(Detail("2", R"({"oralAmount": 1.5})"), 1, "Please enter an integer.\n"));
  EXPECT_EQ(Detail("2", R"({"insulinType": 1, "insulinAmount": 61})").status, 1);
  EXPECT_EQ(Detail("2", R"({"exerciseHour": 24})").status, 1);
  EXPECT_EQ(Detail("2", R"({"colour": 1})").status, 2);
  EXPECT_EQ(Detail("2", R"({"slot": 8})").status, 2);
  EXPECT_EQ(Detail("2", R"({"comment": ")" + std::string(41, 'x') + R"("})").status, 2);
  EXPECT_EQ(Detail("99", R"({"comment": "x"})").status, 1);
  EXPECT_EQ(List()[1], (Row{"2", "2026-03-01 10:00", "180", "2", "0", "-1"}));
}

TEST(CliDemo, FillsPlausibleDataOnceOnly) {
  CliSandbox box;
  auto r = box.Run({"demo"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto patients = box.Run({"patient", "list"}).Rows();
  ASSERT_GE(patients.size(), 3u);

  std::set<nlohmann::json> units, clocks;
  bool nonWorking = false, clinic = false;
  size_t total = 0;
  for (const auto& p : patients) {
    auto j = box.Run({"patient", "show", p[0], "--json"}).Json();
    units.insert(j.contains("HealthRecord") ? j["HealthRecord"]["glucoUnit"] : nlohmann::json(1));
    clocks.insert(j["timeUnit"]);
    nonWorking |= j["workEnable"] == true && j.contains("NonWorkingDateSchedule");
    clinic |= !p[2].empty();

    auto readings = box.Run({"readings", "list", p[0], "--json"}).Json();
    ASSERT_GT(readings.size(), 200u) << p[0];  // some months of them
    total += readings.size();
    std::set<int> slots;
    int details = 0;
    for (const auto& x : readings) {
      int g = x["gluco"];
      EXPECT_TRUE(g >= 20 && g <= 600) << g;  // no HI or LO
      slots.insert(x["slot"].get<int>());
      details += x.contains("detail");
    }
    EXPECT_EQ(slots, (std::set<int>{1, 2, 3, 4, 5, 6, 7})) << p[0];
    EXPECT_GT(details, 0) << p[0];
  }
  EXPECT_EQ(units.size(), 2u);
  EXPECT_EQ(clocks.size(), 2u);
  EXPECT_TRUE(nonWorking);
  EXPECT_TRUE(clinic);

  r = box.Run({"demo"});
  ASSERT_EQ(r.status, 0) << r.err;
  size_t again = 0;
  for (const auto& p : box.Run({"patient", "list"}).Rows())
    again += box.Run({"readings", "list", p[0]}).Rows().size();
  EXPECT_EQ(again, total);
  EXPECT_EQ(box.Run({"patient", "list"}).Rows().size(), patients.size());
}

TEST(CliDemo, LeavesARealPatientWithADemoIdAlone) {
  CliSandbox box;
  ASSERT_EQ(box.Run({"patient", "add", "--name", "Real Person", "--id", "DEMO-002", "--yes"}).status,
            0);
  ASSERT_EQ(box.Run({"demo"}).status, 0);
  EXPECT_EQ(box.Run({"readings", "list", "DEMO-002"}).out, "");
  EXPECT_EQ(box.Run({"patient", "show", "DEMO-002", "--json"}).Json()["fullName"], "Real Person");
}

}  // namespace
}  // namespace meridane::test
