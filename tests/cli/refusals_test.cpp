// What a script is told when nothing (or not everything) was done: a refusal is status 1
// with the reason, bad usage status 2, and the book is checked afterwards.
#include <filesystem>

#include "cli/cli_harness.h"
#include "store/date_time.h"
#include "support/meter_images.h"

namespace meridane::test {
namespace {

TEST(CliRefusals, NamesThatMatchNoPatientRefuseTheWholeRun) {
  CliSandbox box;
  const std::string rene = "Ren\xC3\xA9";  // stored composed
  box.AddPatient(rene, "R1");
  box.AddPatient("Bob", "B2");
  box.AddReading("R1", "2024-03-01 08:00", "120");
  const std::string book = box.root() + "/book.db";
  ASSERT_EQ(box.Run(WithYear({"archive", "--all"}, book)).status, 0);

  const std::string out = box.root() + "/out";
  const std::tuple<std::vector<std::string>, std::string, int> cases[] = {
      {{"archive", "--name", "Bob", "--name", "Bobb"}, out + "1.db", 1},
      {{"archive", "--name", "Bob "}, out + "2.csv", 1},
      {{"export-csv", "--name", "Nobody"}, out + "3.csv", 1},
      {{"export-csv", "--name", "Bob", "--id", "R1"}, out + "4.csv", 1},
      {{"export-csv", "--name", "Rene\xCC\x81"}, out + "5.csv", 0},  // typed decomposed
      {{"retrieve", "--name", "Bob", "--name", "Nobody"}, book, 1},
      {{"import", "--name", "Nobody"}, book, 1},
      {{"import", "--name", "Rene\xCC\x81"}, book, 0}};
  for (const auto& [args, file, status] : cases) {
    SCOPED_TRACE(args[0] + " " + args[2]);
    const std::string before = Slurp(box.databasePath());
    CliResult r = box.Run(WithYear(args, file));
    EXPECT_EQ(r.status, status) << r.err;
    if (status == 0) {
      EXPECT_TRUE(Has(r.out, "patients\t1")) << r.out;
      continue;
    }
    EXPECT_TRUE(Has(r.err, "no patient matches")) << r.err;
    EXPECT_EQ(r.out, "");
    if (file != book) {
      EXPECT_FALSE(std::filesystem::exists(file));
    }
    EXPECT_EQ(Slurp(box.databasePath()), before);  // nothing merged either
  }
}

TEST(CliRefusals, EmptyFolderNamesAreUsageErrors) {
  CliSandbox box;
  CliResult r = box.RunWithoutDataDir({"--data-dir", "", "patient", "list"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_FALSE(std::filesystem::exists(box.root() + "/MeridData_Pro"));
}

TEST(CliRefusals, ImpossibleDatesAreRefused) {
  CliSandbox box;
  box.AddPatient("Ann", "A1");
  const Date tomorrow = AddDays(Today(), 1), later = AddDays(Today(), 2);
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"readings", "add", "A1", "--at", "9999-01-01 08:00", "--value", "120"}, 1},
      {{"readings", "add", "A1", "--at", FormatDate(later) + " 08:00", "--value", "120"}, 1},
      {{"--yes", "patient", "add", "--name", "Kid", "--id", "K1", "--birth", FormatDate(tomorrow)}, 1},
      {{"--yes", "patient", "edit", "A1", "--birth", FormatDate(AddDays(Today(), 730))}, 1},
      {{"readings", "add", "A1", "--at", FormatDate(tomorrow) + " 08:00", "--value", "130"}, 0}};
  for (const auto& [args, status] : cases)
    EXPECT_EQ(box.Run(args).status, status) << args[1] << " " << args.back();
  EXPECT_EQ(box.Run({"readings", "list", "A1"}).Rows().size(), 1u);  // the one within a day
  EXPECT_FALSE(Has(box.Run({"patient", "list"}).out, "K1"));
  EXPECT_FALSE(Has(box.Run({"patient", "show", "A1"}).out, FormatDate(AddDays(Today(), 730))));
}

TEST(CliRefusals, DetailCodesOutsideTheirListsAndPartialJsonAreRefused) {
  CliSandbox box;
  box.AddPatient("Ann", "A1");
  box.AddReading("A1", "2024-03-01 08:00", "120");
  const std::string idx = box.Run({"readings", "list", "A1"}).Rows().at(0).at(0);
  const std::tuple<std::string, int, const char*> cases[] = {
      {R"({"type": 17})", 1, "type"},
      {R"({"intensity": 9})", 1, "intensity"},
      {R"({"commentOptions": 99999})", 1, "commentOptions"},
      {R"({"insulinType": 1000000})", 1, "insulinType"},
      {std::string(R"({"comment": "a"})") + '\0' + R"({"type": 1})", 2, "NUL"},
      {R"({"comment": "a"} {"type": 1})", 2, "not a JSON object"},
      {R"({"type": 1, "intensity": 2})", 0, ""}};
  for (const auto& [json, status, says] : cases) {
    SCOPED_TRACE(json);
    CliResult r = box.Run({"readings", "detail", "A1", idx, "--json", box.WriteFile("d.json", json)});
    EXPECT_EQ(r.status, status) << r.err;
    EXPECT_TRUE(Has(r.err, says)) << r.err;
    const nlohmann::json list = box.Run({"readings", "list", "A1", "--json"}).Json();
    EXPECT_EQ(list.at(0).contains("detail"), status == 0);
  }
}

TEST(CliRefusals, SharedMeterDownloadNeedsAnIdAndPdfHelpSaysHowTheLatestPeriodCounts) {
  CliSandbox box;
  for (const char* id : {"A1", "B2"})
    box.AddPatient(std::string("Lee ") + id, id, {"--meter-sn", "MK00000009"});
  const std::string image =
      box.WriteFile("m.bin", ImageText({MeterRecord{150, 2024, 5, 6, 8, 15, 0, 0, false}}));
  std::vector<std::string> dl{"download", "--meter-image", image, "--serial", "MK00000009",
                              "--no-pauses"};
  CliResult r = box.Run(dl);
  EXPECT_TRUE(Refused(r, "Lee A1 (A1), Lee B2 (B2)"));
  EXPECT_TRUE(Has(r.err, "--id")) << r.err;
  EXPECT_EQ(box.Run({"readings", "list", "A1"}).out + box.Run({"readings", "list", "B2"}).out, "");
  dl.insert(dl.end(), {"--id", "B2"});
  box.Ok(dl);
  EXPECT_EQ(box.Run({"readings", "list", "B2"}).Rows().size(), 1u);
  EXPECT_EQ(box.Run({"readings", "list", "A1"}).out, "");

  r = box.Run({"pdf", "--help"});
  EXPECT_TRUE(Has(r.out, "newest reading")) << r.out;
  EXPECT_FALSE(Has(r.out, "ending today"));
}

}  // namespace
}  // namespace meridane::test
