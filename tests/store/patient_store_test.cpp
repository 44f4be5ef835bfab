#include "store/patient_store.h"

#include "store/reading_store.h"
#include "support/fixtures.h"

// Forms are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane::test {
namespace {

const char* const kProfileTables[] = {
    "WorkingDateSchedule", "NonWorkingDateSchedule", "Medications", "Regimen",
    "Complications",       "HealthRecord",           "Inquiry"};

PatientFormValues Form(const std::string& name, const std::string& id,
                       const std::string& medicalNo = "") {
  return {.fullName = name, .IDNo = id, .medicalNo = medicalNo, .birth = {1961, 4, 30},
          .phone = "0911", .address = "12 O'Brien Street", .email = "ann@example.org",
          .meterSN = "SN0001"};
}

// The profile editor as the form hands it over: opened, with these sections confirmed.
ProfileEditorState Editor(unsigned confirmed = kAllSections, const CPatientProfile& staging = {}) {
  return ProfileEditorState{true, confirmed, staging};
}

class PatientStoreTest : public BookTest {
 protected:
  FormSaveOutcome Add(const PatientFormValues& f, const ProfileEditorState& editor = {}) {
    CPatientProfile current;
    return SavePatientForm(db, prompter, f, false, editor, current);
  }
  CPatientProfile Load(const std::string& id) {
    CPatientProfile p;
    EXPECT_TRUE(LoadPatient(db, id, p));
    return p;
  }
  // Saves the stored patient A1 through the form in edit mode (its own values unless `form`).
  FormSaveOutcome Edit(const ProfileEditorState& editor, const PatientFormValues* form = nullptr) {
    CPatientProfile current = Load("A1");
    return SavePatientForm(db, prompter, form ? *form : FormOf(current), true, editor, current);
  }
  PatientFormValues FormOf(const CPatientProfile& p) {
    return {p.fullName, p.IDNo,    p.medicalNo, p.birth,    p.phone,   p.address,
            p.gender,   p.email,   p.meterSN,   p.timeUnit, p.mealEnable};
  }
  Database& db = db_;
  ScriptedPrompter prompter;
};

TEST_F(PatientStoreTest, FormRulesRefuseWithTheProgramsMessages) {
  for (auto [name, id] : {std::pair{"", "A1"}, {"Ann", ""}, {"O'Hara", "A1"}, {"Ann", "A'1"}})
    EXPECT_EQ(Add(Form(name, id)), FormSaveOutcome::Refused) << name << "/" << id;
  EXPECT_EQ(prompter.texts(),
            (std::vector<std::string>{"* item is required", "* item is required",
                                      "* item cannot contain ' character.",
                                      "* item cannot contain ' character."}));
  EXPECT_EQ(prompter.asked()[2].caption, "Warning");
  EXPECT_EQ(prompter.asked()[2].buttons, PromptButtons::OkCancel);
  EXPECT_TRUE(ListPatientIds(db).empty());

  // An existing ID is refused even under another name (the key is the pair).
  prompter.Clear();
  ASSERT_EQ(Add(Form("Ann", "A1")), FormSaveOutcome::Saved);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Are you sure to save a new patient Ann(---)?"});
  prompter.Clear();
  EXPECT_EQ(Add(Form("Bob", "A1")), FormSaveOutcome::Refused);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"The ID exists."});
  EXPECT_EQ(ListPatientNames(db), std::vector<std::string>{"Ann"});

  // No to the question writes nothing.
  prompter.Clear();
  prompter.Push(PromptAnswer::No);
  auto f = Form("Cy", "C3", "12");
  f.meterSN = "SN0003";  // a meter of Cy's own: nothing else is asked
  EXPECT_EQ(Add(f), FormSaveOutcome::Declined);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Are you sure to save a new patient Cy(012)?"});
  EXPECT_FALSE(PatientIdExists(db, "C3"));
  EXPECT_FALSE(db.TableExists("GC3"));
}

TEST_F(PatientStoreTest, MedicalRecordNumberEntries) {
  for (const char* e : {"7", "007", " 7"}) EXPECT_EQ(NormalizeMedicalNo(e), "007") << e;
  for (const char* e : {"", "000", "abc", "-5", "1000"}) EXPECT_EQ(NormalizeMedicalNo(e), "") << e;

  ASSERT_EQ(Add(Form("Ann", "A1", "07")), FormSaveOutcome::Saved);
  EXPECT_EQ(Load("A1").medicalNo, "007");
  EXPECT_EQ(FindIdByMedicalNo(db, 7), "A1");
  EXPECT_EQ(FindIdByMedicalNo(db, 8), std::nullopt);
  ASSERT_EQ(Add(Form("Bo", "B2", "abc")), FormSaveOutcome::Saved);
  EXPECT_EQ(Load("B2").medicalNo, "");
}

