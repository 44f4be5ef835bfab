// meridane-cli readings add|list|detail: file readings as a download does, show them as the
// log book loads them, and edit one reading's details as the detail editor and the save on
// leaving the page do.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/cli_common.h"
#include "download/reading_keys.h"
#include "reports/classification.h"
#include "reports/reading_details.h"
#include "store/reading_store.h"

namespace meridane::cli {
namespace {

using nlohmann::json;

constexpr int kMaxGluco = 9999;
constexpr int kPersonalMeterMedicalNo = -1;

struct NewReading {
  DateTime at;
  int gluco = 0;
  int mark = 0;
};

std::string ReadingTime(const DateTime& at) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", at.year, at.month, at.day, at.hour,
                at.minute);
  return buf;
}

std::vector<std::string> ReadingRow(const GlucoReading& r) {
  return {std::to_string(r.idx), ReadingTime(r.at),       std::to_string(r.gluco),
          std::to_string(r.slot), std::to_string(r.mark), std::to_string(r.medicalNo)};
}

// Lines "YYYY-MM-DD HH:MM<TAB>value[<TAB>mark]"; blank lines are skipped. One bad line
// refuses the whole file, so a file is filed completely or not at all.
std::vector<NewReading> ReadReadingsFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CliExit{2, "--file: cannot read '" + path + "'"};
  std::vector<NewReading> out;
  std::string line;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::vector<std::string> cells;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, '\t');) cells.push_back(cell);
    std::string where = path + ":" + std::to_string(lineNo);
    if (cells.size() < 2 || cells.size() > 3)
      throw CliExit{2, where + ": expected YYYY-MM-DD HH:MM<TAB>value[<TAB>mark]"};
    NewReading r;
    r.at = ParseDateTimeArg(cells[0], where.c_str());
    auto number = [&](const std::string& text, int lo, int hi, const char* what) {
      size_t used = 0;
      int v = 0;
      try {
        v = std::stoi(text, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used == 0 || used != text.size() || v < lo || v > hi)
        throw CliExit{2, where + ": " + what + " must be a whole number from " +
                             std::to_string(lo) + " to " + std::to_string(hi) + ", got '" +
                             text + "'"};
      return v;
    };
    r.gluco = number(cells[1], 0, kMaxGluco, "value");
    if (cells.size() == 3) r.mark = number(cells[2], 0, 1, "mark");
    out.push_back(r);
  }
  return out;
}

// Files new readings as a download does: a reading equal in value and time to one already
// stored (or already filed from this batch) is skipped; each new one gets its slot from the
// patient's schedule and its meal code, and all go in as one transaction.
void FileReadings(const Context& ctx, const std::string& idNo, const std::vector<NewReading>& batch,
                  int medicalNo) {
  // A reading from the future would head every "latest days" period; a day's grace covers
  // time zones ahead of this machine's.
  const Date latest = AddDays(Today(), 1);
  for (const NewReading& n : batch)
    if (n.at.date() > latest)
      throw CliExit{1, FillText(LookupText("Cli", "FutureReading",
                                           "No reading was filed: {time} is more than one day "
                                           "after today."),
                                {{"time", ReadingTime(n.at)}})};
  Database db = OpenDatabaseOrExit(ctx);
  CPatientProfile patient;
  LoadPatientOrExit(db, idNo, patient);
  std::vector<GlucoReading> filed;
  std::vector<const NewReading*> skipped;
  {
    // The write lock first: the stored keys read under it stay true until the commit.
    Database::Transaction tx(db);
    FailureWatch watch(db);
    if (!tx.ok()) throw CliExit{1, LookupText("Cli", "FileRefused", "No reading was filed: the database refused the change.")};
    if (!EnsureReadingsTable(db, idNo))
      throw CliExit{1, LookupText("Cli", "NoTable", "No reading was filed: the readings table cannot be created.")};
    // The duplicate rule of downloads: the same value at the same minute is stored already.
    ReadingKeySet present = StoredReadingKeys(db, idNo);
    if (watch.failed()) throw CliExit{1, LookupText("Cli", "StoredUnread", "No reading was filed: the stored readings cannot be read.")};
    for (const NewReading& n : batch) {
      if (!present.Insert({n.gluco, n.at, 0})) {
        skipped.push_back(&n);
        continue;
      }
      GlucoReading r;
      r.at = n.at;
      r.gluco = n.gluco;
      r.medicalNo = medicalNo;
      r.slot = ClassifyReadingSlot(patient, n.at);
      MealCode code = ComposeMealCode(r.slot, n.mark);
      r.mark = code.mark;
      int64_t idx = InsertReading(db, idNo, r.at, r.gluco, code.meal, medicalNo);
      if (idx < 0) throw CliExit{1, LookupText("Cli", "FileRefused", "No reading was filed: the database refused the change.")};
      r.idx = static_cast<int>(idx);
      filed.push_back(r);
    }
    if (!tx.Commit()) throw CliExit{1, LookupText("Cli", "FileRefused", "No reading was filed: the database refused the change.")};
  }
  for (const NewReading* n : skipped)
    std::cerr << FillText(LookupText("Cli", "AlreadyStored", "Already stored, skipped: {time}\t{value}"),
                          {{"time", ReadingTime(n->at)}, {"value", std::to_string(n->gluco)}})
              << "\n";
  for (const GlucoReading& r : filed) PrintRow(ReadingRow(r));
}

