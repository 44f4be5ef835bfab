#pragma once
// A patient in memory: the Patient row and the seven profile sections, with their defaults.
#include <array>
#include <string>

#include "base/text_lookup.h"
#include "store/date_time.h"

namespace meridane {

// Seven block starts, in order: before/after meal A, before/after meal B, before/after
// meal C, night. Each block ends one minute before the next starts.
struct Schedule {
  std::array<TimeOfDay, 7> start{{{6, 0}, {9, 0}, {11, 0}, {14, 0}, {17, 0}, {20, 0}, {23, 0}}};
  bool operator==(const Schedule&) const = default;
};

// Weekday bits of nonWorkingDay: Sunday 1, Monday 2 … Saturday 64.
struct NonWorkingSchedule {
  int nonWorkingDay = 0;
  Schedule blocks;
  bool operator==(const NonWorkingSchedule&) const = default;
};

struct Medications {
  int insulin = 0;  // bit i: entry i of the built-in insulin list
  int oral = 0;     // bit i: entry i of the built-in oral list
  bool insulinPump = false;
  bool dietExercise = false;
  std::array<std::string, 4> insulinName{"Custom 1", "Custom 2", "Custom 3", "Custom 4"};
  std::array<std::string, 4> oralName{"Custom 1", "Custom 2", "Custom 3", "Custom 4"};
  std::array<bool, 4> insulinCheck{};
  std::array<bool, 4> oralCheck{};
  bool operator==(const Medications&) const = default;
};

struct RegimenDose {
  double units = 0;
  std::string type;
  bool operator==(const RegimenDose&) const = default;
};

// Doses in column order: M1U1/T1, M1U2/T2, M2U1/T1, M2U2/T2, M3U1/T1, M3U2/T2,
// NightU1/T1, NightU2/T2.
struct Regimen {
  std::string name;
  Date date;
  std::array<RegimenDose, 8> doses{};
  bool operator==(const Regimen&) const = default;
};

struct Regimens {
  int activeRegimen = -1;  // 0..4, -1 none
  std::array<Regimen, 5> regimen;
  Regimens();
  bool operator==(const Regimens&) const = default;
};

struct Complications {
  int complications = 0;  // bits 0..8 of the built-in list
  std::string other;
  bool otherCheck = false;
  bool operator==(const Complications&) const = default;
};

struct HealthRecord {
  int diabetesType = -1;
  Date yearDiagnosed;  // today when the section is cleared
  double hight = 0;
  double weight = 0;
  int hightUnit = 0;
  int weightUnit = 0;
  // In memory the targets lie low before high; stored in the patient's unit.
  double preMealLow = 0;
  double preMealHigh = 0;
  double postMealLow = 0;
  double postMealHigh = 0;
  int glucoUnit = 1;  // 1 mg/dL, 0 mmol/L
  int ketnotes = -1;
  int microalbumin = -1;
  double hbA1C = 0;
  int bloodPressureA = 0;
  int bloodPressureB = 0;
  int cholesterol = 0;
  int LDL = 0;
  int HDL = 0;
  int hypoglycemic = 0;
  HealthRecord();
  bool operator==(const HealthRecord&) const = default;
};

struct Inquiry {
  Date inquiryDate;  // today when the section is cleared
  std::string comment;
  std::string note;
  bool special = false;
  Inquiry();
  bool operator==(const Inquiry&) const = default;
};

// A save checked against the patient as stored: still the one loaded, saved at another desk
// since, deleted at another desk, or the check's statement failed.
enum class PatientCheck { Current, ChangedElsewhere, Deleted, Failed };

class CPatientProfile {
 public:
  CPatientProfile() = default;
  // Empties every text, birth 1970-01-01, gender and flags 0, sections to their defaults.
  void Clear();

  std::string fullName;
  std::string IDNo;
  std::string medicalNo;
  Date birth;
  std::string phone;
  std::string address;
  int gender = 0;  // 0 male, 1 female
  std::string email;
  std::string meterSN;

  bool timeUnit = false;  // true 24-hour, false AM/PM
  bool scheduleEnable = false;
  bool workEnable = false;
  bool mealEnable = false;  // true "Meal1".."Meal3"
  bool medicationEnable = false;
  bool regimenEnable = false;
  bool complicationsEnable = false;
  bool healthRecordEnable = false;
  bool inquiryEnable = false;

  Schedule working;
  NonWorkingSchedule nonWorking;
  Medications medications;
  Regimens regimens;
  Complications complications;
  HealthRecord healthRecord;
  Inquiry inquiry;

  // On a server's book: how many saves of this patient the book had counted when it was
  // loaded, so a save can tell that another desk saved in between. Always 0 on a file.
  int64_t revision = 0;
};

// Built-in lists the section bit sets index.
extern const std::array<const char*, 11> kInsulinList;
extern const std::array<const char*, 21> kOralList;
// Complications by English name (fallback), shown through the text lookup.
extern const std::array<TextId, 9> kComplicationList;

}  // namespace meridane
