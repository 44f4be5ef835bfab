#include "store/patient_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "base/unicode_nfc.h"
#include "store/reading_store.h"

namespace meridane {

namespace {

constexpr const char* kWarning = "Warning";

std::vector<std::string> ColumnValues(const std::vector<ColumnRef>& cols) {
  std::vector<std::string> v;
  v.reserve(cols.size());
  for (const ColumnRef& c : cols) v.push_back(ColumnText(c));
  return v;
}

// Runs one statement with every value bound as text, the form the program stores them in.
bool RunWithTexts(Database& db, const std::string& sql, const std::vector<std::string>& values) {
  Statement st = db.Prepare(sql);
  if (!st.ok()) return false;
  for (size_t i = 0; i < values.size(); ++i) st.Bind(static_cast<int>(i + 1), values[i]);
  return st.Run();
}

std::vector<std::string> QueryFirstColumn(Database& db, const std::string& sql,
                                          const std::string& value, bool bindValue) {
  std::vector<std::string> out;
  Statement st = db.Prepare(sql);
  if (bindValue) st.Bind(1, value);
  while (st.Step()) out.push_back(st.Text(0));
  return out;
}

std::optional<std::string> FirstValue(Database& db, const char* sql, const std::string& value) {
  Statement st = db.Prepare(sql);
  st.Bind(1, value);
  if (st.Step()) return st.Text(0);
  return std::nullopt;
}

bool RowExists(Database& db, const char* table, const std::string& idNo) {
  Statement st = db.Prepare(std::string("SELECT * FROM ") + table + " WHERE IDNo = ?;");
  st.Bind(1, idNo);
  return st.Step();
}

bool InsertSection(Database& db, CPatientProfile& p, SectionBit s) {
  std::vector<std::string> values{p.IDNo};
  for (std::string& v : ColumnValues(SectionColumns(p, s))) values.push_back(std::move(v));
  std::string sql = std::string("INSERT INTO ") + SectionTable(s) + " VALUES(";
  for (size_t i = 0; i < values.size(); ++i) sql += i ? ",?" : "?";
  sql += ");";
  return RunWithTexts(db, sql, values);
}

bool UpdateSection(Database& db, CPatientProfile& p, SectionBit s) {
  const auto cols = SectionColumns(p, s);
  std::string sql = std::string("UPDATE ") + SectionTable(s) + " SET ";
  for (size_t i = 0; i < cols.size(); ++i) {
    if (i) sql += ',';
    sql += cols[i].name;
    sql += "=?";
  }
  sql += " WHERE IDNo=?;";
  std::vector<std::string> values = ColumnValues(cols);
  values.push_back(p.IDNo);
  return RunWithTexts(db, sql, values);
}

// Whether the row exists decides insert or update, not the enable flag: a flag and a row
// that disagree (a file edited elsewhere, a switched-off non-working schedule) would
// otherwise fail on the key or update nothing and lose the section.
bool WriteSection(Database& db, CPatientProfile& p, SectionBit s) {
  return RowExists(db, SectionTable(s), p.IDNo) ? UpdateSection(db, p, s)
                                                : InsertSection(db, p, s);
}

bool WritePatientRow(Database& db, CPatientProfile& p, bool insert, const std::string& whereId) {
  auto cols = PatientColumns(p);
  std::vector<std::string> values = ColumnValues(cols);
  std::string sql;
  if (insert) {
    sql = "INSERT INTO Patient VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);";
  } else {
    sql = "UPDATE Patient SET ";
    for (size_t i = 0; i < cols.size(); ++i) {
      if (i) sql += ',';
      sql += cols[i].name;
      sql += "=?";
    }
    sql += " WHERE IDNo = ?;";
    values.push_back(whereId);
  }
  return RunWithTexts(db, sql, values);
}

// Sections the editor confirmed with OK and that differ from `base`. The non-working
// schedule also counts as changed when its on/off switch moved, and a changed non-working
// schedule takes the working one along, since both are edited on one tab.
unsigned ChangedSections(const ProfileEditorState& editor, const CPatientProfile& base) {
  if (!editor.opened) return 0;
  unsigned changed = 0;
  for (SectionBit s : kSectionOrder) {
    if (!(editor.confirmed & s)) continue;
    if (!SectionEquals(editor.staging, base, s)) changed |= s;
  }
  if ((editor.confirmed & kSectionNonWorking) && editor.staging.workEnable != base.workEnable)
    changed |= kSectionNonWorking;
  if (changed & kSectionNonWorking) changed |= kSectionWorking;
  return changed;
}

void ApplyForm(CPatientProfile& p, const PatientFormValues& f, const std::string& medicalNo) {
  p.fullName = f.fullName;
  p.medicalNo = medicalNo;
  p.birth = f.birth;
  p.phone = f.phone;
  p.address = f.address;
  p.gender = f.gender;
  p.email = f.email;
  p.meterSN = f.meterSN;
  p.timeUnit = f.timeUnit;
  p.mealEnable = f.mealEnable;
}

bool FormDiffers(const CPatientProfile& p, const PatientFormValues& f, const std::string& medicalNo) {
  return p.fullName != f.fullName || p.medicalNo != medicalNo || p.birth != f.birth ||
         p.phone != f.phone || p.address != f.address || p.gender != f.gender ||
         p.email != f.email || p.meterSN != f.meterSN || p.timeUnit != f.timeUnit ||
         p.mealEnable != f.mealEnable;
}

std::string NameWithNumber(const std::string& fullName, const std::string& medicalNo) {
  return fullName + "(" + (medicalNo.empty() ? std::string("---") : medicalNo) + ")";
}

// Takes a confirmed section from the staging copy into `next`; the non-working schedule's
// flag follows the editor's switch rather than being forced on.
void TakeSection(CPatientProfile& next, const ProfileEditorState& editor, SectionBit s) {
  CopySection(next, editor.staging, s);
  SectionFlag(next, s) = true;
  if (s == kSectionNonWorking) next.workEnable = editor.staging.workEnable;
}

constexpr SectionBit kAddOrder[] = {kSectionWorking,      kSectionNonWorking,
                                    kSectionMedications,  kSectionInquiry,
                                    kSectionHealthRecord, kSectionComplications,
                                    kSectionRegimens};

}  // namespace

// Patients by name in byte order, as a file gives them from its key's index; a server must
// be told, or they come in whatever order its heap holds them.
std::string ByName(const Database& db) {
  return db.server() ? " ORDER BY fullName COLLATE \"C\", IDNo COLLATE \"C\";"
                     : " ORDER BY fullName, IDNo;";
}

std::vector<std::string> ListPatientIds(Database& db) {
  return QueryFirstColumn(db, "SELECT IDNo from Patient" + ByName(db), {}, false);
}

bool PatientIdExists(Database& db, const std::string& idNo) {
  return RowExists(db, "Patient", idNo);
}

bool IdNoTaken(Database& db, const std::string& idNo) {
  FailureWatch watch(db);
  {
    Statement st = db.Prepare("SELECT 1 FROM Patient WHERE " + CaseBlindEquals(db, "IDNo") + ";");
    st.Bind(1, idNo);
    if (st.Step()) return true;
  }
  // A server keeps no table per patient, so no name of one can be taken.
  if (db.server()) return watch.failed();
  const std::string table = ReadingsTableName(idNo);
  Statement st = db.Prepare("SELECT name FROM sqlite_master WHERE name = ? COLLATE NOCASE;");
  st.Bind(1, table);
  while (st.Step()) {
    // Only a readings table of exactly this name may be taken over.
    if (st.Text(0) != table || table == "GlucoDetail") return true;
  }
  return watch.failed();
}

bool IsAcceptablePatientKey(const std::string& fullName, const std::string& idNo) {
  auto chars = [](const std::string& t) {
    size_t n = 0;
    for (unsigned char c : t) n += (c & 0xC0) != 0x80;
    return n;
  };
  return !fullName.empty() && !idNo.empty() && chars(fullName) <= kMaxFullNameChars &&
         chars(idNo) <= kMaxIdNoChars;
}

std::vector<std::string> ListPatientNames(Database& db) {
  return QueryFirstColumn(db, "SELECT fullName FROM Patient" + ByName(db), {}, false);
}

std::optional<std::string> FindIdByName(Database& db, const std::string& fullName) {
  if (auto p = FindPatientByName(db, fullName)) return p->idNo;
  return std::nullopt;
}

std::optional<std::string> FindIdByMeterSerial(Database& db, const std::string& serial) {
  return FirstValue(db, "SELECT IDNo FROM Patient WHERE MeterSN = ?;", serial);
}

std::optional<std::string> FindIdByMedicalNo(Database& db, int medicalNo) {
  return FirstValue(db, "SELECT IDNo FROM Patient WHERE medicalNo = ?;", MedicalNoText(medicalNo));
}

std::string MedicalNoText(int medicalNo) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", medicalNo);
  return buf;
}

