// meridane-cli pdf: save a report as PDF as the window's "Save PDF" does, extension rule
// included. Types 0-8 take a patient ID; 9 takes the multiple download list rows from a
// file (clinic-download's output as it stands), 10 the quick view selection.
#include <algorithm>
#include <fstream>
#include <iostream>

#include "cli/cli_common.h"
#include "output/report_model.h"
#include "output/pdf_save.h"
#include "reports/classification.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane::cli {
namespace {

struct PdfOptions {
  std::vector<std::string> args;  // [ID] PATH
  int type = 0;
  std::string from, to;
  int latest = 0;
  bool all = false, special = false;
  std::vector<std::string> names;
  std::string rowsFile;
  bool open = false;
};

std::vector<MultipleDownloadRow> ReadRowsFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw CliExit{1, FillText(LookupText("Cli", "CannotRead", "Can't read {path}"), {{"path", path}})};
  std::vector<MultipleDownloadRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find('\t', start);
      cells.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    // Rows as the list holds them start with its empty spacer column; the count lines that
    // clinic-download prints after the rows have two cells and are no rows.
    if (cells.size() == 5 && cells[0].empty()) cells.erase(cells.begin());
    if (cells.size() < 4) continue;
    MultipleDownloadRow row;  // the list's empty spacer cell first
    for (size_t i = 0; i < 4; ++i) row[i + 1] = std::move(cells[i]);
    rows.push_back(std::move(row));
  }
  return rows;
}

ReportPeriod PeriodOf(const PdfOptions& o, const ReadingTable* readings) {
  const Period p = ResolveReportPeriod(o.from, o.to, o.latest, readings);
  return {p.from, p.to};
}

void RunPdf(const PdfOptions& o, Context& ctx) {
  bool clinic = o.type == kReportMultipleDownload || o.type == kReportQuickView;
  if (o.type < 0) throw CliExit{2, "--type: expected a report type 0 to 11"};
  if (o.args.size() != (clinic ? 1u : 2u))
    throw CliExit{2, clinic ? "types 9 and 10 take PATH only" : "expected ID and PATH"};
  const std::string& chosen = o.args.back();

  ReportModel report;
  Database db = OpenDatabaseOrExit(ctx);
  if (o.type == kReportMultipleDownload) {
    if (o.rowsFile.empty()) throw CliExit{2, "type 9 needs --rows FILE"};
    const bool dated = !o.from.empty() || o.latest > 0;
    report = MultipleDownloadModel(ReadRowsFile(o.rowsFile),
                                   dated ? PeriodOf(o, nullptr) : ReportPeriod{Today(), Today()});
  } else if (o.type == kReportQuickView) {
    ReportPeriod period = PeriodOf(o, nullptr);
    auto selection = PatientSelectionList(db);
    if (!o.all && !o.special && o.names.empty())
      throw CliExit{2, "type 10 needs --all, --special or --name"};
    // The first two rows are "all" and "special" (in the user's language); a patient may
    // carry either text as a name.
    for (std::size_t i = 0; i < selection.size(); ++i) {
      SelectionRow& row = selection[i];
      if (i == 0) row.checked = o.all;
      else if (i == 1) row.checked = o.special;
      else row.checked = std::find(o.names.begin(), o.names.end(), row.text) != o.names.end();
    }
    report = QuickViewModel(BuildQuickView(db, selection, period), period);
  } else {
    CPatientProfile patient;
    if (!LoadPatient(db, o.args[0], patient)) throw CliExit{1, FillText(LookupText("Cli", "NoPatientId", "No patient with ID {id}"), {{"id", o.args[0]}})};
    ReadingTable readings;
    LoadReadingsOrExit(db, patient, readings);
    report = BuildReportModel(o.type, patient, readings, PeriodOf(o, &readings),
                            LoadReportTargets(patient));
  }

  CliPrompter prompter(ctx);
  SystemPdfViewer viewer;
  PdfSaveResult r = SavePdfReport(chosen, report, prompter, o.open ? &viewer : nullptr);
  if (r.outcome != PdfSaveOutcome::Saved) throw CliExit{1, ""};
  std::cout << r.path << "\n";
}

void RegisterPdf(CLI::App& app, Context& ctx) {
  auto o = std::make_shared<PdfOptions>();
  auto* cmd = app.add_subcommand("pdf", "Save a report as a PDF document");
  cmd->add_option("args", o->args, "[ID] PATH (types 9 and 10: PATH only)")->required();
  cmd->add_option("--type", o->type, "Report type 0-11")->required();
  cmd->add_option("--from", o->from, "First day YYYY-MM-DD");
  cmd->add_option("--to", o->to, "Last day YYYY-MM-DD");
  cmd->add_option("--latest", o->latest, "The DAYS days before the newest reading's day, that day included");
  cmd->add_flag("--all", o->all, "Type 10: all patients");
  cmd->add_flag("--special", o->special, "Type 10: the special view patients");
  cmd->add_option("--name", o->names, "Type 10: these patients by full name");
  cmd->add_option("--rows", o->rowsFile, "Type 9: the list rows, tab-separated, one a line");
  cmd->add_flag("--open", o->open, "Open the saved file in the desktop's PDF viewer");
  cmd->callback([o, &ctx] { RunPdf(*o, ctx); });
}

Register reg(&RegisterPdf);

}  // namespace
}  // namespace meridane::cli
