// export-csv, archive, retrieve and import from the command line: what each prints and the
// patients it picks. What a merge makes of a book is the output library's (tests/output).
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

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
  const std::string text = Slurp(csv);
  EXPECT_NE(text.find("\r\n\"Patinet Name:Hara, Ann\"\r\n"), std::string::npos);
  EXPECT_NE(text.find(",03/02/2024,09:15 am,HI,\r\n"), std::string::npos);

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
  CliResult r = box.Run(WithYear({"export-csv", "--name", "Ann"}, box.root() + "/caf\xC3\xA9.db"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Cannot save data in a illegal file path."), std::string::npos);
  EXPECT_EQ(box.Run(WithYear({"retrieve", "--all"}, box.root() + "/none.db")).status, 1);
  EXPECT_FALSE(std::filesystem::exists(box.root() + "/none.db"));
  EXPECT_EQ(box.Run(WithYear({"archive"}, box.root() + "/x.db")).status, 2);
  EXPECT_EQ(box.Run({"import", "--name", "Ann", "--from", "2024-13-01", "--to", "2024-12-31",
                     box.root() + "/x.db"}).status, 2);
}

}  // namespace
}  // namespace meridane::test