std::optional<std::string> FindNameByMedicalNo(Database& db, int medicalNo) {
  return FirstValue(db, "SELECT fullName FROM Patient WHERE medicalNo = ?;",
                    MedicalNoText(medicalNo));
}

namespace {
std::vector<PatientChoice> PatientsWhere(Database& db, const char* column, const std::string& value) {
  Statement st = db.Prepare(std::string("SELECT IDNo, fullName FROM Patient WHERE ") + column +
                            " = ? ORDER BY rowid;");
  st.Bind(1, value);
  std::vector<PatientChoice> out;
  while (st.Step()) out.push_back({st.Text(0), st.Text(1)});
  return out;
}
}  // namespace

std::vector<PatientChoice> FindPatientsByMeterSerial(Database& db, const std::string& serial) {
  return PatientsWhere(db, "MeterSN", serial);
}

std::vector<PatientChoice> FindPatientsByMedicalNo(Database& db, int medicalNo) {
  return PatientsWhere(db, "medicalNo", MedicalNoText(medicalNo));
}

std::string PatientChoicesText(const std::vector<PatientChoice>& patients) {
  std::string text;
  for (const PatientChoice& p : patients)
    text += (text.empty() ? "" : ", ") + p.fullName + " (" + p.idNo + ")";
  return text;
}

