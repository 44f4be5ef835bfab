// export-csv, archive, retrieve and import from the command line, end to end between two
// installations.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

TEST(CliFiles, ExportArchiveAndMergeIntoAnotherInstallation) {
  CliSandbox home;
  const std::string name = "Hara, Ann";
  ASSERT_EQ(home.Run({"--yes", "patient", "add", "--name", name, "--id", "A1"}).status, 0);
  ASSERT_EQ(home.Run({"--yes", "patient", "add", "--name", "Bob", "--id", "B2"}).status, 0);
  ASSERT_EQ(home.Run({"readings", "add", "A1", "--at", "2024-03-01 08:00", "--value", "120"}).status, 0);
  ASSERT_EQ(home.Run({"readings", "add", "A1", "--at", "2024-03-02 09:15", "--value", "650"}).status, 0);
  ASSERT_EQ(home.Run({"readings", "add", "B2", "--at", "2023-03-02 09:15", "--value", "99"}).status, 0);

  const std::string csv = home.root() + "/ann.csv";
  CliResult r = home.Run(WithYear({"export-csv", "--name", name}, csv));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{{"patients", "1"}, {"readings", "2"}}));
  const std::string text = Slurp(csv);
  EXPECT_NE(text.find("\r\n\"Patinet Name:Hara, Ann\"\r\n"), std::string::npos);
  EXPECT_NE(text.find(",03/02/2024,09:15 am,HI,\r\n"), std::string::npos);

  const std::string book = home.root() + "/book.db";
  r = home.Run(WithYear({"archive", "--all"}, book));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{{"patients", "2"}, {"readings", "2"}}));

  CliSandbox clinic;
  r = clinic.Run(WithYear({"retrieve", "--name", name, "--name", "Bob"}, book));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{
                          {"patients", "2"}, {"added", "2"}, {"updated", "0"}}));
  r = clinic.Run(WithYear({"import", "--name", name}, book));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{
                          {"patients", "1"}, {"added", "0"}, {"updated", "2"}}));
  r = clinic.Run({"readings", "list", "A1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows().size(), 2u);
  EXPECT_EQ(clinic.Run({"patient", "list"}).Rows().size(), 2u);
}

TEST(CliFiles, PatientsWhoShareANameAreEachWrittenAndMergedIntact) {
  CliSandbox home;
  for (const char* id : {"A1", "A2"})
    ASSERT_EQ(home.Run({"--yes", "patient", "add", "--name", "Ann Lee", "--id", id}).status, 0);
  ASSERT_EQ(home.Run({"readings", "add", "A1", "--at", "2024-03-01 08:00", "--value", "111"}).status, 0);
  ASSERT_EQ(home.Run({"readings", "add", "A2", "--at", "2024-03-01 08:00", "--value", "222"}).status, 0);
  ASSERT_EQ(home.Run({"readings", "add", "A2", "--at", "2024-03-02 08:00", "--value", "223"}).status, 0);

  // CSV and database archives of everyone hold both, each under its own ID.
  const std::string csv = home.root() + "/all.csv";
  CliResult r = home.Run(WithYear({"archive", "--all"}, csv));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{{"patients", "2"}, {"readings", "3"}}));
  const std::string text = Slurp(csv);
  EXPECT_NE(text.find("ID No.:A1\r\n"), std::string::npos);
  EXPECT_NE(text.find("ID No.:A2\r\n"), std::string::npos);
  const std::string book = home.root() + "/book.db";
  r = home.Run(WithYear({"archive", "--name", "Ann Lee"}, book));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{{"patients", "2"}, {"readings", "3"}}));

  // A name alone cannot say whose CSV export is meant; --id can.
  r = home.Run(WithYear({"export-csv", "--name", "Ann Lee"}, home.root() + "/one.csv"));
  EXPECT_EQ(r.status, 1);
  r = home.Run(WithYear({"export-csv", "--name", "Ann Lee", "--id", "A2"}, home.root() + "/one.csv"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{{"patients", "1"}, {"readings", "2"}}));

  // Retrieved elsewhere, each keeps exactly its own readings.
  CliSandbox clinic;
  r = clinic.Run(WithYear({"retrieve", "--name", "Ann Lee"}, book));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{
                          {"patients", "2"}, {"added", "3"}, {"updated", "0"}}));
  auto values = [&](const char* id) {
    std::vector<std::string> v;
    for (const auto& row : clinic.Run({"readings", "list", id}).Rows()) v.push_back(row.at(2));
    return v;
  };
  EXPECT_EQ(values("A1"), (std::vector<std::string>{"111"}));
  EXPECT_EQ(values("A2"), (std::vector<std::string>{"222", "223"}));
  // Importing one of them again touches only that one.
  r = clinic.Run(WithYear({"import", "--name", "Ann Lee", "--id", "A1"}, book));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Rows(), (std::vector<std::vector<std::string>>{
                          {"patients", "1"}, {"added", "0"}, {"updated", "1"}}));
  EXPECT_EQ(values("A2"), (std::vector<std::string>{"222", "223"}));
}

TEST(CliFiles, RefusalsAndBadUsage) {
  CliSandbox box;
  ASSERT_EQ(box.Run({"--yes", "patient", "add", "--name", "Ann", "--id", "A1"}).status, 0);
  CliResult r = box.Run(WithYear({"export-csv", "--name", "Ann"}, box.root() + "/caf\xC3\xA9.db"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Cannot save data in a illegal file path."), std::string::npos);

  r = box.Run(WithYear({"retrieve", "--all"}, box.root() + "/none.db"));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(box.root() + "/none.db"));

  EXPECT_EQ(box.Run(WithYear({"archive"}, box.root() + "/x.db")).status, 2);
  EXPECT_EQ(box.Run({"import", "--name", "Ann", "--from", "2024-13-01", "--to", "2024-12-31",
                     box.root() + "/x.db"})
                .status,
            2);
}

}  // namespace
}  // namespace meridane::test