TEST_F(PatientStoreTest, NewPatientWithoutEditorGetsOnlyItsRowAndReadingsTable) {
  MERIDANE_FILE_BOOK_ONLY();
  auto f = Form("Ann", "A-1 é");
  f.timeUnit = true;
  ASSERT_EQ(Add(f), FormSaveOutcome::Saved);
  EXPECT_TRUE(db.TableExists("GA-1 é"));
  for (const char* t : kProfileTables)
    EXPECT_TRUE(Column(db, std::string("SELECT IDNo FROM ") + t + ";").empty()) << t;
  // Flags are stored as the integers 0 and 1, birth as year-month-day.
  EXPECT_EQ(Column(db, "SELECT typeof(timeUnit)||timeUnit||scheduleEnable||birth FROM Patient;"),
            std::vector<std::string>{"integer101961-04-30"});
  CPatientProfile p = Load("A-1 é");
  EXPECT_TRUE(p.address == "12 O'Brien Street" && !p.scheduleEnable);
  EXPECT_EQ(FindIdByName(db, "Ann"), "A-1 é");
  EXPECT_EQ(FindIdByMeterSerial(db, "SN0001"), "A-1 é");
  EXPECT_EQ(FindIdByMeterSerial(db, "SN0002"), std::nullopt);
}

TEST_F(PatientStoreTest, ConfirmedSectionsAreStoredAndLoadBack) {
  MERIDANE_FILE_BOOK_ONLY();
  ProfileEditorState editor = Editor();
  CPatientProfile& s = editor.staging;
  s.working.start[0] = {5, 30};
  s.workEnable = true;
  s.nonWorking.nonWorkingDay = 1 | 64;
  s.nonWorking.blocks.start[0] = {8, 15};
  s.medications.insulin = 2 | 16;
  s.medications.insulinName[0] = "Dr. Kim's mix";
  s.medications.oralCheck[3] = true;
  s.regimens.activeRegimen = 2;
  s.regimens.regimen[4].name = "Night's";
  s.regimens.regimen[4].date = {2023, 12, 31};
  s.regimens.regimen[4].doses[7] = {12.5, "Rapid"};
  s.healthRecord.diabetesType = 1;
  s.healthRecord.glucoUnit = 0;
  s.healthRecord.preMealLow = 4.4;
  s.healthRecord.postMealHigh = 10.0;
  s.inquiry.note = "line one\nline 'two'";
  s.inquiry.special = true;
  // The complications section equals its defaults: no row for it.
  ASSERT_EQ(Add(Form("Ann", "A1"), editor), FormSaveOutcome::Saved);

  CPatientProfile p = Load("A1");
  EXPECT_TRUE(p.scheduleEnable && p.workEnable && p.medicationEnable && p.regimenEnable &&
              p.healthRecordEnable && p.inquiryEnable && !p.complicationsEnable);
  EXPECT_EQ(
      std::tie(p.working, p.nonWorking, p.medications, p.regimens, p.healthRecord, p.inquiry),
      std::tie(s.working, s.nonWorking, s.medications, s.regimens, s.healthRecord, s.inquiry));
  // Stored forms: times with :00 seconds, reals with six decimals converted by affinity.
  EXPECT_EQ(Column(db, "SELECT preMealA FROM WorkingDateSchedule;"),
            std::vector<std::string>{"05:30:00"});
  EXPECT_EQ(Column(db, "SELECT typeof(r5NightU2)||r5NightU2 FROM Regimen;"),
            std::vector<std::string>{"real12.5"});
}

TEST_F(PatientStoreTest, EditAsksOnlyWhenChangedAndKeepsTextsThroughTwoSaves) {
  ASSERT_EQ(Add(Form("Ann", "A1")), FormSaveOutcome::Saved);
  prompter.Clear();
  EXPECT_EQ(Edit({}), FormSaveOutcome::Unchanged);
  EXPECT_TRUE(prompter.asked().empty());

  auto f = FormOf(Load("A1"));
  f.phone = "0922";
  f.IDNo = "SOMETHING ELSE";  // the field is disabled in edit mode
  EXPECT_EQ(Edit({}, &f), FormSaveOutcome::Saved);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"Ann(---) data is changed, Do you want to save it?"});
  EXPECT_EQ(Load("A1").phone, "0922");
  EXPECT_EQ(ListPatientIds(db), std::vector<std::string>{"A1"});  // not under the typed ID

  // A second save of other fields leaves the apostrophe intact again.
  f = FormOf(Load("A1"));
  f.email = "x'y@example.org";
  ASSERT_EQ(Edit({}, &f), FormSaveOutcome::Saved);
  EXPECT_EQ(Load("A1").address, "12 O'Brien Street");

  // No leaves the stored row as it was.
  prompter.Push(PromptAnswer::No);
  f.phone = "999";
  EXPECT_EQ(Edit({}, &f), FormSaveOutcome::Declined);
  EXPECT_EQ(Load("A1").phone, "0922");
}

