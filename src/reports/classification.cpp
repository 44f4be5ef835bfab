#include "reports/classification.h"

#include <array>

#include "base/text_lookup.h"

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

std::string MealCaption(int meal, bool mealEnable) {
  static const std::array<TextId, 3> kNamed{TextId{"Report", "Breakfast", "Breakfast"},
                                            TextId{"Report", "Lunch", "Lunch"},
                                            TextId{"Report", "Dinner", "Dinner"}};
  static const std::array<TextId, 3> kGeneric{TextId{"Report", "Meal1", "Meal1"},
                                              TextId{"Report", "Meal2", "Meal2"},
                                              TextId{"Report", "Meal3", "Meal3"}};
  if (meal < 0 || meal > 2) return {};
  return LookupText(mealEnable ? kGeneric[meal] : kNamed[meal]);  // dynamic text
}

std::string SlotCaption(int slot, bool mealEnable) {
  static const std::array<TextId, 6> kNamed{
      TextId{"Report", "SlotBeforeBreakfast", "Before Breakfast"},
      TextId{"Report", "SlotAfterBreakfast", "After Breakfast"},
      TextId{"Report", "SlotBeforeLunch", "Before Lunch"},
      TextId{"Report", "SlotAfterLunch", "After Lunch"},
      TextId{"Report", "SlotBeforeDinner", "Before Dinner"},
      TextId{"Report", "SlotAfterDinner", "After Dinner"}};
  static const std::array<TextId, 6> kGeneric{
      TextId{"Report", "SlotBeforeMeal1", "Before Meal1"},
      TextId{"Report", "SlotAfterMeal1", "After Meal1"},
      TextId{"Report", "SlotBeforeMeal2", "Before Meal2"},
      TextId{"Report", "SlotAfterMeal2", "After Meal2"},
      TextId{"Report", "SlotBeforeMeal3", "Before Meal3"},
      TextId{"Report", "SlotAfterMeal3", "After Meal3"}};
  if (slot == kSlotNight) return LookupText("Report", "SlotNight", "Night");
  if (slot < 1 || slot > 6) return {};
  return LookupText(mealEnable ? kGeneric[slot - 1] : kNamed[slot - 1]);  // dynamic text
}

const std::array<TextId, 7>& BlockLabels(bool nonMealNames) {
  static const std::array<TextId, 7> kMeal{
      TextId{"Label", "Before-Breakfast", "Before-Breakfast"}, TextId{"Label", "After-Breakfast", "After-Breakfast"},
      TextId{"Label", "Before-Lunch", "Before-Lunch"}, TextId{"Label", "After-Lunch", "After-Lunch"},
      TextId{"Label", "Before-Dinner", "Before-Dinner"}, TextId{"Label", "After-Dinner", "After-Dinner"},
      TextId{"Label", "Night", "Night"}};
  static const std::array<TextId, 7> kNonMeal{
      TextId{"Label", "Before-Meal1", "Before-Meal1"}, TextId{"Label", "After-Meal1", "After-Meal1"},
      TextId{"Label", "Before-Meal2", "Before-Meal2"}, TextId{"Label", "After-Meal2", "After-Meal2"},
      TextId{"Label", "Before-Meal3", "Before-Meal3"}, TextId{"Label", "After-Meal3", "After-Meal3"},
      TextId{"Label", "Night", "Night"}};
  return nonMealNames ? kNonMeal : kMeal;
}

}  // namespace meridane
