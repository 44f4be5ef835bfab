// --book and MERIDANE_BOOK: which patient book the command line works on, and the refusals
// that end a run before any book is touched.
#include <gtest/gtest.h>

#include "cli/cli_harness.h"
#include "support/env.h"

namespace meridane::test {
namespace {

TEST(CliBook, RefusedLocationsEndTheRunAsBadUsage) {
  CliSandbox box;
  const struct {
    std::vector<std::string> args;
    std::optional<std::string> env;
    std::string err;
  } cases[] = {
      {{"--book", "", "patient", "list"}, std::nullopt,
       "--book: The patient book's location is empty.\n"},
      {{"--book", "postgresql://ann:secret@h/m", "patient", "list"}, std::nullopt,
       "--book: The server's address may not hold a password: keep it in the PostgreSQL "
       "password file (~/.pgpass) or service file.\n"},
      {{"patient", "list"}, "postgresql://h/m?password=secret",
       "MERIDANE_BOOK cannot be used: The server's address may not hold a password: keep it in "
       "the PostgreSQL password file (~/.pgpass) or service file.\n"},
      {{"--book", box.root(), "patient", "list"}, std::nullopt,
       "--book: " + box.root() + " is a folder: give the book's file, such as " + box.root() +
           "/Patients.db.\n"},
  };
  for (const auto& c : cases) {
    EnvOverride env("MERIDANE_BOOK", c.env);
    EXPECT_TRUE(Exited(box.Run(c.args), 2, c.err));
  }
  EXPECT_FALSE(std::filesystem::exists(box.databasePath()));  // no book was opened
}

TEST(CliBook, FileBookIsUsedAndKeptFromExports) {
  CliSandbox box;
  EnvOverride unset("MERIDANE_BOOK", std::nullopt);
  const std::string book = box.root() + "/desk/other.db";
  std::filesystem::create_directories(box.root() + "/desk");
  box.Ok({"--book", book, "--yes", "patient", "add", "--name", "Ann", "--id", "A1"});
  EXPECT_EQ(box.Ok({"--book", book, "init"}).out, book + "\n");
  // The data folder's own book stays apart; the variable reaches the same book as --book.
  EXPECT_EQ(box.Ok({"patient", "list"}).Rows().size(), 0u);
  {
    EnvOverride env("MERIDANE_BOOK", book);
    EXPECT_EQ(box.Ok({"patient", "list"}).Rows().size(), 1u);
  }
  // An export never writes over the book in use, whatever --book named.
  const std::string before = Slurp(book);
  for (const char* command : {"export-csv", "archive"}) {
    const CliResult r = box.Run(WithYear({"--book", book, command, "--name", "Ann"}, book));
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_TRUE(Has(r.err, "Cannot save data in the patient database file itself.")) << r.err;
  }
  EXPECT_TRUE(Slurp(book) == before);  // byte for byte, not printed
}

}  // namespace
}  // namespace meridane::test