TEST_F(PatientStoreTest, CancelledEditorKeepsStoredSections) {
  ProfileEditorState editor = Editor();
  editor.staging.working.start[6] = {22, 0};
  editor.staging.healthRecord.preMealHigh = 140;
  ASSERT_EQ(Add(Form("Ann", "A1"), editor), FormSaveOutcome::Saved);

  // Opened and cancelled: the staging copy is cleared, nothing confirmed.
  auto f = FormOf(Load("A1"));
  f.phone = "1";
  ASSERT_EQ(Edit(Editor(0), &f), FormSaveOutcome::Saved);
  CPatientProfile p = Load("A1");
  EXPECT_TRUE(p.scheduleEnable);
  EXPECT_EQ(std::tie(p.working.start[6], p.healthRecord.preMealHigh),
            std::make_tuple(TimeOfDay{22, 0}, 140));

  // Confirming one section writes that one only, with an update of its row.
  ProfileEditorState one = Editor(kSectionHealthRecord, p);
  one.staging.healthRecord.preMealHigh = 150;
  one.staging.working.start[6] = {21, 0};  // not confirmed: ignored
  ASSERT_EQ(Edit(one), FormSaveOutcome::Saved);
  p = Load("A1");
  EXPECT_EQ(std::tie(p.working.start[6], p.healthRecord.preMealHigh),
            std::make_tuple(TimeOfDay{22, 0}, 150));
  EXPECT_EQ(Column(db, "SELECT count(*) FROM HealthRecord;"), std::vector<std::string>{"1"});
}

TEST_F(PatientStoreTest, NonWorkingSwitchFollowsTheEditor) {
  ASSERT_EQ(Add(Form("Ann", "A1")), FormSaveOutcome::Saved);
  // On, off (the days' row stays but non-working days stop using it), on again with other
  // days: the existing row is updated, not inserted twice.
  for (auto [enable, days] : {std::pair{true, 65}, {false, 65}, {true, 2}}) {
    ProfileEditorState editor = Editor(kAllSections, Load("A1"));
    editor.staging.workEnable = enable;
    editor.staging.nonWorking.nonWorkingDay = days;
    ASSERT_EQ(Edit(editor), FormSaveOutcome::Saved);
    CPatientProfile p = Load("A1");
    EXPECT_EQ(p.workEnable, enable);
    EXPECT_TRUE(p.scheduleEnable);  // the working schedule goes along
    EXPECT_TRUE(!enable || p.nonWorking.nonWorkingDay == days) << p.nonWorking.nonWorkingDay;
  }
  EXPECT_TRUE(sqlErrors_.list.empty());
}

TEST_F(PatientStoreTest, MalformedStoredValuesLoadAsDefaults) {
  MERIDANE_FILE_BOOK_ONLY();
  ASSERT_TRUE(db.Exec(
      "INSERT INTO Patient VALUES('Ann','A1','007','not a date','','',NULL,'','','','1','0','0',"
      "'0','0','0','1','0');"
      "INSERT INTO WorkingDateSchedule VALUES('A1','25:00:00',NULL,'x','7:5:0','','14:00:00',"
      "'23:00:00');"
      "INSERT INTO HealthRecord (IDNo, diabetesType, yearDiagnosed, hight, glucoUnit, hbA1C) "
      "VALUES('A1','-1','2020-13-40','abc','0','nan');"));
  CPatientProfile p;
  ASSERT_TRUE(LoadPatient(db, "A1", p));
  const CPatientProfile defaults;
  EXPECT_EQ(std::tie(p.birth, p.timeUnit), std::make_tuple(Date{1970, 1, 1}, true));  // '' is set
  for (int i : {0, 1, 2, 4}) EXPECT_EQ(p.working.start[i], defaults.working.start[i]) << i;
  EXPECT_EQ(p.working.start[3], (TimeOfDay{7, 5}));
  // A type never chosen stays unchosen instead of turning into Type II.
  EXPECT_EQ(p.healthRecord.diabetesType, -1);
  EXPECT_EQ(std::tie(p.healthRecord.yearDiagnosed, p.healthRecord.hbA1C),
            std::make_tuple(defaults.healthRecord.yearDiagnosed, 0.0));

  p.fullName = "stale";
  EXPECT_FALSE(LoadPatient(db, "nobody", p));
  EXPECT_EQ(p.fullName, "");
}