json DetailToJson(GlucoDetailRecord d) {
  json j = json::object();
  for (const auto& c : DetailColumns(d)) j[c.name] = ColumnToJson(c);
  return j;
}

// The detail editor's entry checks; the oral whole-number rule has its own message.
void CheckDetailLimits(const GlucoDetailRecord& d) {
  if (auto field = CodeOutsideList(d))
    throw CliExit{1, FillText(LookupText("Cli", "DetailChoice",
                                         "The detail record was not saved: {field} is not one of "
                                         "its choices."),
                              {{"field", *field}})};
  const auto failure = ValidateDetailEntries(EntriesOf(d));
  if (!failure) return;
  if (!failure->message.empty()) throw CliExit{1, failure->message};
  throw CliExit{1, FillText(LookupText("Cli", "DetailRange",
                                       "The detail record was not saved: {field} must lie within 0 "
                                       "and {max}."),
                            {{"field", failure->column}, {"max", DetailNumberText(failure->max)}})};
}

void EditDetail(const Context& ctx, const std::string& idNo, int idx, const std::string& path) {
  json file = ReadJsonFile(path, "--json");
  Database db = OpenDatabaseOrExit(ctx);
  CPatientProfile patient;
  LoadPatientOrExit(db, idNo, patient);
  ReadingTable table;
  LoadReadingsOrExit(db, patient, table);
  auto it = std::find_if(table.entries.begin(), table.entries.end(),
                         [&](const GlucoReading& r) { return r.idx == idx; });
  if (it == table.entries.end())
    throw CliExit{1, FillText(LookupText("Cli", "NoReadingIdx",
                                         "Patient {id} has no reading with idx {idx}."),
                              {{"id", idNo}, {"idx", std::to_string(idx)}})};
  GlucoReading& reading = *it;

  GlucoDetailRecord detail = reading.detail;
  auto cols = DetailColumns(detail);
  std::optional<int> slot;
  for (auto& [key, v] : file.items()) {
    if (key == "IDNo" || key == "idx") continue;
    if (key == "slot") {
      // The editor's slot list: it moves the reading, not the detail row's own slot column.
      if (!v.is_number_integer() || v < 1 || v > 7)
        throw CliExit{2, "--json: slot: expected a slot from 1 to 7, got " + v.dump()};
      slot = v.get<int>();
      continue;
    }
    const ColumnRef* col = nullptr;
    for (const auto& c : cols)
      if (key == c.name) col = &c;
    if (!col) throw CliExit{2, "--json: GlucoDetail has no column '" + key + "'"};
    std::string name = col->name;
    bool text = std::holds_alternative<std::string*>(col->field);
    const std::size_t maxText = name.rfind("comment", 0) == 0 ? kMaxDetailComment : kMaxDetailName;
    ColumnFromJson(*col, v, "--json: " + key, text ? maxText : 0);
  }
  CheckDetailLimits(detail);
  // Saving in the editor moves the reading to the chosen slot and takes its meal mark.
  if (ApplyReadingDetails(reading, idNo, detail, slot.value_or(0)) == DetailApply::kSlotLocked)
    throw CliExit{1, LookupText("Cli", "SlotFixed", "The slot of this reading can no longer be changed.")};
  switch (SaveReadingEdits(db, patient, table)) {
    case PatientCheck::Current:
      return;
    case PatientCheck::ChangedElsewhere:
    case PatientCheck::Deleted:
      throw CliExit{1, LookupText("Cli", "ChangedElsewhere",
                                  "Nothing was saved: the patient was changed or deleted at "
                                  "another desk meanwhile. Run the command again.")};
    case PatientCheck::Failed:
      throw CliExit{1, LookupText("Cli", "PartSaved", "Not every change was saved: the database refused part of it.")};
  }
}

