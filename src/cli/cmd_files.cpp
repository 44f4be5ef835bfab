// export-csv, archive, retrieve, import: the Import/Export page's four runs.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "output/archive_runs.h"

namespace meridane::cli {

namespace {

struct FilesOptions {
  std::vector<std::string> names;
  std::vector<std::string> ids;
  bool all = false;
  std::string from;
  std::string to;
  std::string path;
};

void AddCommon(CLI::App* cmd, FilesOptions& o) {
  cmd->add_option("--from", o.from, "First day (YYYY-MM-DD)")->required();
  cmd->add_option("--to", o.to, "Last day (YYYY-MM-DD)")->required();
  cmd->add_option("PATH", o.path, "The file (a path not ending in \"v\" is an archive database)")
      ->required();
}

void Execute(TransferMode mode, const FilesOptions& o, const Context& ctx) {
  TransferRequest req;
  req.mode = mode;
  // --id picks one of several patients who share a name; without it a name stands for
  // every patient of that name.
  if (!o.ids.empty() && o.ids.size() != o.names.size())
    throw CliExit{2, "give one --id for each --name"};
  for (size_t i = 0; i < o.names.size(); ++i)
    req.patients.emplace_back(o.names[i], o.ids.empty() ? std::string() : o.ids[i]);
  req.all = o.all;
  if (req.patients.empty() && !req.all) throw CliExit{2, "give --all or --name"};
  const Period p = ResolvePeriod(o.from, o.to, 0);
  req.period = TransferPeriod::WholeDays(p.from, p.to);
  req.path = o.path;

  CliPrompter prompter(ctx);
  TransferResult r = RunTransfer(req, prompter);
  if (!r.ok) throw CliExit{1, ""};  // the run's message is already on stderr
  PrintRow({"patients", std::to_string(r.patients)});
  if (mode == TransferMode::Archive || mode == TransferMode::Export) {
    PrintRow({"readings", std::to_string(r.readingsWritten)});
  } else {
    PrintRow({"added", std::to_string(r.readingsAdded)});
    PrintRow({"updated", std::to_string(r.readingsUpdated)});
  }
}

void RegisterFileCommands(CLI::App& app, Context& ctx) {
  struct Command {
    const char* name;
    const char* help;
    TransferMode mode;
    bool many;
  };
  static const Command kCommands[] = {
      {"export-csv", "Export one patient to a CSV file (or an archive database)",
       TransferMode::Export, false},
      {"archive", "Archive patients to a CSV file or an archive database", TransferMode::Archive,
       true},
      {"retrieve", "Merge patients from an archive database", TransferMode::Retrieve, true},
      {"import", "Merge one patient from an archive database", TransferMode::Import, false},
  };
  for (const Command& c : kCommands) {
    auto opts = std::make_shared<FilesOptions>();
    CLI::App* cmd = app.add_subcommand(c.name, c.help);
    if (c.many) {
      auto* all = cmd->add_flag("--all", opts->all, "Every patient of the patient database");
      cmd->add_option("--name", opts->names, "A patient's full name (repeatable)")
          ->excludes(all);
      cmd->add_option("--id", opts->ids, "The ID No. of each --name, in the same order")
          ->excludes(all);
    } else {
      cmd->add_option("--name", opts->names, "The patient's full name")
          ->required()
          ->expected(1);
      cmd->add_option("--id", opts->ids, "The patient's ID No., when several share the name")
          ->expected(1);
    }
    AddCommon(cmd, *opts);
    const TransferMode mode = c.mode;
    cmd->callback([opts, mode, &ctx] { Execute(mode, *opts, ctx); });
  }
}

static Register reg(&RegisterFileCommands);

}  // namespace

}  // namespace meridane::cli
