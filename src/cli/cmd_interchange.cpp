// export-fhir and import-csv: readings out to records systems and in from other software.
#include <iostream>

#include "cli/cli_common.h"
#include "output/csv_import.h"
#include "output/fhir_export.h"
#include "store/patient_store.h"

namespace meridane::cli {

namespace {

struct FhirOptions {
  std::string name, id, from, to, path;
};

void ExportFhirCommand(const FhirOptions& o, const Context& ctx) {
  const Period p = ResolvePeriod(o.from, o.to, 0);
  Database db = OpenDatabaseOrExit(ctx);
  CliPrompter prompter(ctx);
  TransferResult r = ExportFhir(db, PatientKey{o.name, o.id}, TransferPeriod::WholeDays(p.from, p.to),
                                o.path, prompter);
  if (!r.ok) throw CliExit{1, ""};  // the message is on stderr already
  PrintRow({"patients", std::to_string(r.patients)});
  PrintRow({"observations", std::to_string(r.readingsWritten)});
}

struct ImportOptions {
  std::string id, path, dateOrder, unit;
  bool dryRun = false;
};

void ImportCsvCommand(const ImportOptions& o, const Context& ctx) {
  CsvImportOptions options;
  if (o.dateOrder == "dmy") options.dateOrder = DateOrder::DayMonthYear;
  if (o.dateOrder == "mdy") options.dateOrder = DateOrder::MonthDayYear;
  if (o.dateOrder == "ymd") options.dateOrder = DateOrder::YearMonthDay;
  if (o.unit == "mg/dL") options.unit = GlucoseUnit::MgDl;
  if (o.unit == "mmol/L") options.unit = GlucoseUnit::MmolL;

  Database db = OpenDatabaseOrExit(ctx);
  CPatientProfile patient;
  LoadPatientOrExit(db, o.id, patient);
  CsvImportPlan plan = PlanCsvImport(db, o.id, o.path, options);
  for (const RefusedLine& r : plan.refused)
    std::cerr << FillText(LookupText("Cli", "LineRefused", "line {line}: refused: {reason}"),
                          {{"line", std::to_string(r.line)}, {"reason", r.reason}})
              << "\n";
  if (!plan.ok) {
    if (plan.needsDateOrder) throw CliExit{1, plan.message + " (--date-order dmy|mdy|ymd)"};
    if (plan.needsUnit) throw CliExit{1, plan.message + " (--unit mg/dL|mmol/L)"};
    throw CliExit{1, plan.message};
  }
  for (const ImportedReading& d : plan.duplicates)
    std::cerr << FillText(LookupText("Cli", "LineDuplicate",
                                     "line {line}: duplicate, skipped: {time}\t{value}"),
                          {{"line", std::to_string(d.line)},
                           {"time", ImportTimeText(d.at)},
                           {"value", std::to_string(d.gluco)}})
              << "\n";
  int filed = 0;
  if (!o.dryRun && !plan.readings.empty()) {
    filed = FileImportedReadings(db, patient, plan.readings);
    if (filed < 0) throw CliExit{1, LookupText("Cli", "ImportRefused", "No reading was imported: the database refused the change.")};
  }
  PrintRow({o.dryRun ? "to file" : "filed", std::to_string(o.dryRun ? plan.readings.size()
                                                                    : static_cast<size_t>(filed))});
  PrintRow({"duplicates", std::to_string(plan.duplicates.size())});
  PrintRow({"refused", std::to_string(plan.refused.size())});
}

void RegisterInterchange(CLI::App& app, Context& ctx) {
  auto fhir = std::make_shared<FhirOptions>();
  auto* e = app.add_subcommand("export-fhir", "Export one patient's readings as a FHIR R4 Bundle (JSON)");
  e->add_option("--name", fhir->name, "The patient's full name")->required();
  e->add_option("--id", fhir->id, "The patient's ID No., when several share the name");
  e->add_option("--from", fhir->from, "First day (YYYY-MM-DD)")->required();
  e->add_option("--to", fhir->to, "Last day (YYYY-MM-DD)")->required();
  e->add_option("PATH", fhir->path, "The JSON file to write")->required();
  e->callback([fhir, &ctx] { ExportFhirCommand(*fhir, ctx); });

  auto imp = std::make_shared<ImportOptions>();
  auto* i = app.add_subcommand("import-csv", "File readings from a CSV/TSV file (own export or plain)");
  i->add_option("ID", imp->id, "ID number")->required();
  i->add_option("PATH", imp->path, "The CSV or TSV file")->required();
  i->add_option("--date-order", imp->dateOrder, "Order of dd/mm/yyyy-like dates: dmy, mdy or ymd")
      ->check(CLI::IsMember({"dmy", "mdy", "ymd"}));
  i->add_option("--unit", imp->unit, "Unit of the values when the header does not say")
      ->check(CLI::IsMember({"mg/dL", "mmol/L"}));
  i->add_flag("--dry-run", imp->dryRun, "Show what would be filed; file nothing");
  i->callback([imp, &ctx] { ImportCsvCommand(*imp, ctx); });
}

Register reg(&RegisterInterchange);

}  // namespace

}  // namespace meridane::cli
