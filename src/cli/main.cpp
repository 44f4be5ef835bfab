// meridane-cli: the program's core for scripts, clinics and tests.
#include <iostream>

#include "base/book_location.h"
#include "base/data_paths.h"
#include "base/language_choice.h"
#include "cli/cli_common.h"
#include "store/database.h"
#include "store/schema.h"

using namespace meridane;
using namespace meridane::cli;

int main(int argc, char** argv) {
  CLI::App app{"Meridane command line: patients, readings, downloads, reports and files"};
  app.require_subcommand(1);
  app.fallthrough();
  Context ctx;
  auto* dataDir = app.add_option("--data-dir", ctx.dataDir,
                                 "Data folder (default: home directory + /MeridData_Pro)");
  std::string book;
  auto* bookOption = app.add_option(
      "--book", book,
      "Patient book: a book file, or a PostgreSQL server as postgresql://HOST:PORT/DB "
      "(default: $MERIDANE_BOOK, else Patients.db in the data folder)");
  auto* yes = app.add_flag("--yes", ctx.yes, "Answer Yes/OK to every question");
  app.add_flag("--no", ctx.no, "Answer No/Cancel to every question")->excludes(yes);
  std::string language;
  auto* languageOption = app.add_option(
      "--language", language,
      "Language of the messages and reports, such as de or zh_CN (default: the desktop's)");

  // Every command first makes sure the folder and schema exist.
  app.parse_complete_callback([&] {
    // The language first: every message after this one speaks it.
    if (languageOption->count() > 0 && language.empty())
      throw CliExit{2, "--language: the language code is empty"};
    const LanguageChoice choice = UseLanguage(language);
    if (!choice.error.empty()) throw CliExit{2, choice.error};
    // An empty value (an unset variable in a script) must not fall back to the real book.
    if (dataDir->count() > 0 && ctx.dataDir.empty())
      throw CliExit{2, "--data-dir: the folder name is empty"};
    if (!ctx.dataDir.empty()) SetDataFolderOverride(ctx.dataDir);
    // A book named but refused is bad usage: working on another book instead would file
    // readings where the user did not ask.
    std::string bookError;
    if (bookOption->count() > 0) {
      auto location = ParseBookLocation(book, &bookError);
      if (!location) throw CliExit{2, "--book: " + bookError};
      SetBookLocationOverride(*location);
    } else if (!EnvironmentBookLocation(&bookError) && !bookError.empty()) {
      throw CliExit{2, bookError};
    }
    // A book copy names both its books; the everyday book is not its business.
    if (app.got_subcommand("book")) return;
    std::string err;
    if (!EnsureDataFolder(&err)) std::cerr << "Can't create " << DataFolder() << ": " << err << "\n";
    Database db = OpenDatabaseOrExit(ctx);
    if (!CreateSchema(db))
      throw CliExit{1, "Can't create the database tables in " + CurrentBookLocation().where};
  });

  for (Registrar r : Registrars()) r(app, ctx);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  } catch (const CliExit& e) {
    if (!e.message.empty()) std::cerr << e.message << "\n";
    return e.status;
  } catch (const std::exception& e) {
    // Nothing may end the run silently: a failure the commands did not foresee still says why.
    std::cerr << "meridane-cli: " << e.what() << "\n";
    return 1;
  }
  // A statement that failed (its text is on stderr) is never a success, whatever the
  // command made of it: a read failure must not pass for an empty result.
  if (ctx.statementFailures != 0) return 1;
  return 0;
}
