#include "reports/classification.h"

#include <array>

namespace meridane {

const Schedule& DefaultSchedule() {
  static const Schedule kDefault{};
  return kDefault;
}

int ClassifySlot(const Schedule& schedule, const TimeOfDay& time) {
  std::array<int, 7> m{};
  for (int k = 0; k < 7; ++k) m[k] = schedule.start[k].Minutes();
  for (int k = 0; k < 6; ++k)
    if (m[k] > m[k + 1]) return kSlotNone;
  const int t = time.Minutes();
  for (int k = 0; k < 6; ++k)
    if (m[k] <= t && t < m[k + 1]) return k + 1;
  return kSlotNight;
}

const Schedule& ScheduleFor(const CPatientProfile& patient, const DateTime& at) {
  if (patient.workEnable) {
    const int bit = 1 << DayOfWeek(at.date());
    if (patient.nonWorking.nonWorkingDay & bit) return patient.nonWorking.blocks;
  }
  return patient.scheduleEnable ? patient.working : DefaultSchedule();
}

int ClassifyReadingSlot(const CPatientProfile& patient, const DateTime& at) {
  return ClassifySlot(ScheduleFor(patient, at), at.time());
}

int ClassifyLoadedReadings(const CPatientProfile& patient, ReadingTable& table) {
  int classified = 0;
  for (GlucoReading& r : table.entries) {
    if (r.slot != kSlotNone) continue;
    r.slot = ClassifyReadingSlot(patient, r.at);
    if (r.slot != kSlotNone) ++classified;
  }
  return classified;
}

namespace {

// Reads the seven block starts from `first` on; a row that is missing or a time that does
// not parse keeps the default start, as a patient without a stored schedule has.
bool ReadScheduleRow(Statement& st, int first, Schedule& out) {
  if (!st.ok() || !st.Step()) return false;
  for (int k = 0; k < 7; ++k)
    if (auto t = ParseTimeOfDay(st.Text(first + k))) out.start[k] = *t;
  return true;
}

// Integer flags as sscanf("%d") reads them: junk is 0.
int FlagValue(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (...) {
    return 0;
  }
}

}  // namespace

int ClassifyReadingTime(Database& db, const std::string& IDNo, const DateTime& at) {
  Statement p = db.Prepare("SELECT scheduleEnable, workEnable FROM Patient WHERE IDNo = ?;");
  if (!p.ok()) return kSlotNone;
  p.Bind(1, IDNo);
  if (!p.Step()) return kSlotNone;
  CPatientProfile patient;
  patient.IDNo = IDNo;
  patient.scheduleEnable = FlagValue(p.Text(0)) != 0;
  patient.workEnable = FlagValue(p.Text(1)) != 0;
  // The same sections the patient load reads, so a reading filed here gets the slot it
  // would get when the patient's readings are loaded and classified in memory.
  if (patient.scheduleEnable) {
    Statement w = db.Prepare(
        "SELECT preMealA, postMealA, preMealB, postMealB, preMealC, postMealC, night "
        "FROM WorkingDateSchedule WHERE IDNo = ?;");
    w.Bind(1, IDNo);
    ReadScheduleRow(w, 0, patient.working);
  }
  if (patient.workEnable) {
    Statement n = db.Prepare(
        "SELECT nonWorkingDay, preMealA, postMealA, preMealB, postMealB, preMealC, postMealC, "
        "night FROM NonWorkingDateSchedule WHERE IDNo = ?;");
    n.Bind(1, IDNo);
    if (ReadScheduleRow(n, 1, patient.nonWorking.blocks))
      patient.nonWorking.nonWorkingDay = FlagValue(n.Text(0));
  }
  return ClassifyReadingSlot(patient, at);
}

MealCode ComposeMealCode(int slot, int mark) {
  if (slot == kSlotNight && mark == 1)
    mark = 2;
  else if (slot % 2 == 1 && mark == 0)
    mark = 2;
  else if (slot % 2 == 0 && mark == 1)
    mark = 2;
  return {mark, slot * 256 + mark};
}

std::string MealName(int meal, bool mealEnable) {
  static const std::array<const char*, 3> kNamed{"Breakfast", "Lunch", "Dinner"};
  static const std::array<const char*, 3> kGeneric{"Meal1", "Meal2", "Meal3"};
  if (meal < 0 || meal > 2) return {};
  return mealEnable ? kGeneric[meal] : kNamed[meal];
}

std::string SlotName(int slot, bool mealEnable) {
  if (slot == kSlotNight) return "Night";
  if (slot < 1 || slot > 6) return {};
  return std::string(IsPreMealSlot(slot) ? "Before " : "After ") +
         MealName((slot - 1) / 2, mealEnable);
}

std::string LogBookColumnTitle(int slot, bool mealEnable) {
  return slot == kSlotNight ? std::string("Bedtime Glucose") : SlotName(slot, mealEnable);
}

}  // namespace meridane
