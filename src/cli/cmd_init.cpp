// meridane-cli init: the folder and schema are made by the start-up step every command runs;
// this command only tells where the database is.
#include <iostream>

#include "base/data_paths.h"
#include "cli/cli_common.h"

namespace meridane::cli {
namespace {

void RegisterInit(CLI::App& app, Context&) {
  auto* cmd = app.add_subcommand("init", "Create or upgrade the database and print its path");
  cmd->callback([] { std::cout << PatientDatabasePath() << "\n"; });
}

Register reg(&RegisterInit);

}  // namespace
}  // namespace meridane::cli
