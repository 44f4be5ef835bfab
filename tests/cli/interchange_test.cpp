// import-csv and export-fhir from the command line, end to end.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

TEST(CliInterchange, OwnExportImportedIntoAFreshPatientListsTheSameReadings) {
  CliSandbox box;
  ASSERT_EQ(box.Run({"--yes", "patient", "add", "--name", "Ann", "--id", "A1"}).status, 0);
  ASSERT_EQ(box.Run({"--yes", "patient", "add", "--name", "Fresh", "--id", "F1"}).status, 0);
  const std::string lines =
      "2024-03-02 07:10\t130\n2024-03-01 08:00\t120\n2024-03-01 12:30\t95\n2024-03-03 23:40\t210\n";
  ASSERT_EQ(box.Run({"readings", "add", "A1", "--file", box.WriteFile("r.txt", lines)}).status, 0);
  const std::string csv = box.root() + "/ann.csv";
  ASSERT_EQ(box.Run(WithYear({"export-csv", "--name", "Ann"}, csv)).status, 0);

  CliResult dry = box.Run({"import-csv", "F1", csv, "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.Rows(), (std::vector<std::vector<std::string>>{
                            {"to file", "4"}, {"duplicates", "0"}, {"refused", "0"}}));
  EXPECT_TRUE(box.Run({"readings", "list", "F1"}).out.empty());

  CliResult r = box.Run({"import-csv", "F1", csv});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows()[0], (std::vector<std::string>{"filed", "4"}));
  EXPECT_EQ(box.Run({"readings", "list", "F1"}).out, box.Run({"readings", "list", "A1"}).out);
  r = box.Run({"import-csv", "F1", csv});
  EXPECT_EQ(r.Rows()[1], (std::vector<std::string>{"duplicates", "4"}));
}

TEST(CliInterchange, PlainMmolFileAndAskedDateOrder) {
  CliSandbox box;
  ASSERT_EQ(box.Run({"--yes", "patient", "add", "--name", "Bo", "--id", "B1"}).status, 0);
  const std::string plain = box.WriteFile(
      "meter.csv", "Datum;Zeit;Glukose mmol/L\n03.04.2024;07:45;5,6\n03.04.2024;19:00;7,25\n"
                   "03.04.2024;21:00;41,0\n");
  CliResult r = box.Run({"import-csv", "B1", plain});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--date-order"), std::string::npos) << r.err;
  EXPECT_TRUE(box.Run({"readings", "list", "B1"}).out.empty());

  r = box.Run({"import-csv", "B1", plain, "--date-order", "dmy"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("line 4: refused: value outside 20-600"), std::string::npos) << r.err;
  auto rows = box.Run({"readings", "list", "B1"}).Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1] + " " + rows[0][2], "2024-04-03 07:45 101");
  EXPECT_EQ(rows[1][1] + " " + rows[1][2], "2024-04-03 19:00 131");
}

TEST(CliInterchange, FhirExportCountsTheObservationsOfThePeriod) {
  CliSandbox box;
  ASSERT_EQ(box.Run({"--yes", "patient", "add", "--name", "Cy", "--id", "C1"}).status, 0);
  ASSERT_EQ(box.Run({"readings", "add", "C1", "--file",
                     box.WriteFile("r.txt", "2024-05-01 08:00\t100\n2025-01-01 08:00\t90\n")})
                .status, 0);
  const std::string out = box.root() + "/c.json";
  CliResult r = box.Run(WithYear({"export-fhir", "--name", "Cy"}, out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows()[1], (std::vector<std::string>{"observations", "1"}));
  EXPECT_EQ(nlohmann::json::parse(Slurp(out))["entry"].size(), 2u);  // patient, one reading
  EXPECT_EQ(box.Run(WithYear({"export-fhir", "--name", "Nobody"}, out)).status, 1);
}

}  // namespace
}  // namespace meridane::test