void RegisterReadings(CLI::App& app, Context& ctx) {
  auto* readings = app.add_subcommand("readings", "File, list and annotate a patient's readings");
  readings->require_subcommand(1);

  static struct {
    std::string id, at, file;
    int value = 0, mark = 0, medicalNo = kPersonalMeterMedicalNo;
  } add;
  auto* addCmd = readings->add_subcommand("add", "File readings as a download does");
  addCmd->add_option("ID", add.id, "ID number")->required();
  auto* at = addCmd->add_option("--at", add.at, "Date and time YYYY-MM-DD HH:MM");
  auto* value = addCmd->add_option("--value", add.value, "Glucose in mg/dL")
                    ->check(CLI::Range(0, kMaxGluco));
  addCmd->add_option("--mark", add.mark, "Meter mark: 1 before a meal, 0 not")
      ->check(CLI::IsMember({0, 1}));
  addCmd->add_option("--medical-no", add.medicalNo, "Medical record number (-1 personal meter)")
      ->check(CLI::Range(-1, 1023));
  auto* file = addCmd->add_option("--file", add.file,
                                  "Lines YYYY-MM-DD HH:MM<TAB>value[<TAB>mark], in one transaction");
  at->needs(value);
  value->needs(at);
  file->excludes(at)->excludes(value);
  addCmd->callback([addCmd, file, &ctx] {
    std::vector<NewReading> batch;
    if (file->count()) {
      batch = ReadReadingsFile(add.file);
    } else if (addCmd->count("--at")) {
      batch.push_back({ParseDateTimeArg(add.at, "--at"), add.value, add.mark});
    } else {
      throw CliExit{2, "readings add: give --at and --value, or --file"};
    }
    FileReadings(ctx, add.id, batch, add.medicalNo);
  });

  static std::string listId;
  static bool listJson = false;
  auto* list = readings->add_subcommand("list", "The readings as loaded: sorted and classified");
  list->add_option("ID", listId, "ID number")->required();
  list->add_flag("--json", listJson, "A JSON array, with the detail record where there is one");
  list->callback([&ctx] {
    Database db = OpenDatabaseOrExit(ctx);
    CPatientProfile patient;
    LoadPatientOrExit(db, listId, patient);
    ReadingTable table;
    LoadReadingsOrExit(db, patient, table);
    if (!listJson) {
      for (const GlucoReading& r : table.entries) PrintRow(ReadingRow(r));
      return;
    }
    json all = json::array();
    for (const GlucoReading& r : table.entries) {
      json j = {{"idx", r.idx},   {"glucoDate", ReadingTime(r.at)}, {"gluco", r.gluco},
                {"slot", r.slot}, {"mark", r.mark},                 {"medicalNo", r.medicalNo}};
      if (r.detail.IsNonEmpty()) j["detail"] = DetailToJson(r.detail);
      all.push_back(j);
    }
    PrintJson(all);
  });

  static std::string detailId, detailFile;
  static int detailIdx = 0;
  auto* detail = readings->add_subcommand(
      "detail", "Set a reading's detail record (and slot), then save as leaving the page does");
  detail->add_option("ID", detailId, "ID number")->required();
  detail->add_option("IDX", detailIdx, "idx of the reading")->required();
  detail->add_option("--json", detailFile, "JSON file keyed by GlucoDetail column names")
      ->required();
  detail->callback([&ctx] { EditDetail(ctx, detailId, detailIdx, detailFile); });
}

Register reg(&RegisterReadings);

}  // namespace
}  // namespace meridane::cli
