// export-csv, archive, retrieve, import: the Import/Export page's four runs.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/unicode_nfc.h"

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

// The patients the run reads from: the patient database for Archive and Export, the archive
// file for Retrieve and Import. None when the file cannot be opened (the run says why).
std::optional<std::vector<PatientKey>> SourcePatients(const TransferRequest& req,
                                                      const Context& ctx) {
  const bool fromArchive = req.mode == TransferMode::Retrieve || req.mode == TransferMode::Import;
  if (!fromArchive) {
    Database db = OpenDatabaseOrExit(ctx);
    return AllPatientKeys(db);
  }
  std::error_code ec;
  if (IsCsvPath(req.path) || !std::filesystem::is_regular_file(req.path, ec)) return std::nullopt;
  Database archive = Database::OpenFile(req.path);
  if (!archive.ok()) return std::nullopt;
  ReportToRun(archive, ctx);
  FailureWatch watch(archive);
  std::vector<PatientKey> keys = AllPatientKeys(archive);
  if (watch.failed()) return std::nullopt;
  return keys;
}

// Every --name (and --id) must find a patient in the source: a typo would otherwise end
// "successfully" with nothing done for that patient. Names are compared composed and then
// given as stored, so "é" typed decomposed finds the patient stored composed.
void MatchNamedPatients(TransferRequest& req, const Context& ctx) {
  if (req.patients.empty()) return;
  const auto source = SourcePatients(req, ctx);
  if (!source) return;
  std::vector<std::string> unknown;
  for (PatientKey& wanted : req.patients) {
    const std::string name = ComposeText(wanted.fullName);
    auto it = std::find_if(source->begin(), source->end(), [&](const PatientKey& k) {
      return ComposeText(k.fullName) == name && (wanted.IDNo.empty() || k.IDNo == wanted.IDNo);
    });
    if (it == source->end()) {
      unknown.push_back("\"" + wanted.fullName + "\"" +
                        (wanted.IDNo.empty() ? "" : " (ID No. " + wanted.IDNo + ")"));
      continue;
    }
    wanted.fullName = it->fullName;
  }
  if (unknown.empty()) return;
  std::string list;
  for (const std::string& u : unknown) list += (list.empty() ? "" : ", ") + u;
  throw CliExit{1, FillText(LookupText("Cli", "NoPatientMatches",
                                       "Nothing was done: no patient matches {names}."),
                            {{"names", list}})};
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

  MatchNamedPatients(req, ctx);

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
