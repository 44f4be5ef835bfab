// meridane-cli demo: a few demo patients with some months of plausible readings, saved
// through the patient form and filed as downloads file them. Running it again adds nothing.
// It can also write a personal and a clinic meter image holding the demo patients' latest
// readings, for the meter emulator of the window and the downloads.
#include <algorithm>
#include <fstream>
#include <random>

#include "cli/cli_common.h"
#include "meter/meter_image.h"
#include "reports/classification.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane::cli {
namespace {

constexpr int kDemoDays = 120;
// The newest days are on the meters only: a download of a demo image adds them, and the
// older readings the image holds too are recognised as already stored.
constexpr int kMeterOnlyDays = 3;
constexpr int kPersonalImageDays = 21;
constexpr int kClinicImageDays = 14;
// The clinic meter's own serial number (its readings carry the patients' record numbers).
constexpr const char* kClinicMeterSerial = "VXC2000001";

struct DemoPatient {
  PatientFormValues form;
  ProfileEditorState editor;
  int medicalNo = -1;      // carried by each reading: -1 personal meter, else the clinic number
  double preMeal = 120;    // typical before-meal value, mg/dL
  double postRise = 50;    // typical rise after a meal
  double spread = 22;      // day-to-day scatter
  unsigned seed = 1;
};

// Type, diagnosis, unit, the two target ranges (in that unit) and the hypo threshold.
void SetHealth(HealthRecord& h, int type, Date diagnosed, int unit, double preLow, double preHigh,
               double postLow, double postHigh, int hypo) {
  h.diabetesType = type;
  h.yearDiagnosed = diagnosed;
  h.glucoUnit = unit;
  h.preMealLow = preLow;
  h.preMealHigh = preHigh;
  h.postMealLow = postLow;
  h.postMealHigh = postHigh;
  h.hypoglycemic = hypo;
}

Schedule MakeSchedule(std::initializer_list<TimeOfDay> starts) {
  Schedule s;
  std::copy(starts.begin(), starts.end(), s.start.begin());
  return s;
}

std::vector<DemoPatient> DemoPatients() {
  std::vector<DemoPatient> out;
  const Date today = Today();
  const Date diagnosed{today.year - 6, 3, 14};

  {  // Type 1 on insulin, mg/dL, 24-hour clock, her own working-day schedule.
    DemoPatient d;
    d.form = {"Anna Schmidt", "DEMO-001", "", {1984, 5, 17}, "0611-234567", "Lindenweg 4, Bern",
              1, "anna.schmidt@example.org", "DM72A00001", true, false};
    CPatientProfile& s = d.editor.staging;
    s.Clear();
    s.working = MakeSchedule({{6, 30}, {8, 30}, {11, 30}, {13, 30}, {18, 0}, {20, 0}, {22, 30}});
    s.medications.insulin = (1 << 0) | (1 << 4);  // Glargine, Rapid
    s.regimens.activeRegimen = 0;
    s.regimens.regimen[0].name = "Basal-bolus";
    s.regimens.regimen[0].date = {today.year - 1, 1, 10};
    s.regimens.regimen[0].doses[0] = {6, "Rapid"};
    s.regimens.regimen[0].doses[2] = {5, "Rapid"};
    s.regimens.regimen[0].doses[4] = {7, "Rapid"};
    s.regimens.regimen[0].doses[6] = {18, "Glargine"};
    SetHealth(s.healthRecord, 0, diagnosed, 1, 70, 130, 90, 180, 70);
    s.healthRecord.hight = 168;
    s.healthRecord.weight = 61;
    s.healthRecord.hbA1C = 7.1;
    d.editor.confirmed =
        kSectionWorking | kSectionMedications | kSectionRegimens | kSectionHealthRecord;
    d.preMeal = 118;
    d.postRise = 55;
    d.spread = 28;
    d.seed = 11;
    out.push_back(d);
  }
  {  // Type 2, mmol/L, AM/PM clock, "Meal1".."Meal3", a later weekend schedule; measured at
     // the clinic (record number 002).
    DemoPatient d;
    d.form = {"Peter Novak", "DEMO-002", "2", {1956, 11, 2}, "0622-765432", "Hauptstrasse 12, Graz",
              0, "p.novak@example.org", "", false, true};
    CPatientProfile& s = d.editor.staging;
    s.Clear();
    s.working = MakeSchedule({{7, 0}, {9, 30}, {12, 0}, {14, 30}, {18, 30}, {21, 0}, {23, 30}});
    s.workEnable = true;
    s.nonWorking.nonWorkingDay = 1 | 64;  // Sunday, Saturday
    s.nonWorking.blocks =
        MakeSchedule({{9, 0}, {11, 0}, {13, 30}, {16, 0}, {19, 0}, {21, 30}, {23, 45}});
    s.medications.oral = 1 << 1;  // Metformin
    s.medications.dietExercise = true;
    s.complications.complications = 1 << 3;  // High Blood Pressure
    SetHealth(s.healthRecord, 1, {today.year - 11, 9, 1}, 0, 4.0, 7.0, 5.0, 10.0, 3);  // mmol/L
    s.healthRecord.hight = 181;
    s.healthRecord.weight = 94;
    s.healthRecord.hbA1C = 7.8;
    s.healthRecord.bloodPressureA = 142;
    s.healthRecord.bloodPressureB = 88;
    d.editor.confirmed = kSectionWorking | kSectionNonWorking | kSectionMedications |
                         kSectionComplications | kSectionHealthRecord;
    d.medicalNo = 2;
    d.preMeal = 142;
    d.postRise = 62;
    d.spread = 30;
    d.seed = 22;
    out.push_back(d);
  }
  {  // A clinic patient: medical record number 007, default schedule, AM/PM, mg/dL.
    DemoPatient d;
    d.form = {"Maria Rossi", "DEMO-003", "7", {1971, 2, 28}, "0633-111222", "Via Roma 3, Trieste",
              1, "", "", false, false};
    CPatientProfile& s = d.editor.staging;
    s.Clear();
    SetHealth(s.healthRecord, 1, diagnosed, 1, 80, 140, 100, 190, 65);
    s.inquiry.inquiryDate = today;
    s.inquiry.comment = "Check feet at next visit";
    s.inquiry.note = "Asked about evening snacks; agreed to log after-dinner values.";
    s.inquiry.special = true;
    d.editor.confirmed = kSectionHealthRecord | kSectionInquiry;
    d.medicalNo = 7;
    d.preMeal = 128;
    d.postRise = 48;
    d.spread = 20;
    d.seed = 33;
    out.push_back(d);
  }
  for (auto& d : out) d.editor.opened = true;
  return out;
}

// Minutes since midnight of block `b` (0..6) of a schedule, and the block's length.
int BlockStart(const Schedule& s, int b) { return s.start[b].Minutes(); }
int BlockLength(const Schedule& s, int b) {
  int next = b < 6 ? BlockStart(s, b + 1) : 24 * 60;  // night readings stay before midnight
  return std::max(1, next - BlockStart(s, b));
}

// Readings of one day: taken inside the patient's blocks, before-meal values near the
// patient's level, after-meal ones higher, with the odd low or high outlier.
struct Generated {
  DateTime at;
  int gluco;
  int mark;
};

std::vector<Generated> GenerateReadings(const DemoPatient& d, const CPatientProfile& patient,
                                        const Date& first, int days) {
  std::mt19937 rng(d.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> noise(0.0, 1.0);
  // How often each block gets a reading: mornings and dinners most.
  const double take[7] = {0.95, 0.45, 0.6, 0.35, 0.8, 0.5, 0.25};
  std::vector<Generated> out;
  for (int day = 0; day < days; ++day) {
    Date date = AddDays(first, day);
    double dayLevel = noise(rng) * d.spread * 0.4;  // good and bad days
    for (int b = 0; b < 7; ++b) {
      if (unit(rng) >= take[b]) continue;
      DateTime noon{date.year, date.month, date.day, 12, 0};
      const Schedule& s = ScheduleFor(patient, noon);
      int len = BlockLength(s, b);
      int offset = std::min(len - 1, 5 + static_cast<int>(unit(rng) * std::max(1, len - 10)));
      int minute = std::min(BlockStart(s, b) + offset, 24 * 60 - 1);
      bool before = b % 2 == 0 && b < 6;
      double v = d.preMeal + dayLevel + noise(rng) * d.spread;
      if (!before && b < 6) v += d.postRise + noise(rng) * d.spread * 0.5;
      if (b == 6) v += 15;
      double outlier = unit(rng);
      if (outlier < 0.012) v = 48 + unit(rng) * 14;          // a hypo
      else if (outlier > 0.988) v = 310 + unit(rng) * 110;   // a missed dose
      int gluco = std::clamp(static_cast<int>(v + 0.5), 40, 480);
      // Meters mark most before-meal readings; now and then the mark is forgotten or wrong.
      int mark = before ? (unit(rng) < 0.9 ? 1 : 0) : (unit(rng) < 0.93 ? 0 : 1);
      out.push_back({{date.year, date.month, date.day, minute / 60, minute % 60}, gluco, mark});
    }
  }
  return out;
}

// A few readings get details, as a patient would enter them in the detail editor.
void AddDetails(GlucoReading& r, int kind) {
  GlucoDetailRecord& d = r.detail;
  d.type = 0;  // finger tip
  switch (kind % 4) {
    case 0:
      d.commentOptions = kOptFood;
      d.commentOptionsFood = 2;  // too much food
      d.carbs = 110;
      d.commentFoo = "Birthday cake";
      break;
    case 1:
      d.commentOptions = kOptExercise | kOptExerciseType;
      d.commentOptionsExercise = 1;  // after exercise
      d.commentOptionsType = 0;
      d.exerciseHour = 1;
      d.exerciseMinute = 15;
      d.intensity = 1;
      d.commentExe = "Cycling to work";
      break;
    case 2:
      d.commentOptions = kOptIllness;
      d.comment = "Cold, felt unwell";
      break;
    default:
      d.commentOptions = kOptMedication;
      d.insulinType = 0;
      d.insulin = "Rapid";
      d.insulinAmount = 4;
      d.commentIns = "Correction dose";
      break;
  }
  r.mark = 2;  // saved from the editor: the slot is fixed from now on
}

// Returns how many readings were added (0 when the patient already has readings).
int FillReadings(Database& db, const DemoPatient& d) {
  CPatientProfile patient;
  if (!LoadPatient(db, d.form.IDNo, patient)) return 0;
  patient.IDNo = d.form.IDNo;
  ReadingTable table;
  LoadReadings(db, patient, table, ClassifyReadingSlot);
  if (table.count() > 0) return 0;
  if (!EnsureReadingsTable(db, patient.IDNo)) throw CliExit{1, "demo: cannot create readings table"};

  auto batch = GenerateReadings(d, patient, AddDays(Today(), -(kDemoDays - 1)), kDemoDays);
  const Date meterOnly = AddDays(Today(), -(kMeterOnlyDays - 1));
  std::erase_if(batch, [&](const Generated& g) { return !(g.at.date() < meterOnly); });
  {
    Database::Transaction tx(db);
    for (const Generated& g : batch) {
      MealCode code = ComposeMealCode(ClassifyReadingSlot(patient, g.at), g.mark);
      if (InsertReading(db, patient.IDNo, g.at, g.gluco, code.meal, d.medicalNo) < 0)
        throw CliExit{1, "demo: the readings of " + patient.IDNo + " were not filed"};
    }
    if (!tx.Commit()) throw CliExit{1, "demo: the readings of " + patient.IDNo + " were not filed"};
  }

  LoadReadings(db, patient, table, ClassifyReadingSlot);
  std::mt19937 rng(d.seed + 1000);
  for (int k = 0; k < 8 && table.count() > 0; ++k)
    AddDetails(table.entries[rng() % table.count()], k + static_cast<int>(d.seed));
  if (SaveReadingEdits(db, patient, table) != PatientCheck::Current)
    throw CliExit{1, "demo: the details of " + patient.IDNo + " were not saved"};
  return static_cast<int>(batch.size());
}

// The demo patient's generated readings of the last `days` days, as the meter holds them.
std::vector<Generated> LatestReadings(Database& db, const DemoPatient& d, int days) {
  CPatientProfile patient;
  if (!LoadPatient(db, d.form.IDNo, patient)) return {};
  auto all = GenerateReadings(d, patient, AddDays(Today(), -(kDemoDays - 1)), kDemoDays);
  // A meter holds nothing it has not measured yet: today's readings end at this minute.
  const Date from = AddDays(Today(), -(days - 1));
  const DateTime now = Now();
  std::erase_if(all, [&](const Generated& g) { return g.at.date() < from || now < g.at; });
  return all;
}

MeterRecord RecordOf(const Generated& g, int medicalNo) {
  return {g.gluco, g.at.year, g.at.month, g.at.day, g.at.hour, g.at.minute, g.mark,
          std::max(medicalNo, 0), false};
}

void WriteImage(const std::string& path, std::uint8_t type,
                const std::vector<std::vector<std::uint8_t>>& records) {
  const std::vector<std::uint8_t> image = BuildMeterImage(type, records);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out) throw CliExit{1, "demo: cannot write '" + path + "'"};
}

// The personal meter of the first demo patient with one: its serial is that patient's.
void WritePersonalImage(Database& db, const std::vector<DemoPatient>& demo,
                        const std::string& path) {
  auto owner = std::find_if(demo.begin(), demo.end(),
                            [](const DemoPatient& d) { return !d.form.meterSN.empty(); });
  if (owner == demo.end()) throw CliExit{1, "demo: no demo patient with a meter is in the book"};
  std::vector<std::vector<std::uint8_t>> records;
  for (const Generated& g : LatestReadings(db, *owner, kPersonalImageDays))
    records.push_back(EncodePersonalRecord(RecordOf(g, 0)));
  WriteImage(path, kPersonalMeterType, records);
  PrintRow({"personal-image", path, owner->form.meterSN,
            std::to_string(records.size()) + " readings of " + owner->form.IDNo});
}

// The clinic meter: the clinic patients' readings in time order, one voided reading and
// two of a record number no patient has (shown without a name, never filed).
void WriteClinicImage(Database& db, const std::vector<DemoPatient>& demo, const std::string& path) {
  std::vector<std::pair<Generated, int>> taken;
  for (const DemoPatient& d : demo) {
    if (d.medicalNo < 0) continue;
    for (const Generated& g : LatestReadings(db, d, kClinicImageDays))
      taken.push_back({g, d.medicalNo});
  }
  std::stable_sort(taken.begin(), taken.end(),
                   [](const auto& a, const auto& b) { return a.first.at < b.first.at; });
  const Date today = Today();
  std::vector<std::vector<std::uint8_t>> records;
  for (const auto& [g, no] : taken) records.push_back(EncodeClinicRecord(RecordOf(g, no)));
  constexpr int kUnknownNo = 99;
  records.push_back(
      EncodeClinicRecord({112, today.year, today.month, today.day, 8, 5, 1, kUnknownNo, false}));
  records.push_back(
      EncodeClinicRecord({168, today.year, today.month, today.day, 10, 40, 0, kUnknownNo, false}));
  records.push_back(
      EncodeClinicRecord({95, today.year, today.month, today.day, 9, 15, 1, 7, true}));
  WriteImage(path, kClinicMeterType, records);
  PrintRow(
      {"clinic-image", path, kClinicMeterSerial, std::to_string(records.size()) + " readings"});
}

struct DemoOptions {
  std::string personalImage, clinicImage;
};

void RunDemo(const DemoOptions& o, const Context& ctx) {
  Database db = OpenDatabaseOrExit(ctx);
  std::vector<DemoPatient> ours;  // the demo patients in the book, for the images
  for (const DemoPatient& d : DemoPatients()) {
    bool existed = PatientIdExists(db, d.form.IDNo);
    if (existed) {
      // Demo readings never go under a real patient who happens to have a demo ID.
      CPatientProfile stored;
      if (!LoadPatient(db, d.form.IDNo, stored) || stored.fullName != d.form.fullName) {
        PrintRow({d.form.IDNo, d.form.fullName, "ID in use by another patient, left alone"});
        continue;
      }
    } else {
      ScriptedPrompter yes(true);  // the demo answers its own questions
      CPatientProfile current;
      current.Clear();
      if (SavePatientForm(db, yes, d.form, false, d.editor, current) != FormSaveOutcome::Saved) {
        std::string why = yes.asked().empty() ? "" : ": " + yes.asked().back().text;
        throw CliExit{1, "demo: " + d.form.IDNo + " was not saved" + why};
      }
    }
    ours.push_back(d);
    int added = FillReadings(db, d);
    PrintRow({d.form.IDNo, d.form.fullName,
              added ? std::to_string(added) + " readings added"
                    : existed ? "already present" : "no readings added"});
  }
  if (!o.personalImage.empty()) WritePersonalImage(db, ours, o.personalImage);
  if (!o.clinicImage.empty()) WriteClinicImage(db, ours, o.clinicImage);
}

void RegisterDemo(CLI::App& app, Context& ctx) {
  static DemoOptions o;
  auto* demo =
      app.add_subcommand("demo", "Fill the database with demo patients and readings (idempotent)");
  demo->add_option("--personal-image", o.personalImage,
                   "Also write a personal meter image with the latest readings of the demo "
                   "patient who has a meter (play it with --meter-image and the serial printed)");
  demo->add_option("--clinic-image", o.clinicImage,
                   "Also write a clinic meter image with the latest readings of the demo clinic "
                   "patients");
  demo->callback([&ctx] { RunDemo(o, ctx); });
}

Register reg(&RegisterDemo);

}  // namespace
}  // namespace meridane::cli
