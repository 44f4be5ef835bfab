// meridane-cli download | clinic-download: the window's downloads with the meter emulator
// playing the meter from an image file.
#include <iostream>
#include <memory>

#include "cli/cli_common.h"
#include "download/clinic_download.h"
#include "download/single_download.h"
#include "meter/emulator/emulated_backends.h"
#include "meter/meter_image.h"
#include "store/patient_store.h"

namespace meridane::cli {
namespace {

// The dialog's timer; without pauses the emulator answers at once, so poll briskly.
constexpr std::uint32_t kDialogTickMs = 1000;
constexpr std::uint32_t kBriskTickMs = 5;

struct MeterOptions {
  std::string image, serial, family = "mk72";
  bool noPauses = false;
};

void AddMeterOptions(CLI::App* cmd, MeterOptions& o, bool family) {
  auto* image = cmd->add_option("--meter-image", o.image,
                                "Memory image file the emulated meter plays (without it: the "
                                "meters attached over USB)");
  cmd->add_option("--serial", o.serial, "The emulated meter's serial number (10 or 11 characters)")
      ->needs(image);
  image->needs("--serial");
  if (family)
    cmd->add_option("--family", o.family,
                    "Meter family: " + DetectedFamilyNames() + " (default mk72)");
  cmd->add_flag("--no-pauses", o.noPauses, "Skip the protocol's pauses and fixed waits");
}

// The meter (emulated, or the real ones when no image is given) and the pauses a run uses;
// lives as long as the run.
struct EmulatedRun {
  std::unique_ptr<EmulatedMeter> meter;
  RecordingSleeper skip;
  RealSleeper real;
  bool noPauses = false;

  EmulatedRun(const MeterOptions& o, LinkKind kind) : noPauses(o.noPauses) {
    if (o.image.empty()) return;
    auto image = LoadMeterImageFile(o.image);
    if (!image) throw CliExit{2, "--meter-image: cannot read '" + o.image + "'"};
    if (o.serial.size() != 10 && o.serial.size() != 11)
      throw CliExit{2, "--serial: expected 10 or 11 characters, got '" + o.serial + "'"};
    meter = MakeEmulatedMeter(kind, std::move(*image), o.serial);
  }
  MeterAccess Access() {
    Sleeper* sleeper = noPauses ? static_cast<Sleeper*>(&skip) : &real;
    if (!meter) return {nullptr, nullptr, sleeper};  // hidapi and the serial ports
    return {&meter->hid, &meter->serial, sleeper};
  }
  std::function<void(DownloadSession&)> Waiter() {
    return [this](DownloadSession& s) {
      WaitForDownload(s, noPauses ? kBriskTickMs : kDialogTickMs, real);
    };
  }
};

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
    prompter.FailWithLastRequest("The patient was not saved.");
}

void RunDownload(const Context& ctx, const std::string& id, const MeterOptions& mo,
                 const NewPatientOptions& po) {
  auto kind = ParseLinkKind(mo.family);
  if (!kind) throw CliExit{2, "--family: expected " + DetectedFamilyNames() + ", got '" + mo.family + "'"};
  EmulatedRun run(mo, *kind);
  Database db = OpenDatabaseOrExit();
  CPatientProfile current;
  current.Clear();
  if (!id.empty()) LoadPatientOrExit(db, id, current);
  CliPrompter prompter(ctx);
  DownloadHooks hooks;
  hooks.prompter = &prompter;
  hooks.wait = run.Waiter();
  hooks.createPatient = [&](const std::string& serial, CPatientProfile& cur) {
    SaveNewPatient(db, prompter, po, serial, cur);
  };
  DownloadSession session(run.Access());
  ReadingTable table;
  DownloadReport r = RunSinglePatientDownload(session, hooks, db, current, table);
  if (r.stored) PrintRow({"patient", current.IDNo});
  PrintRow({"inserted", std::to_string(r.inserted)});
  std::cout.flush();
  if (r.insertFailures > 0)
    throw CliExit{1, std::to_string(r.insertFailures) + " readings were refused by the database."};
  if (r.messageShown) throw CliExit{1, ""};
  if (!r.stored) throw CliExit{1, "Nothing was stored."};
}

void RunClinic(const Context& ctx, const MeterOptions& mo) {
  EmulatedRun run(mo, LinkKind::VXA);
  Database db = OpenDatabaseOrExit();
  CliPrompter prompter(ctx);
  DownloadHooks hooks;
  hooks.prompter = &prompter;
  hooks.wait = run.Waiter();
  DownloadSession session(run.Access());
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
  std::cout.flush();
  if (s.insertFailures > 0)
    throw CliExit{1, std::to_string(s.insertFailures) + " readings were refused by the database."};
  if (r.messageShown) throw CliExit{1, ""};
}

void RegisterDownload(CLI::App& app, Context& ctx) {
  static std::string id;
  static MeterOptions single;
  static NewPatientOptions newPatient;
  auto* dl = app.add_subcommand("download", "Single-patient download from an emulated meter");
  dl->add_option("--id", id, "ID of the patient to download for (default: found by serial)");
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