std::optional<PatientByName> FindPatientByName(Database& db, const std::string& fullName) {
  // Compared composed: older books may hold a name typed decomposed.
  const std::string wanted = ComposeText(fullName);
  Statement st = db.Prepare("SELECT IDNo, healthRecordEnable, fullName FROM Patient ORDER BY rowid;");
  while (st.Step()) {
    if (ComposeText(st.Text(2)) == wanted) return PatientByName{st.Text(0), st.Text(1) != "0"};
  }
  return std::nullopt;
}

std::optional<StoredTargetTexts> ReadTargetTexts(Database& db, const std::string& idNo) {
  Statement st = db.Prepare(
      "SELECT glucoUnit, preMealHigh, preMealLow, postMealHigh, postMealLow, hbA1c, hypoglycemic "
      "FROM HealthRecord WHERE IDNo = ?;");
  st.Bind(1, idNo);
  if (!st.Step()) return std::nullopt;
  return StoredTargetTexts{st.Text(0), st.Text(1), st.Text(2), st.Text(3),
                           st.Text(4), st.Text(5), st.Text(6)};
}

std::optional<std::string> ReadInquirySpecial(Database& db, const std::string& idNo) {
  Statement st = db.Prepare("SELECT special FROM Inquiry WHERE IDNo = ?;");
  st.Bind(1, idNo);
  if (!st.Step() || st.IsNull(0)) return std::nullopt;
  return st.Text(0);
}

bool LoadPatientLookups(Database& db, PatientLookups& out) {
  FailureWatch watch(db);
  out = PatientLookups{};
  {
    Statement st = db.Prepare("SELECT IDNo, healthRecordEnable, fullName FROM Patient ORDER BY rowid;");
    while (st.Step())
      out.byComposedName.try_emplace(ComposeText(st.Text(2)),
                                     PatientByName{st.Text(0), st.Text(1) != "0"});
  }
  {
    Statement st = db.Prepare(
        "SELECT IDNo, glucoUnit, preMealHigh, preMealLow, postMealHigh, postMealLow, hbA1c, "
        "hypoglycemic FROM HealthRecord;");
    while (st.Step())
      out.targets.try_emplace(st.Text(0), StoredTargetTexts{st.Text(1), st.Text(2), st.Text(3),
                                                            st.Text(4), st.Text(5), st.Text(6),
                                                            st.Text(7)});
  }
  {
    Statement st = db.Prepare("SELECT IDNo, special FROM Inquiry;");
    while (st.Step())
      if (!st.IsNull(1)) out.inquirySpecial.try_emplace(st.Text(0), st.Text(1));
  }
  return !watch.failed();
}

