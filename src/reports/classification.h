#pragma once
// Time-of-day slots of readings: the slot of a time under a schedule, the choice between
// the working-day and the non-working-day schedule, the meal code that packs slot and
// meter mark, and the names the reports give each slot.
#include <array>
#include <string>

#include "base/text_lookup.h"
#include "store/date_time.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

// Slot codes: 0 not classified, 1/3/5 before meals 1..3, 2/4/6 after them, 7 night.
inline constexpr int kSlotNone = 0;
inline constexpr int kSlotNight = 7;
inline constexpr int kSlotCount = 8;

inline bool IsPreMealSlot(int slot) { return slot == 1 || slot == 3 || slot == 5; }

// 06:00, 09:00, 11:00, 14:00, 17:00, 20:00, 23:00.
const Schedule& DefaultSchedule();

// The slot of a time of day under one schedule. A schedule whose first six block starts
// are not in day order classifies nothing (0).
int ClassifySlot(const Schedule& schedule, const TimeOfDay& time);

// The schedule that applies to a reading taken at `at`: the non-working one on the
// patient's non-working weekdays, else the stored working-day one (the default while
// the patient has none).
const Schedule& ScheduleFor(const CPatientProfile& patient, const DateTime& at);

// Slot of one reading of the patient (matches SlotClassifier in store/reading_store.h).
int ClassifyReadingSlot(const CPatientProfile& patient, const DateTime& at);

// Gives every slot-0 reading of the table its slot; other readings keep theirs.
// Returns how many readings got a slot.
int ClassifyLoadedReadings(const CPatientProfile& patient, ReadingTable& table);

struct MealCode {
  int mark = 0;  // the adjusted meter mark
  int meal = 0;  // slot * 256 + mark, as stored
};
// Adjusts the meter mark against the slot (a mark that disagrees becomes 2) and packs both.
MealCode ComposeMealCode(int slot, int mark);

// "Breakfast"/"Lunch"/"Dinner", or "Meal1".."Meal3" when mealEnable is set; meal 0..2.
std::string MealName(int meal, bool mealEnable);
// "Before Breakfast" … "After Dinner", "Night"; "" for slot 0 or out of range. Kept as it
// is for files and machine-readable output.
std::string SlotName(int slot, bool mealEnable);
// The same slot names and meal names in the user's language, for reports.
std::string SlotCaption(int slot, bool mealEnable);
std::string MealCaption(int meal, bool mealEnable);
// The seven time-block labels (English text and lookup), slots 1 to 7: "Before-Breakfast" …
// "Night", or "Before-Meal1" … when nonMealNames (the patient's mealEnable) is set.
const std::array<TextId, 7>& BlockLabels(bool nonMealNames);

}  // namespace meridane
