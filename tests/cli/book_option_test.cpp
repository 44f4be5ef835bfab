// --book and MERIDANE_BOOK: the command line works on the book they name, refuses one it
// cannot use before touching any, and never exports over the book in use.
#include "cli/cli_harness.h"
#include "support/env.h"

namespace meridane::test {
namespace {

TEST(CliBook, NamedBookIsUsedRefusedOrKeptFromExports) {
  MERIDANE_FILE_BOOK_ONLY();  // the sandbox's server book would replace the one set here
  CliSandbox box;
  EnvOverride env("MERIDANE_BOOK", "postgresql://h/m?password=secret");
  EXPECT_TRUE(Exited(box.Run({"patient", "list"}), 2,
                     "MERIDANE_BOOK cannot be used: The server's address may not hold a password: "
                     "keep it in the PostgreSQL password file (~/.pgpass) or service file.\n"));
  EXPECT_FALSE(std::filesystem::exists(box.databasePath()));  // nothing was opened
  env.Set(std::nullopt);
  EXPECT_EQ(box.Run({"--book", box.root(), "init"}).status, 2);  // a folder

  const std::string book = box.root() + "/other.db";
  box.Ok({"--book", book, "--yes", "patient", "add", "--name", "Ann", "--id", "A1"});
  EXPECT_EQ(box.Ok({"--book", book, "init"}).out, book + "\n");
  // The data folder's own book stays apart; the variable reaches the same book as --book.
  EXPECT_EQ(box.Ok({"patient", "list"}).Rows().size(), 0u);
  env.Set(book);
  EXPECT_EQ(box.Ok({"patient", "list"}).Rows().size(), 1u);
  // An export never writes over the book in use, whatever --book named.
  const std::string before = Slurp(book);
  for (const char* command : {"export-csv", "archive"}) {
    EXPECT_TRUE(Refused(box.Run(WithYear({"--book", book, command, "--name", "Ann"}, book)),
                        "Cannot save data in the patient database file itself."))
        << command;
  }
  EXPECT_TRUE(Slurp(book) == before);  // byte for byte, not printed
}

}  // namespace
}  // namespace meridane::test
