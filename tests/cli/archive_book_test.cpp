// Archive imports into a book that already holds the patient: a renumbered patient takes its
// stored readings and details along, on either book, and an import counts as a save.
#include "cli/cli_harness.h"
#include "store/patient_store.h"

namespace meridane::test {
namespace {

// Ann, with one reading, archived at the desk `home`: the archive's path.
std::string ArchivedAnn(CliSandbox& home, const std::string& id) {
  home.AddPatient("Ann", id);
  home.AddReading(id, "2024-02-02 08:00", "130");
  const std::string archive = home.root() + "/a.db";
  home.Ok(WithYear({"archive", "--all"}, archive));
  return archive;
}

TEST(CliArchiveBook, ARenumberedPatientTakesItsRowsAlong) {
  CliSandbox home, clinic;
  const std::string archive = ArchivedAnn(home, "A9");

  clinic.AddPatient("Ann", "A1");
  clinic.AddReading("A1", "2024-01-01 09:00", "150");
  const int idx = clinic.Ok({"readings", "list", "A1", "--json"}).Json().at(0).at("idx").get<int>();
  clinic.Ok({"readings", "detail", "A1", std::to_string(idx), "--json",
             clinic.WriteFile("d.json", R"({"comment": "kept"})")});
  clinic.Ok(WithYear({"import", "--name", "Ann"}, archive));

  EXPECT_EQ(clinic.Run({"patient", "list"}).Rows().at(0).at(0), "A9");
  EXPECT_NE(clinic.Run({"readings", "list", "A1"}).status, 0);
  const nlohmann::json merged = clinic.Ok({"readings", "list", "A9", "--json"}).Json();
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].at("detail").at("comment"), "kept");
  EXPECT_EQ(merged[1].at("gluco"), 130);
}

// An import into a patient counts as a save of it: a desk that loaded the patient before is
// told at its next save, instead of saving over what the archive brought.
TEST(CliArchiveBook, AnImportCountsAsASaveOfThePatient) {
  if (!ServerBookWanted()) GTEST_SKIP() << "needs the test server";
  CliSandbox home, clinic;
  const std::string archive = ArchivedAnn(home, "A1");
  clinic.AddPatient("Ann", "A1");
  Database desk = Database::OpenServer(clinic.serverBook());
  CPatientProfile held;
  ASSERT_TRUE(LoadPatient(desk, "A1", held));
  clinic.Ok(WithYear({"import", "--name", "Ann"}, archive));
  EXPECT_EQ(ClaimPatientSave(desk, held, nullptr), PatientCheck::ChangedElsewhere);
}

}  // namespace
}  // namespace meridane::test
