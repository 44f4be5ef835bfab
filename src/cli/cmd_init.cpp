// meridane-cli init: the folder and schema are made by the start-up step every command runs;
// this command only tells where the book is (a file path, or the server's address).
#include <iostream>

#include "base/book_location.h"
#include "cli/cli_common.h"

namespace meridane::cli {
namespace {

void RegisterInit(CLI::App& app, Context&) {
  auto* cmd = app.add_subcommand("init", "Create or upgrade the database and print its path");
  cmd->callback([] { std::cout << CurrentBookLocation().where << "\n"; });
}

Register reg(&RegisterInit);

}  // namespace
}  // namespace meridane::cli
