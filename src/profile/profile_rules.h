#pragma once
// The profile editor's rules, free of any window code: time-block order and labels, the
// health-record entry checks with their messages, regimen unit bounds, and the medicine and
// complication lists as the tabs offer them.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_lookup.h"
#include "reports/classification.h"
#include "store/patient_profile.h"

namespace meridane {

// ---- schedule ----

inline constexpr TextId kTimeBlockError{
    "ScheduleMsg", "TimeBlockMsg",
    "Time blocks setting error.\nPlease kindly modify your setting and save again."};

// "%02d:%02d" in 24-hour format, else "%02d:%02d am" / "%02d:%02d pm" with 12 for 0 and 12.
std::string FormatClock(TimeOfDay t, bool twentyFourHour);
// The end shown next to block i: the next block's start minus one minute (Night wraps to
// Before Breakfast).
TimeOfDay BlockEnd(const Schedule& s, int block);

// True when the seven starts follow each other around the clock, all distinct, wrapping
// past midnight at most once, and only next to Night.
bool TimeBlocksInOrder(const Schedule& s);
// The working schedule, and the non-working one when it is switched on.
bool SchedulesValid(const Schedule& working, bool separateNonWorking, const Schedule& nonWorking);

// ---- health record ----

// The number entries of the Health Record tab.
enum class HealthEntry {
  PreMealLow,
  PreMealHigh,
  PostMealLow,
  PostMealHigh,
  Hight,
  Weight,
  HbA1C,
  BloodPressureA,
  BloodPressureB,
  Cholesterol,
  LDL,
  HDL,
  Hypoglycemic,
};
inline constexpr int kHealthEntryCount = 13;

using HealthRecordEntries = std::array<std::string, kHealthEntryCount>;

struct HealthCheck {
  bool ok = true;
  HealthEntry entry = HealthEntry::PreMealLow;  // the failing entry, to take the focus
  std::string message;                          // empty: the tab is kept without a message
};

bool IsRealEntry(HealthEntry e);
// Texts for the entries from a section (reals without trailing zeros).
HealthRecordEntries HealthEntriesFrom(const HealthRecord& hr);
// Checks in the order the user is told about them; the message is already looked up.
HealthCheck CheckHealthRecord(const HealthRecordEntries& entries);
// Writes the entries into the section; only call after CheckHealthRecord passed.
void ApplyHealthEntries(const HealthRecordEntries& entries, HealthRecord& hr);

// A number entry: non-empty, digits only, plus at most one "." when allowPoint.
std::optional<double> ParseEntryNumber(std::string_view text, bool allowPoint);
// Shortest plain text of a stored real ("70", "5.5").
std::string FormatEntryNumber(double v);

// ---- regimens ----

inline constexpr double kMaxRegimenUnits = 250;
// Every dose of the regimen within 0 to 250 units.
bool RegimenUnitsValid(const Regimen& r);
// The list text of regimen i: its name, followed by "(active)" when it is the active one.
std::string RegimenListText(const Regimens& r, int i);

// ---- medicines and complications ----

// One entry of a two-list tab: its index in the built-in list and its shown text.
struct ListEntry {
  int index = 0;
  std::string text;
  bool custom = false;  // a renamable custom slot
};

// Insulins (insulin true) or oral medicines split into offered and chosen, in list order.
// A custom slot shows its custom name and counts as chosen when its bit or check is set.
void SplitMedicines(const Medications& m, bool insulin, std::vector<ListEntry>& offered,
                    std::vector<ListEntry>& chosen);
// Sets the chosen bits, custom names and checks of one list from the chosen entries.
void SetChosenMedicines(const std::vector<ListEntry>& chosen, bool insulin, Medications& m);
// The names of the patient's chosen insulins (the regimen's dose types).
std::vector<std::string> ChosenInsulinNames(const Medications& m);
// The names of the patient's chosen insulins (insulin true) or oral medicines.
std::vector<std::string> ChosenMedicineNames(const Medications& m, bool insulin);

// The text a two-list entry shows: the built-in complications and the custom slots'
// placeholders ("Custom", "Custom 1" …) in the user's language; medicine names and the names
// a user typed as they are.
std::string ListEntryCaption(const std::string& text);

inline constexpr int kComplicationCustomIndex = 9;  // the "Custom" entry after the nine
void SplitComplications(const Complications& c, std::vector<ListEntry>& offered,
                        std::vector<ListEntry>& chosen);
void SetChosenComplications(const std::vector<ListEntry>& chosen, Complications& c);

inline constexpr std::size_t kMaxCustomMedicineName = 20;
inline constexpr std::size_t kMaxComplicationOther = 50;
inline constexpr std::size_t kMaxRegimenName = 30;

}  // namespace meridane