namespace {
// The Patient row's columns but its IDNo, which the caller names.
void ReadPatientRow(const Statement& st, CPatientProfile& out) {
  auto cols = PatientColumns(out);
  cols.erase(cols.begin() + 1);
  const int n = st.ColumnCount();
  for (size_t i = 0; i < cols.size(); ++i) {
    const int col = static_cast<int>(i < 1 ? i : i + 1);
    if (col < n) ReadColumn(cols[i], st, col);
  }
}
}  // namespace

std::map<std::string, CPatientProfile> LoadPatientRows(Database& db) {
  std::map<std::string, CPatientProfile> out;
  Statement st = db.Prepare("SELECT * FROM Patient ORDER BY rowid;");
  while (st.Step()) {
    const std::string id = st.Text(1);
    auto [it, added] = out.try_emplace(id);
    if (!added) continue;
    ReadPatientRow(st, it->second);
    it->second.IDNo = id;
  }
  return out;
}

bool LoadPatient(Database& db, const std::string& idNo, CPatientProfile& out) {
  out.Clear();
  {
    Statement st = db.Prepare("SELECT * FROM Patient WHERE IDNo = ?;");
    st.Bind(1, idNo);
    if (!st.Step()) return false;
    ReadPatientRow(st, out);  // IDNo is the one asked for, not re-read
  }
  out.IDNo = idNo;
  if (db.server()) {
    Statement st = db.Prepare("SELECT revision FROM Patient WHERE IDNo = ?;");
    st.Bind(1, idNo);
    if (st.Step()) out.revision = st.Int(0);
  }
  for (SectionBit s : kSectionOrder) {
    if (!SectionFlag(out, s)) continue;
    Statement st = db.Prepare(std::string("SELECT * FROM ") + SectionTable(s) + " WHERE IDNo = ?;");
    st.Bind(1, idNo);
    if (st.Step()) ReadColumns(SectionColumns(out, s), st, 1);
  }
  return true;
}

std::string NormalizeMedicalNo(const std::string& entry) {
  if (entry.empty()) return {};
  const char* p = entry.c_str();
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(p, &end, 10);
  // Three digits is all a clinic meter carries: anything outside 1..999 can never match a
  // reading, so it is treated like an unreadable entry.
  if (end == p || errno == ERANGE || v <= 0 || v > 999) return {};
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03ld", v);
  return buf;
}

namespace {

// Another patient with the same meter serial or medical record number is asked about: a
// download would otherwise have to guess whose readings they are. Only a value that is new
// for this patient is asked about, so an unchanged record saves without the question.
bool SharingAccepted(Database& db, Prompter& prompter, const PatientFormValues& form,
                     const std::string& medicalNo, const std::string& selfId,
                     const CPatientProfile* before) {
  auto others = [&](std::vector<PatientChoice> found) {
    std::erase_if(found, [&](const PatientChoice& p) { return p.idNo == selfId; });
    return found;
  };
  auto ask = [&](const std::vector<PatientChoice>& sharers, const TextId& question) {
    return sharers.empty() ||
           prompter.Confirm(FillText(LookupText(question),  // dynamic text
                                     {{"patients", PatientChoicesText(sharers)}}),
                            PromptButtons::YesNo, kWarning);
  };
  if (!form.meterSN.empty() && (!before || before->meterSN != form.meterSN) &&
      !ask(others(FindPatientsByMeterSerial(db, form.meterSN)),
           TextId{"Patient", "SharedMeterAsk", "{patients} already uses this meter. Save anyway?"}))
    return false;
  if (!medicalNo.empty() && (!before || before->medicalNo != medicalNo) &&
      !ask(others(FindPatientsByMedicalNo(db, std::stoi(medicalNo))),
           TextId{"Patient", "SharedMedicalNoAsk",
                  "{patients} already has this medical record number. Save anyway?"}))
    return false;
  return true;
}

}  // namespace

