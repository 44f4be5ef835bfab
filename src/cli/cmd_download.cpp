// meridane-cli download | clinic-download: the window's downloads with the meter emulator
// playing the meter from an image file.
#include <iostream>
#include <memory>

#include "cli/cli_common.h"
#include "cli/meter_options.h"
#include "download/clinic_download.h"
#include "download/single_download.h"
#include "store/patient_store.h"

namespace meridane::cli {
namespace {

std::string RefusedText(int count) {
  return FillText(LookupText("Cli", "RefusedReadings", "{count} readings were refused by the database."),
                  {{"count", std::to_string(count)}});
}


// The meter a run reads, or the end of the run with the option at fault.
std::unique_ptr<MeterChoice> ChooseMeter(const MeterOptions& o,
                                         std::optional<LinkKind> kind = std::nullopt) {
  std::string error;
  auto choice = MeterChoice::Make(o, error, kind);
  if (!choice) throw CliExit{2, error};
  return choice;
}

std::function<void(DownloadSession&)> Waiter(const MeterChoice& meter) {
  return [interval = meter.PollIntervalMs()](DownloadSession& s) {
    RealSleeper tick;
    WaitForDownload(s, interval, tick);
  };
}

void PrintCountIfAny(const char* what, int n) {
  if (n > 0) PrintRow({what, std::to_string(n)});
}

struct NewPatientOptions {
  std::string name, id, medicalNo, birth, phone, address, email;
  bool female = false;
};

void AddNewPatientOptions(CLI::App* cmd, NewPatientOptions& o) {
  cmd->add_option("--name", o.name, "New patient's full name, when no patient has the serial");
  cmd->add_option("--new-id", o.id, "New patient's ID number, when no patient has the serial");
  cmd->add_option("--medical-no", o.medicalNo, "New patient's medical record number");
  cmd->add_option("--birth", o.birth, "New patient's date of birth YYYY-MM-DD");
  cmd->add_flag("--female", o.female, "New patient is female");
  cmd->add_option("--phone", o.phone, "New patient's phone number");
  cmd->add_option("--address", o.address, "New patient's address");
  cmd->add_option("--email", o.email, "New patient's e-mail address");
}

// The patient form in add mode, filled from the options, with the meter's serial.
void SaveNewPatient(Database& db, CliPrompter& prompter, const NewPatientOptions& o,
                    const std::string& serial, CPatientProfile& current) {
  if (o.name.empty() && o.id.empty()) return;  // the form is closed without saving
  PatientFormValues f;
  f.fullName = o.name;
  f.IDNo = o.id;
  f.medicalNo = o.medicalNo;
  if (!o.birth.empty()) f.birth = ParseDateArg(o.birth, "--birth");
  f.gender = o.female ? 1 : 0;
  f.phone = o.phone;
  f.address = o.address;
  f.email = o.email;
  f.meterSN = serial;
  if (SavePatientForm(db, prompter, f, false, {}, current) == FormSaveOutcome::Refused)
    prompter.FailWithLastRequest(LookupText("Cli", "PatientNotSaved", "The patient was not saved."));
}

void RunDownload(const Context& ctx, const std::string& id, const MeterOptions& mo,
                 const NewPatientOptions& po) {
  auto meter = ChooseMeter(mo);
  Database db = OpenDatabaseOrExit(ctx);
  CPatientProfile current;
  current.Clear();
  if (!id.empty()) LoadPatientOrExit(db, id, current);
  CliPrompter prompter(ctx);
  DownloadHooks hooks;
  hooks.prompter = &prompter;
  hooks.wait = Waiter(*meter);
  hooks.createPatient = [&](const std::string& serial, CPatientProfile& cur) {
    SaveNewPatient(db, prompter, po, serial, cur);
  };
  // A script cannot be asked which sharer of the meter it means: it has to say.
  hooks.choosePatient = [](const std::vector<PatientChoice>& owners) -> std::optional<std::string> {
    throw CliExit{1, FillText(LookupText("Cli", "SharedMeter",
                                         "Several patients use this meter: {patients}. Nothing was "
                                         "downloaded; give the patient with --id."),
                              {{"patients", PatientChoicesText(owners)}})};
  };
  DownloadSession session(meter->Access());
  ReadingTable table;
  DownloadReport r = RunSinglePatientDownload(session, hooks, db, current, table);
  if (r.stored) PrintRow({"patient", current.IDNo});
  PrintRow({"inserted", std::to_string(r.inserted)});
  // Shown only when there is something to say, so the usual output stays as scripts know it.
  PrintCountIfAny("skipped", r.skipped);
  PrintCountIfAny("future", r.futureDated);
  std::cout.flush();
  if (r.insertFailures > 0) throw CliExit{1, RefusedText(r.insertFailures)};
  if (r.messageShown) throw CliExit{1, ""};
  if (!r.stored) throw CliExit{1, LookupText("Cli", "NothingStored", "Nothing was stored.")};
}

void RunClinic(const Context& ctx, const MeterOptions& mo) {
  auto meter = ChooseMeter(mo, LinkKind::VXA);
  Database db = OpenDatabaseOrExit(ctx);
  CliPrompter prompter(ctx);
  DownloadHooks hooks;
  hooks.prompter = &prompter;
  hooks.wait = Waiter(*meter);
  DownloadSession session(meter->Access());
  ReadingTable table;
  CPatientProfile nobody;
  nobody.Clear();
  DownloadReport r = RunClinicDownload(session, hooks, table);
  // The list as the page shows it; its first column is hidden.
  for (const MultipleDownloadRow& row : MultipleDownloadRows(db, table, nobody))
    PrintRow({row[1], row[2], row[3], row[4]});
  ClinicStoreReport s = StoreClinicReadings(db, table);
  PrintRow({"inserted", std::to_string(s.inserted)});
  PrintRow({"unassigned", std::to_string(s.unassigned)});
  PrintCountIfAny("shared", s.shared);
  PrintCountIfAny("skipped", table.skippedRecords);
  PrintCountIfAny("future", s.futureDated);
  std::cout.flush();
  if (const std::string notice = ClinicNoticeText(s, table.skippedRecords); !notice.empty())
    std::cerr << notice << "\n";
  // Readings left on the meter for want of one owner need the user: not a success.
  if (s.shared > 0) throw CliExit{1, ""};
  if (s.insertFailures > 0) throw CliExit{1, RefusedText(s.insertFailures)};
  if (r.messageShown) throw CliExit{1, ""};
}

void RegisterDownload(CLI::App& app, Context& ctx) {
  static std::string id;
  static MeterOptions single;
  static NewPatientOptions newPatient;
  auto* dl = app.add_subcommand("download", "Single-patient download from an emulated meter");
  dl->add_option("--id", id,
                 "ID of the patient to download for (default: found by serial; needed when "
                 "several patients share the meter)");
  AddMeterOptions(dl, single, true);
  AddNewPatientOptions(dl, newPatient);
  dl->callback([&ctx] { RunDownload(ctx, id, single, newPatient); });

  static MeterOptions clinic;
  auto* cd = app.add_subcommand("clinic-download",
                                "Multiple download from an emulated clinic meter, then file it");
  AddMeterOptions(cd, clinic, false);
  cd->callback([&ctx] { RunClinic(ctx, clinic); });
}

Register reg(&RegisterDownload);

}  // namespace
}  // namespace meridane::cli
