#pragma once
// The rules of the reading detail editor, shared by the window's editor and the command
// line: the lists it offers, how the reading's value is shown, the entry limits checked in
// page order, and what saving does to the reading.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_lookup.h"
#include "store/gluco_reading.h"

namespace meridane {

// The editor's pages, in tab order.
enum DetailPage : int {
  kDetailGlucose = 0,
  kDetailInsulin = 1,
  kDetailOral = 2,
  kDetailExercise = 3,
  kDetailFood = 4,
  kDetailPageCount = 5,
};

// Page titles and the coded choices, index = stored code.
extern const std::array<TextId, kDetailPageCount> kDetailPageTitles;
extern const std::array<TextId, 4> kSampleKinds;      // type
extern const std::array<TextId, 10> kCircumstances;   // commentOptions, bit i = 1 << i
extern const std::array<TextId, 4> kFoodOptions;      // commentOptionsFood
extern const std::array<TextId, 2> kExerciseTimings;  // commentOptionsExercise
extern const std::array<TextId, 2> kExerciseKinds;    // commentOptionsType
extern const std::array<TextId, 3> kInsulinKinds;     // insulinType
extern const std::array<TextId, 3> kIntensities;      // intensity

inline constexpr std::size_t kMaxDetailComment = 40;
inline constexpr std::size_t kMaxDetailName = 20;

// The slot list: seven entries, entry k is slot k + 1.
std::vector<std::string> DetailSlotList(bool mealEnable);
// The entry showing a slot, -1 for a slot the list does not hold (0, unclassified).
int SlotListEntry(int slot);

// A medicine name list: the placeholder first ("Please select....." or, when the patient
// has nothing to choose, "Please add....."), then the patient's names. A stored name the
// patient no longer has is kept in the list, so opening and saving never drops it.
struct NameChoices {
  std::vector<std::string> items;
  int current = 0;  // 0: the placeholder
  // The name of entry i; "" for the placeholder or an entry out of range.
  std::string NameAt(int i) const;
};
NameChoices DetailNameChoices(const std::vector<std::string>& patientNames,
                              const std::string& stored);

// The reading's value as the Glucose page shows it.
struct DetailValueText {
  std::string value;    // "HI", "LO", "%d" or "%2.1f"
  std::string caption;  // "mg/dL" or "mmol/L"
};
DetailValueText DetailValueShown(int gluco, int glucoUnit);

// Numbers as typed: surrounding blanks ignored, an empty field is 0, anything that is not
// a plain decimal number is NaN (and fails its check).
double ParseDetailNumber(std::string_view text);
// A stored amount for its entry field: "4", "4.5", "0.25".
std::string DetailNumberText(double v);

// The numeric entries the editor checks, as typed.
struct DetailEntries {
  int insulinType = -1;
  double insulinAmount = 0;
  double oralAmount = 0;
  double exerciseHour = 0;
  double exerciseMinute = 0;
  double carbs = 0;
  double fats = 0;
  double carlories = 0;
  double proteins = 0;
};
DetailEntries EntriesOf(const GlucoDetailRecord& d);

// Units allowed for an insulin kind: injection 250, bolus 60, pump daily total 100
// (250 when no kind is chosen).
double InsulinAmountLimit(int insulinType);

// The first entry that fails, in the editor's order: insulin, oral, exercise, food.
struct DetailFailure {
  DetailPage page = kDetailGlucose;
  std::string column;  // the GlucoDetail column of the entry
  double max = 0;      // the entry's range is 0 to max
  bool wholeNumber = false;
  std::string message;  // a message of its own ("Please enter an integer."), else ""
};
std::optional<DetailFailure> ValidateDetailEntries(const DetailEntries& e);
inline constexpr TextId kOralIntegerMessage{"RecordDetail", "Integer", "Please enter an integer."};

// Saving from the editor: the reading takes the record (keyed by the patient and its idx)
// and the chosen slot (0 keeps the reading's slot), and its meter mark becomes 2. A slot
// change on a reading whose mark is 2 already is refused and nothing changes.
enum class DetailApply { kSaved, kSlotLocked };
DetailApply ApplyReadingDetails(GlucoReading& reading, const std::string& idNo,
                                const GlucoDetailRecord& detail, int slot);

}  // namespace meridane