FormSaveOutcome SavePatientForm(Database& db, Prompter& prompter, const PatientFormValues& typed,
                                bool editMode, const ProfileEditorState& editor,
                                CPatientProfile& current) {
  // One form of each name, so a name typed decomposed finds the one stored composed.
  PatientFormValues form = typed;
  form.fullName = ComposeText(typed.fullName);
  const std::string id = editMode ? current.IDNo : form.IDNo;
  if (form.fullName.empty() || id.empty()) {
    prompter.Message(LookupText("Patient", "Required", "* item is required"), kWarning);
    return FormSaveOutcome::Refused;
  }
  if (form.fullName.find('\'') != std::string::npos || id.find('\'') != std::string::npos) {
    prompter.Confirm(LookupText("Patient", "NoQuote", "* item cannot contain ' character."),
                     PromptButtons::OkCancel, kWarning);
    return FormSaveOutcome::Refused;
  }
  if (form.birth > Today()) {
    prompter.Message(LookupText("Patient", "BirthAfterToday",
                                "The date of birth cannot be after today."),
                     kWarning);
    return FormSaveOutcome::Refused;
  }
  const std::string medicalNo = NormalizeMedicalNo(form.medicalNo);
  const std::string who = NameWithNumber(form.fullName, medicalNo);

  CPatientProfile next;
  auto idExists = [&] {
    prompter.Confirm(LookupText("Patient", "IdExists", "The ID exists."), PromptButtons::OkCancel,
                     kWarning);
    return FormSaveOutcome::Refused;
  };
  if (!editMode) {
    if (IdNoTaken(db, id)) return idExists();
    if (!SharingAccepted(db, prompter, form, medicalNo, id, nullptr))
      return FormSaveOutcome::Refused;
    if (!prompter.Confirm(FillText(
            LookupText("Patient", "SaveNewAsk", "Are you sure to save a new patient {patient}?"),
            {{"patient", who}}))) {
      return FormSaveOutcome::Declined;
    }
    // A new patient starts from defaults, whatever patient was current before.
    next.Clear();
    next.IDNo = id;
    ApplyForm(next, form, medicalNo);
    const unsigned changed = ChangedSections(editor, next);

    Database::Transaction tx(db);
    if (!tx.ok()) return FormSaveOutcome::Failed;
    // Checked again under the write lock: another program may have added the ID while the
    // question was open.
    if (IdNoTaken(db, id)) return idExists();
    bool ok = EnsureReadingsTable(db, id);
    for (SectionBit s : kAddOrder) {
      if (!(changed & s)) {
        SectionFlag(next, s) = false;
        continue;
      }
      TakeSection(next, editor, s);
      ok = ok && InsertSection(db, next, s);
    }
    ok = ok && WritePatientRow(db, next, true, id);
    if (!ok || !tx.Commit()) return FormSaveOutcome::Failed;
    current = next;
    return FormSaveOutcome::Saved;
  }

  next = current;
  const unsigned changed = ChangedSections(editor, current);
  if (changed == 0 && !FormDiffers(current, form, medicalNo)) return FormSaveOutcome::Unchanged;
  if (!SharingAccepted(db, prompter, form, medicalNo, current.IDNo, &current))
    return FormSaveOutcome::Refused;
  if (!prompter.Confirm(who + " data is changed, Do you want to save it?")) {
    return FormSaveOutcome::Declined;
  }
  ApplyForm(next, form, medicalNo);
  PatientCheck check = PatientCheck::Failed;
  {
    Database::Transaction tx(db);
    if (tx.ok()) check = ClaimPatientSave(db, current, &next.revision);
    if (check == PatientCheck::Current) {
      bool ok = true;
      for (SectionBit s : kSectionOrder) {
        if (!(changed & s)) continue;
        TakeSection(next, editor, s);
        ok = ok && WriteSection(db, next, s);
      }
      ok = ok && WritePatientRow(db, next, false, current.IDNo);
      if (!ok || !tx.Commit()) return FormSaveOutcome::Failed;
      current = next;
      return FormSaveOutcome::Saved;
    }
  }
  if (check == PatientCheck::Failed) return FormSaveOutcome::Failed;
  TellPatientCheck(prompter, check, who);
  if (check == PatientCheck::Deleted) return FormSaveOutcome::Deleted;
  LoadPatient(db, id, current);  // `id` is a copy: LoadPatient clears what it fills
  return FormSaveOutcome::ChangedElsewhere;
}

