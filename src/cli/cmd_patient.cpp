// meridane-cli patient add|edit|show|list|delete: the patient form and its profile editor,
// driven by options and a JSON profile file.
#include <iostream>
#include <optional>
#include <tuple>

#include "cli/cli_common.h"
#include "profile/profile_rules.h"
#include "store/patient_store.h"

namespace meridane::cli {
namespace {

using nlohmann::json;

// ---- the profile file and the show document ----

// Entry-field limits of the profile editor's texts; the columns are declared narrower in
// places, but the editor takes these.
size_t SectionTextLimit(const std::string& column) {
  if (column == "note") return 1000;
  if (column == "comment") return 100;
  if (column == "other") return 50;
  if (column.size() > 4 && column.compare(column.size() - 4, 4, "Name") == 0) return 30;
  return 20;  // medicine names and regimen insulin types
}

const ColumnRef* FindColumn(const std::vector<ColumnRef>& cols, const std::string& name) {
  for (const auto& c : cols)
    if (name == c.name) return &c;
  return nullptr;
}

// Applies a profile file to the editor's staging copy: every section present counts as
// edited and confirmed with OK. timeUnit and mealEnable go to the form, as the editor's
// schedule tab sets them; workEnable (the "different schedule for non-working days" box)
// goes with the non-working schedule, which a file that gives that schedule switches on.
void ApplyProfileFile(const json& file, PatientFormValues& form, ProfileEditorState& editor) {
  editor.opened = true;
  CPatientProfile scratch;
  auto patientCols = PatientColumns(scratch);
  std::optional<bool> workEnable;
  for (auto& [key, value] : file.items()) {
    if (key == "timeUnit" || key == "mealEnable" || key == "workEnable") {
      bool flag = false;
      ColumnFromJson(ColumnRef{key.c_str(), &flag}, value, "--profile: " + key);
      if (key == "timeUnit") form.timeUnit = flag;
      if (key == "mealEnable") form.mealEnable = flag;
      if (key == "workEnable") workEnable = flag;
      continue;
    }
    std::optional<SectionBit> section;
    for (SectionBit s : kSectionOrder)
      if (key == SectionTable(s)) section = s;
    if (!section) {
      // A `patient show` document may be given back: its Patient columns are not profile keys.
      if (FindColumn(patientCols, key)) continue;
      throw CliExit{2, "--profile: unknown key '" + key + "'"};
    }
    if (!value.is_object())
      throw CliExit{2, "--profile: " + key + ": expected an object keyed by column names"};
    auto cols = SectionColumns(editor.staging, *section);
    for (auto& [column, v] : value.items()) {
      if (column == "IDNo") continue;  // the patient's ID comes from the form
      const ColumnRef* col = FindColumn(cols, column);
      if (!col) throw CliExit{2, "--profile: " + key + " has no column '" + column + "'"};
      ColumnFromJson(*col, v, "--profile: " + key + "." + column, SectionTextLimit(column));
    }
    editor.confirmed |= *section;
    if (*section == kSectionNonWorking && !workEnable) editor.staging.workEnable = true;
  }
  if (workEnable) {
    editor.staging.workEnable = *workEnable;
    editor.confirmed |= kSectionNonWorking;
  }
}

// The profile editor's OK validates before anything reaches the staging copy; a file that
// the editor would not have accepted is refused the same way (status 1).
void CheckProfileRules(const ProfileEditorState& editor) {
  const CPatientProfile& s = editor.staging;
  if ((editor.confirmed & (kSectionWorking | kSectionNonWorking)) &&
      !SchedulesValid(s.working, s.workEnable, s.nonWorking.blocks))
    throw CliExit{1, LookupText(kTimeBlockError)};  // dynamic text
  if (editor.confirmed & kSectionHealthRecord) {
    HealthCheck check = CheckHealthRecord(HealthEntriesFrom(s.healthRecord));
    if (!check.ok)
      throw CliExit{1, !check.message.empty()
                           ? check.message
                           : "HealthRecord: every number must be zero or more, written plainly."};
  }
  if (editor.confirmed & kSectionRegimens)
    for (const Regimen& r : s.regimens.regimen)
      if (!RegimenUnitsValid(r))
        throw CliExit{1, LookupText("Cli", "RegimenUnits", "Regimen: insulin units must lie within 0 and 250.")};
}

json PatientToJson(CPatientProfile p) {
  json j = json::object();
  for (const auto& c : PatientColumns(p)) j[c.name] = ColumnToJson(c);
  for (SectionBit s : kSectionOrder) {
    if (!SectionFlag(p, s)) continue;
    json section = json::object();
    for (const auto& c : SectionColumns(p, s)) section[c.name] = ColumnToJson(c);
    j[SectionTable(s)] = section;
  }
  return j;
}

void PrintPatientText(CPatientProfile p) {
  auto cell = [](const json& v) { return v.is_string() ? v.get<std::string>() : v.dump(); };
  for (const auto& c : PatientColumns(p)) PrintRow({c.name, cell(ColumnToJson(c))});
  for (SectionBit s : kSectionOrder) {
    if (!SectionFlag(p, s)) continue;
    for (const auto& c : SectionColumns(p, s))
      PrintRow({std::string(SectionTable(s)) + "." + c.name, cell(ColumnToJson(c))});
  }
}

// ---- add and edit ----

struct FormOptions {
  std::string name, id, medicalNo, birth, phone, address, email, meterSN, profile;
  bool female = false, male = false;
  CLI::Option *oName = nullptr, *oId = nullptr, *oMedicalNo = nullptr, *oBirth = nullptr,
              *oPhone = nullptr, *oAddress = nullptr, *oEmail = nullptr, *oMeterSN = nullptr;
};

void AddFormOptions(CLI::App* cmd, FormOptions& o, bool add) {
  o.oName = cmd->add_option("--name", o.name, "Full name (at most 30 characters)");
  if (add) o.oId = cmd->add_option("--id", o.id, "ID number (at most 12 characters)")->required();
  if (add) o.oName->required();
  o.oMedicalNo = cmd->add_option("--medical-no", o.medicalNo, "Medical record number");
  o.oMeterSN = cmd->add_option("--meter-sn", o.meterSN, "Serial number of the patient's meter");
  o.oBirth = cmd->add_option("--birth", o.birth, "Date of birth YYYY-MM-DD");
  auto* female = cmd->add_flag("--female", o.female, "Gender female");
  cmd->add_flag("--male", o.male, "Gender male")->excludes(female);
  o.oPhone = cmd->add_option("--phone", o.phone, "Phone number");
  o.oAddress = cmd->add_option("--address", o.address, "Address");
  o.oEmail = cmd->add_option("--email", o.email, "E-mail address");
  cmd->add_option("--profile", o.profile, "JSON file of profile settings and sections");
}

void CheckLength(const std::string& text, const char* option, size_t maxChars) {
  if (CharacterCount(text) > maxChars)
    throw CliExit{2, std::string(option) + ": at most " + std::to_string(maxChars) +
                         " characters"};
}

// The form's values: the current patient's, overridden by the options given.
PatientFormValues FormFromOptions(const FormOptions& o, const CPatientProfile& current) {
  PatientFormValues f;
  f.fullName = current.fullName;
  f.IDNo = current.IDNo;
  f.medicalNo = current.medicalNo;
  f.birth = current.birth;
  f.phone = current.phone;
  f.address = current.address;
  f.gender = current.gender;
  f.email = current.email;
  f.meterSN = current.meterSN;
  f.timeUnit = current.timeUnit;
  f.mealEnable = current.mealEnable;
  if (o.oName->count()) f.fullName = o.name;
  if (o.oId && o.oId->count()) f.IDNo = o.id;
  if (o.oMedicalNo->count()) f.medicalNo = o.medicalNo;
  if (o.oBirth->count()) f.birth = ParseDateArg(o.birth, "--birth");
  if (o.oPhone->count()) f.phone = o.phone;
  if (o.oAddress->count()) f.address = o.address;
  if (o.oEmail->count()) f.email = o.email;
  if (o.oMeterSN->count()) f.meterSN = o.meterSN;
  if (o.female) f.gender = 1;
  if (o.male) f.gender = 0;
  // The form's entry fields stop at these lengths; stored values are not judged again.
  const std::tuple<CLI::Option*, const std::string&, size_t> limits[] = {
      {o.oName, o.name, 30},   {o.oId, o.id, 12},       {o.oPhone, o.phone, 12},
      {o.oAddress, o.address, 100}, {o.oEmail, o.email, 40}, {o.oMeterSN, o.meterSN, 11}};
  for (auto& [opt, text, max] : limits)
    if (opt && opt->count()) CheckLength(text, opt->get_name().c_str(), max);
  return f;
}

void SaveForm(const Context& ctx, const FormOptions& o, bool editMode, const std::string& editId) {
  Database db = OpenDatabaseOrExit(ctx);
  CliPrompter prompter(ctx);
  CPatientProfile current;
  current.Clear();
  if (editMode) LoadPatientOrExit(db, editId, current);
  PatientFormValues form = FormFromOptions(o, current);
  ProfileEditorState editor;
  editor.staging = current;
  if (!o.profile.empty()) {
    ApplyProfileFile(ReadJsonFile(o.profile, "--profile"), form, editor);
    CheckProfileRules(editor);
  }

  switch (SavePatientForm(db, prompter, form, editMode, editor, current)) {
    case FormSaveOutcome::Refused:
      prompter.FailWithLastRequest(LookupText("Cli", "PatientNotSaved", "The patient was not saved."));
    case FormSaveOutcome::Declined:
      throw CliExit{1, LookupText("Cli", "NothingSaved", "Nothing was saved.")};
    case FormSaveOutcome::Failed:
      throw CliExit{1, LookupText("Cli", "SaveRefused", "Nothing was saved: the database refused the change.")};
    case FormSaveOutcome::ChangedElsewhere:  // the prompter said why
    case FormSaveOutcome::Deleted:
      throw CliExit{1, LookupText("Cli", "NothingSaved", "Nothing was saved.")};
    case FormSaveOutcome::Unchanged:
    case FormSaveOutcome::Saved:
      return;
  }
}

void RegisterPatient(CLI::App& app, Context& ctx) {
  auto* patient = app.add_subcommand("patient", "Add, edit, show, list or delete patients");
  patient->require_subcommand(1);

  static FormOptions addOpts;
  auto* add = patient->add_subcommand("add", "Save a new patient as the patient form does");
  AddFormOptions(add, addOpts, true);
  add->callback([&ctx] { SaveForm(ctx, addOpts, false, ""); });

  static FormOptions editOpts;
  static std::string editId;
  auto* edit = patient->add_subcommand("edit", "Save a patient as the patient form does in edit mode");
  edit->add_option("ID", editId, "ID number")->required();
  AddFormOptions(edit, editOpts, false);
  edit->callback([&ctx] { SaveForm(ctx, editOpts, true, editId); });

  static std::string showId;
  static bool showJson = false;
  auto* show = patient->add_subcommand("show", "The patient as loaded, with every present section");
  show->add_option("ID", showId, "ID number")->required();
  show->add_flag("--json", showJson, "One JSON document keyed by column names");
  show->callback([&ctx] {
    Database db = OpenDatabaseOrExit(ctx);
    CPatientProfile p;
    LoadPatientOrExit(db, showId, p);
    if (showJson)
      PrintJson(PatientToJson(p));
    else
      PrintPatientText(p);
  });

  static bool listJson = false;
  auto* list = patient->add_subcommand("list", "One line per patient: IDNo, fullName, medicalNo, meterSN");
  list->add_flag("--json", listJson, "A JSON array of {IDNo, fullName, medicalNo, meterSN}");
  list->callback([&ctx] {
    Database db = OpenDatabaseOrExit(ctx);
    json all = json::array();
    // One read of the Patient table: a server's book answers each statement over the network.
    const std::map<std::string, CPatientProfile> rows = LoadPatientRows(db);
    for (const std::string& id : ListPatientIds(db)) {
      auto row = rows.find(id);
      if (row == rows.end()) continue;
      const CPatientProfile& p = row->second;
      if (listJson)
        all.push_back(
            {{"IDNo", id}, {"fullName", p.fullName}, {"medicalNo", p.medicalNo}, {"meterSN", p.meterSN}});
      else
        PrintRow({id, p.fullName, p.medicalNo, p.meterSN});
    }
    if (listJson) PrintJson(all);
  });

  static std::string deleteId;
  auto* del = patient->add_subcommand("delete", "Delete the patient with every row and the readings table");
  del->add_option("ID", deleteId, "ID number")->required();
  del->callback([&ctx] {
    Database db = OpenDatabaseOrExit(ctx);
    CliPrompter prompter(ctx);
    CPatientProfile p;
    LoadPatientOrExit(db, deleteId, p);
    if (!DeletePatient(db, prompter, p)) throw CliExit{1, LookupText("Cli", "NothingDeleted", "Nothing was deleted.")};
  });
}

Register reg(&RegisterPatient);

}  // namespace
}  // namespace meridane::cli
