// Archive runs whose book is on either back-end: a patient renumbered by an archive takes
// its stored readings, details and profile along, and a round trip through an archive file
// gives back the book's readings as they were.
#include <gtest/gtest.h>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

// `readings list --json` of a patient without the idx, which each book gives its own way.
nlohmann::json ListedJson(const CliSandbox& box, const std::string& id) {
  nlohmann::json all = box.Ok({"readings", "list", id, "--json"}).Json();
  for (auto& r : all) r.erase("idx");
  return all;
}

TEST(CliArchiveBook, ARenumberedPatientTakesItsRowsAlongAndARoundTripKeepsTheReadings) {
  CliSandbox home;
  home.AddPatient("Ann", "A9", {"--medical-no", "7"});
  home.AddReading("A9", "2024-02-02 08:00", "130");
  const std::string archive = home.root() + "/a.db";
  home.Ok(WithYear({"archive", "--all"}, archive));

  CliSandbox clinic;
  clinic.AddPatient("Ann", "A1");
  clinic.AddReading("A1", "2024-01-01 09:00", "150");
  const int idx = clinic.Ok({"readings", "list", "A1", "--json"}).Json().at(0).at("idx").get<int>();
  clinic.Ok({"readings", "detail", "A1", std::to_string(idx), "--json",
             clinic.WriteFile("d.json", R"({"comment": "kept"})")});
  clinic.Ok(WithYear({"import", "--name", "Ann"}, archive));

  Rows patients = clinic.Run({"patient", "list"}).Rows();
  ASSERT_EQ(patients.size(), 1u);
  EXPECT_EQ(patients[0][0], "A9");
  EXPECT_NE(clinic.Run({"readings", "list", "A1"}).status, 0);
  const nlohmann::json merged = ListedJson(clinic, "A9");
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].at("gluco"), 150);
  EXPECT_EQ(merged[0].at("detail").at("comment"), "kept");
  EXPECT_EQ(merged[1].at("gluco"), 130);

  // Written from this book and merged into an empty one (twice: the second finds each
  // reading held already), the readings come back as they are here.
  const std::string again = clinic.root() + "/b.db";
  clinic.Ok(WithYear({"archive", "--all"}, again));
  CliSandbox third;
  for (const char* added : {"2", "0"}) {
    EXPECT_EQ(third.Ok(WithYear({"retrieve", "--name", "Ann"}, again)).Rows().at(1),
              (std::vector<std::string>{"added", added}));
  }
  EXPECT_EQ(ListedJson(third, "A9"), merged);
}

}  // namespace
}  // namespace meridane::test