TEST_F(PatientStoreTest, FailedSaveWritesNothing) {
  ASSERT_TRUE(db.Exec("DROP TABLE Inquiry;"));
  ProfileEditorState editor = Editor();
  editor.staging.working.start[0] = {7, 0};
  editor.staging.inquiry.comment = "cannot be stored";
  CPatientProfile current;
  EXPECT_EQ(SavePatientForm(db, prompter, Form("Ann", "A1"), false, editor, current),
            FormSaveOutcome::Failed);
  EXPECT_TRUE(!sqlErrors_.list.empty() && current.IDNo.empty());
  EXPECT_FALSE(PatientIdExists(db, "A1") || db.TableExists("GA1"));
  EXPECT_TRUE(Column(db, "SELECT IDNo FROM WorkingDateSchedule;").empty());
}

TEST_F(PatientStoreTest, DeleteRemovesEveryRowAndTheReadingsTable) {
  ProfileEditorState editor = Editor();
  editor.staging.workEnable = true;
  editor.staging.complications.other = "x";
  editor.staging.medications.dietExercise = true;
  editor.staging.regimens.activeRegimen = 0;
  editor.staging.healthRecord.LDL = 1;
  editor.staging.inquiry.special = true;
  ASSERT_EQ(Add(Form("Ann", "A 1"), editor), FormSaveOutcome::Saved);
  ASSERT_EQ(Add(Form("Bo", "B2"), editor), FormSaveOutcome::Saved);
  ASSERT_GT(InsertReading(db, "A 1", {2024, 1, 2, 8, 0}, 100, 0, 0), 0);
  GlucoDetailRecord d;
  d.comment = "x";
  ASSERT_TRUE(WriteDetail(db, "A 1", 1, d));

  CPatientProfile current = Load("A 1");
  prompter.Clear();
  prompter.Push(PromptAnswer::No);
  EXPECT_FALSE(DeletePatient(db, prompter, current));
  EXPECT_TRUE(PatientIdExists(db, "A 1"));
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Do you wanna to delete A 1 from the PC?"});

  EXPECT_TRUE(DeletePatient(db, prompter, current));
  EXPECT_FALSE(!current.IDNo.empty() || db.TableExists("GA 1"));
  std::string left = Column(db, "SELECT count(*) FROM Patient WHERE IDNo='A 1';")[0];
  for (const char* t : kProfileTables)
    left += Column(db, std::string("SELECT count(*) FROM ") + t + " WHERE IDNo='A 1';")[0];
  EXPECT_EQ(left + Column(db, "SELECT count(*) FROM GlucoDetail WHERE IDNo='A 1';")[0],
            "000000000");
  EXPECT_EQ(ListPatientIds(db), std::vector<std::string>{"B2"});
  EXPECT_TRUE(Load("B2").inquiryEnable);
  EXPECT_FALSE(DeletePatient(db, prompter, current));  // nobody current: nothing asked
}


// SQLite's table names ignore case: an ID whose readings table would be another's is taken.
TEST_F(PatientStoreTest, IdsThatWouldShareStorageAreTaken) {
  MERIDANE_FILE_BOOK_ONLY();
  ASSERT_EQ(Add(Form("Ann", "abc")), FormSaveOutcome::Saved);
  ASSERT_TRUE(db.Exec("CREATE TABLE \"GOrphan\"(idx INTEGER PRIMARY KEY, glucoDate, gluco, meal, medicalNo);"));
  for (const char* id : {"abc", "ABC", "aBc", "lucoDetail", "LUCODETAIL", "orphan"})
    EXPECT_TRUE(IdNoTaken(db, id)) << id;
  for (const char* id : {"Orphan", "abcd", "\u00E4bc"})
    EXPECT_FALSE(IdNoTaken(db, id)) << id;

  ASSERT_EQ(Add(Form("Bob", "ABC")), FormSaveOutcome::Refused);
  EXPECT_EQ(prompter.texts().back(), "The ID exists.");
  EXPECT_EQ(Column(db, "SELECT IDNo FROM Patient;"), std::vector<std::string>{"abc"});

  EXPECT_TRUE(IsAcceptablePatientKey(std::string(30, 'n'), "123456789012"));
  EXPECT_FALSE(IsAcceptablePatientKey("Ann", "1234567890123") || IsAcceptablePatientKey("", "A1") ||
               IsAcceptablePatientKey(std::string(31, 'n'), "A1"));
}

}  // namespace
}  // namespace meridane::test