PatientCheck ClaimPatientSave(Database& db, const CPatientProfile& loaded, int64_t* revision) {
  if (revision) *revision = loaded.revision;
  if (!db.server()) return PatientCheck::Current;
  FailureWatch watch(db);
  Statement claim = db.Prepare(
      "UPDATE Patient SET revision = revision + 1 WHERE IDNo = ? AND revision = ? "
      "RETURNING revision;");
  claim.Bind(1, loaded.IDNo).BindInt(2, loaded.revision);
  if (claim.Step()) {
    if (revision) *revision = claim.Int(0);
    return PatientCheck::Current;
  }
  if (watch.failed()) return PatientCheck::Failed;
  return PatientIdExists(db, loaded.IDNo) ? PatientCheck::ChangedElsewhere : PatientCheck::Deleted;
}

bool CountPatientSave(Database& db, const std::string& idNo) {
  if (!db.server()) return true;
  Statement counted = db.Prepare("UPDATE Patient SET revision = revision + 1 WHERE IDNo = ?;");
  counted.Bind(1, idNo);
  return counted.Run();
}

void TellPatientCheck(Prompter& prompter, PatientCheck check, const std::string& who) {
  if (check == PatientCheck::ChangedElsewhere)
    prompter.Message(FillText(LookupText("Patient", "ChangedElsewhere",
                                         "{patient} was changed at another desk, so nothing was "
                                         "saved here. The newer data is shown now; please make "
                                         "your changes again."),
                              {{"patient", who}}),
                     kWarning);
  else if (check == PatientCheck::Deleted)
    prompter.Message(FillText(LookupText("Patient", "DeletedElsewhere",
                                         "{patient} was deleted at another desk. Nothing was "
                                         "saved."),
                              {{"patient", who}}),
                     kWarning);
}

bool DeletePatient(Database& db, Prompter& prompter, CPatientProfile& current) {
  const std::string id = current.IDNo;
  if (id.empty()) return false;
  const std::string question = FillText(
      LookupText("Patient", "DeleteAsk", "Do you wanna to delete {id} from the PC?"), {{"id", id}});
  if (!prompter.Confirm(question, PromptButtons::YesNo, kWarning, PromptIcon::None)) {
    return false;
  }
  static const char* const kTables[] = {
      "Complications", "GlucoDetail",    "HealthRecord", "Inquiry",
      "Medications",   "NonWorkingDateSchedule", "Patient", "Regimen",
      "WorkingDateSchedule"};
  // All or nothing: a half-deleted patient would keep readings nobody can reach.
  Database::Transaction tx(db);
  bool ok = tx.ok();
  // Books made before IDs were compared without case can hold "abc" and "ABC" filing into
  // one table; it then still holds the other patient's readings and stays.
  Statement sharer = db.Prepare("SELECT 1 FROM Patient WHERE " + CaseBlindEquals(db, "IDNo") +
                                " AND IDNo <> ?;");
  sharer.Bind(1, id).Bind(2, id);
  FailureWatch watch(db);
  const bool shared = !db.server() && sharer.Step();
  sharer = Statement();
  ok = ok && !watch.failed();
  if (ok && db.server())
    ok = RunWithTexts(db, "DELETE FROM readings WHERE IDNo=?", {id});
  else if (ok && !shared)
    ok = db.Exec("DROP TABLE IF EXISTS " + QuotedReadingsTable(id) + ";");
  for (const char* table : kTables) {
    ok = ok && RunWithTexts(db, std::string("DELETE FROM ") + table + " WHERE IDNo=?", {id});
  }
  if (!ok || !tx.Commit()) return false;
  current.Clear();
  return true;
}

}  // namespace meridane
