#pragma once
// Patients in the database: lookups, load, the patient form's save in add and edit mode,
// and delete. Questions and messages go through a Prompter with the program's own texts.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/prompter.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/patient_profile.h"

namespace meridane {

// ---- lookups (first matching row where one value is asked for) ----
std::vector<std::string> ListPatientIds(Database& db);
bool PatientIdExists(Database& db, const std::string& idNo);

// Whether a new patient may not take `idNo` because it would share storage with another:
// SQLite's table names ignore case, so "abc" and "ABC" would file into one readings table,
// and "lucoDetail" would name the GlucoDetail table. An existing readings table of exactly
// this name (a patient row lost elsewhere) is taken over as before. A failed look-up counts
// as taken.
bool IdNoTaken(Database& db, const std::string& idNo);

// Longest full name and ID number the patient form takes, in characters.
inline constexpr size_t kMaxFullNameChars = 30;
inline constexpr size_t kMaxIdNoChars = 12;
// The form's rules for a patient's key arriving from elsewhere (an archive): both present
// and within their lengths. (Apostrophes are bound, never spliced, and older books hold them.)
bool IsAcceptablePatientKey(const std::string& fullName, const std::string& idNo);
std::vector<std::string> ListPatientNames(Database& db);
std::optional<std::string> FindIdByName(Database& db, const std::string& fullName);
std::optional<std::string> FindIdByMeterSerial(Database& db, const std::string& serial);
std::optional<std::string> FindIdByMedicalNo(Database& db, int medicalNo);
// The stored form of a medical record number: "%03d".
std::string MedicalNoText(int medicalNo);
std::optional<std::string> FindNameByMedicalNo(Database& db, int medicalNo);

// Every patient with that meter serial / medical record number, in row order. A meter a
// household shares, or a number typed twice, gives several: the caller must not pick one.
struct PatientChoice {
  std::string idNo;
  std::string fullName;
  bool operator==(const PatientChoice&) const = default;
};
std::vector<PatientChoice> FindPatientsByMeterSerial(Database& db, const std::string& serial);
std::vector<PatientChoice> FindPatientsByMedicalNo(Database& db, int medicalNo);
// "Ann (A1), Bob (B2)".
std::string PatientChoicesText(const std::vector<PatientChoice>& patients);

// The first patient of that full name and whether its health record section is kept.
struct PatientByName {
  std::string idNo;
  bool healthRecordEnable = false;
};
std::optional<PatientByName> FindPatientByName(Database& db, const std::string& fullName);

// The health record's unit, targets, HbA1c and hypoglycemic level as the stored text, for
// figures that take them as written rather than through the profile's column rules.
struct StoredTargetTexts {
  std::string glucoUnit, preMealHigh, preMealLow, postMealHigh, postMealLow, hbA1c,
      hypoglycemic;
};
std::optional<StoredTargetTexts> ReadTargetTexts(Database& db, const std::string& idNo);

// Inquiry.special as stored; none without an Inquiry row or with a NULL value.
std::optional<std::string> ReadInquirySpecial(Database& db, const std::string& idNo);

// The same three answers for every patient at once, for views across the whole book: each
// query reads its table once instead of once per patient. Keyed by the composed full name
// (the first patient in the order they were added, as FindPatientByName finds it), and by
// IDNo. False when a statement failed: the maps are then incomplete.
struct PatientLookups {
  std::map<std::string, PatientByName> byComposedName;
  std::map<std::string, StoredTargetTexts> targets;
  std::map<std::string, std::string> inquirySpecial;  // non-NULL values only
};
bool LoadPatientLookups(Database& db, PatientLookups& out);

// Every patient's Patient row alone (no sections), by IDNo, as LoadPatient reads it: of two
// rows with one IDNo, the first added. One statement for a whole listing.
std::map<std::string, CPatientProfile> LoadPatientRows(Database& db);

// Loads the Patient row and every enabled section. No row: the profile is cleared and
// false returned. A malformed stored value never fails the load.
bool LoadPatient(Database& db, const std::string& idNo, CPatientProfile& out);

// ---- the patient form ----

// What the form holds when "Save" is pressed.
struct PatientFormValues {
  std::string fullName;
  std::string IDNo;
  std::string medicalNo;  // as typed
  Date birth;
  std::string phone;
  std::string address;
  int gender = 0;
  std::string email;
  std::string meterSN;
  bool timeUnit = false;
  bool mealEnable = false;
};

// The profile editor's staging copy and which of its sections were confirmed. Only
// confirmed sections that differ from the stored ones are written, so a cancelled editor
// (nothing confirmed) keeps every stored section. staging.workEnable is the editor's
// "different schedule for non-working days" switch and is taken with kSectionNonWorking.
struct ProfileEditorState {
  bool opened = false;     // the editor was opened since the form opened
  unsigned confirmed = 0;  // SectionBit set of sections confirmed with OK
  CPatientProfile staging;
};

enum class FormSaveOutcome {
  Refused,    // a rule refused the values; the form stays open
  Declined,   // the user answered No; nothing written, the form closes
  Unchanged,  // edit mode without change: closes silently
  Saved,      // rows written; the data-changed flag is to be set
  Failed,     // a statement failed (its text went to the error sink); nothing was written
  // Another desk saved the patient since it was loaded: nothing written, the user was told,
  // and `current` holds the newer data to be shown.
  ChangedElsewhere,
  // Another desk deleted the patient: nothing written (nothing recreated), the user was told.
  Deleted,
};

// Whether the patient a save started from is still the stored one. Within the caller's
// transaction on a server's book, a Current answer counts the save (the new count in
// *revision, for the caller to take once it committed); a file book is always Current.
PatientCheck ClaimPatientSave(Database& db, const CPatientProfile& loaded, int64_t* revision);

// Counts a change of the patient made without a loaded copy (a merge, a medicine added to
// the stored list), so a desk holding an older copy is told when it saves. Nothing on a file.
bool CountPatientSave(Database& db, const std::string& idNo);

// Tells the user what a ChangedElsewhere or Deleted check means; Current and Failed say nothing.
void TellPatientCheck(Prompter& prompter, PatientCheck check, const std::string& who);

// "7", "07", "007" → "007": empty stays empty, a non-zero number "%03d", zero or junk empty.
std::string NormalizeMedicalNo(const std::string& entry);

// Validates and saves the form as the "Save" button does. The name is stored composed. A
// birth date after today is refused; a meter serial or medical record number another
// patient already has is asked about first (No keeps the form open). All rows of one save are written
// in one transaction; `current` takes the saved values only when it committed. In edit mode
// the IDNo is the current patient's (the field is disabled), whatever the form holds.
FormSaveOutcome SavePatientForm(Database& db, Prompter& prompter, const PatientFormValues& form,
                                bool editMode, const ProfileEditorState& editor,
                                CPatientProfile& current);

// Asks "Do you wanna to delete …" and deletes every row and the readings table on Yes,
// all in one transaction. Returns true when deleted (current is then cleared).
bool DeletePatient(Database& db, Prompter& prompter, CPatientProfile& current);

}  // namespace meridane
