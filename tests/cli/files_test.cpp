// export-csv, archive, retrieve, import, import-csv and export-fhir from the command line: what each prints and the
// patients it picks. What a merge makes of a book is the output library's (tests/output).
#include <filesystem>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

TEST(CliFiles, ExportArchiveAndMergeIntoAnotherInstallation) {
  CliSandbox home;
  home.AddPatient("Hara, Ann", "A1");
  home.AddPatient("Hara, Ann", "A2");  // a namesake
  home.AddPatient("Bob", "B2");
  home.AddReading("A1", "2024-03-01 08:00", "120");
  home.AddReading("A1", "2024-03-02 09:15", "650");
  home.AddReading("A2", "2024-03-02 09:15", "222");
  home.AddReading("B2", "2023-03-02 09:15", "99");

  // A name alone cannot say whose CSV export is meant; --id can.
  const std::string csv = home.root() + "/ann.csv";
  EXPECT_EQ(home.Run(WithYear({"export-csv", "--name", "Hara, Ann"}, csv)).status, 1);
  EXPECT_EQ(home.Ok(WithYear({"export-csv", "--name", "Hara, Ann", "--id", "A1"}, csv)).Rows(),
            (Rows{{"patients", "1"}, {"readings", "2"}}));

  const std::string book = home.root() + "/book.db";
  EXPECT_EQ(home.Ok(WithYear({"archive", "--all"}, book)).Rows(),
            (Rows{{"patients", "3"}, {"readings", "3"}}));

  CliSandbox clinic;
  EXPECT_EQ(clinic.Ok(WithYear({"retrieve", "--name", "Hara, Ann", "--name", "Bob"}, book)).Rows(),
            (Rows{{"patients", "3"}, {"added", "3"}, {"updated", "0"}}));
  EXPECT_EQ(clinic.Ok(WithYear({"import", "--name", "Hara, Ann", "--id", "A2"}, book)).Rows(),
            (Rows{{"patients", "1"}, {"added", "0"}, {"updated", "1"}}));
  EXPECT_EQ(Listed(clinic, "A1").size(), 2u);
  EXPECT_EQ(Listed(clinic, "A2").at(0).at(2), "222");
  EXPECT_EQ(clinic.Run({"patient", "list"}).Rows().size(), 3u);
}

TEST(CliFiles, RefusalsAndBadUsage) {
  CliSandbox box;
  box.AddPatient("Ann", "A1");
  const std::string illegal = box.root() + "/caf\xC3\xA9.db";
  EXPECT_TRUE(Refused(box.Run(WithYear({"export-csv", "--name", "Ann"}, illegal)),
                      "Cannot save data in a illegal file path."));
  EXPECT_EQ(box.Run(WithYear({"retrieve", "--all"}, box.root() + "/none.db")).status, 1);
  EXPECT_FALSE(std::filesystem::exists(box.root() + "/none.db"));
  EXPECT_EQ(box.Run(WithYear({"archive"}, box.root() + "/x.db")).status, 2);
  EXPECT_EQ(box.Run({"import", "--name", "Ann", "--from", "2024-13-01", "--to", "2024-12-31",
                     box.root() + "/x.db"}).status, 2);
}

TEST(CliInterchange, PlainMmolFileAskedDateOrderAndFhir) {
  CliSandbox box;
  box.AddPatient("Bo", "B1");
  const std::string plain = box.WriteFile(
      "meter.csv", "Datum;Zeit;Glukose mmol/L\n03.04.2024;07:45;5,6\n03.04.2024;19:00;7,25\n"
                   "03.04.2024;21:00;41,0\n");
  EXPECT_TRUE(Refused(box.Run({"import-csv", "B1", plain}), "--date-order"));
  EXPECT_TRUE(Listed(box, "B1").empty());
  EXPECT_EQ(box.Ok({"import-csv", "B1", plain, "--date-order", "dmy", "--dry-run"}).Rows(),
            (Rows{{"to file", "2"}, {"duplicates", "0"}, {"refused", "1"}}));
  EXPECT_TRUE(Listed(box, "B1").empty());
  CliResult r = box.Ok({"import-csv", "B1", plain, "--date-order", "dmy"});
  EXPECT_EQ(r.Rows()[0], (std::vector<std::string>{"filed", "2"}));
  EXPECT_NE(r.err.find("line 4: refused: value outside 20-600"), std::string::npos) << r.err;
  Rows rows = Listed(box, "B1");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1] + " " + rows[0][2] + " " + rows[1][1] + " " + rows[1][2],
            "2024-04-03 07:45 101 2024-04-03 19:00 131");
  EXPECT_EQ(box.Ok({"import-csv", "B1", plain, "--date-order", "dmy"}).Rows()[1],
            (std::vector<std::string>{"duplicates", "2"}));

  // FHIR: the observations of the period only.
  box.AddReading("B1", "2025-01-01 08:00", "90");
  const std::string out = box.root() + "/c.json";
  r = box.Ok(WithYear({"export-fhir", "--name", "Bo"}, out));
  EXPECT_EQ(r.Rows()[1], (std::vector<std::string>{"observations", "2"}));
  EXPECT_EQ(nlohmann::json::parse(Slurp(out))["entry"].size(), 3u);  // patient, two readings
  EXPECT_EQ(box.Run(WithYear({"export-fhir", "--name", "Nobody"}, out)).status, 1);
}

}  // namespace
}  // namespace meridane::test
