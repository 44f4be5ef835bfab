#include "reports/reading_details.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "reports/classification.h"
#include "reports/text_format.h"

namespace meridane {

// Shown through the text lookup under their English names; the stored value is the index.
const std::array<TextId, kDetailPageCount> kDetailPageTitles{
    TextId{"Label", "Glucose", "Glucose"}, TextId{"Label", "Insulin", "Insulin"},
    TextId{"Label", "Oral Medicine", "Oral Medicine"}, TextId{"Label", "Exercise", "Exercise"},
    TextId{"Label", "Food", "Food"}};
const std::array<TextId, 4> kSampleKinds{
    TextId{"Label", "Finger Tip", "Finger Tip"}, TextId{"Label", "Alternate Site", "Alternate Site"},
    TextId{"Label", "Laboratory", "Laboratory"}, TextId{"Label", "Control", "Control"}};
const std::array<TextId, 10> kCircumstances{
    TextId{"Label", "illness", "illness"}, TextId{"Label", "Vacation", "Vacation"},
    TextId{"Label", "Stress", "Stress"}, TextId{"Label", "Feel Hypo", "Feel Hypo"},
    TextId{"Label", "Menses", "Menses"}, TextId{"Label", "Food", "Food"},
    TextId{"Label", "Exercise", "Exercise"}, TextId{"Label", "Exercise Type", "Exercise Type"},
    TextId{"Label", "Medication", "Medication"}, TextId{"Label", "Other", "Other"}};
const std::array<TextId, 4> kFoodOptions{
    TextId{"Label", "Different Food", "Different Food"}, TextId{"Label", "Fasting", "Fasting"},
    TextId{"Label", "Too much food", "Too much food"}, TextId{"Label", "Not enough food", "Not enough food"}};
const std::array<TextId, 2> kExerciseTimings{TextId{"Label", "Before", "Before"}, TextId{"Label", "After", "After"}};
const std::array<TextId, 2> kExerciseKinds{TextId{"Label", "Mild", "Mild"}, TextId{"Label", "Hard", "Hard"}};
const std::array<TextId, 3> kInsulinKinds{
    TextId{"Label", "Injection", "Injection"}, TextId{"Label", "Bolus", "Bolus"},
    TextId{"Label", "Pump Daily total", "Pump Daily total"}};
const std::array<TextId, 3> kIntensities{
    TextId{"Label", "Mild", "Mild"}, TextId{"Label", "Moderate", "Moderate"},
    TextId{"Label", "Hard", "Hard"}};

std::vector<std::string> DetailSlotList(bool mealEnable) {
  std::vector<std::string> out;
  for (const TextId& t : BlockLabels(mealEnable)) out.push_back(t.fallback);
  return out;
}

int SlotListEntry(int slot) { return slot >= 1 && slot <= kSlotNight ? slot - 1 : -1; }

std::string NameChoices::NameAt(int i) const {
  if (i <= 0 || i >= static_cast<int>(items.size())) return {};
  return items[i];
}

NameChoices DetailNameChoices(const std::vector<std::string>& patientNames,
                              const std::string& stored) {
  NameChoices c;
  c.items.push_back(patientNames.empty() ? "Please add....." : "Please select.....");
  c.items.insert(c.items.end(), patientNames.begin(), patientNames.end());
  if (stored.empty()) return c;
  for (std::size_t i = 1; i < c.items.size(); ++i)
    if (c.items[i] == stored) {
      c.current = static_cast<int>(i);
      return c;
    }
  c.items.push_back(stored);
  c.current = static_cast<int>(c.items.size()) - 1;
  return c;
}

DetailValueText DetailValueShown(int gluco, int glucoUnit) {
  if (glucoUnit == 1) {
    if (gluco > 600) return {"HI", "mg/dL"};
    if (gluco < 0) return {"LO", "mg/dL"};
    return {Printf("%d", gluco), "mg/dL"};
  }
  const double mmol = gluco / 18.0;
  if (mmol > 35) return {"HI", "mmol/L"};
  if (gluco < 0) return {"LO", "mmol/L"};
  return {Printf("%2.1f", mmol), "mmol/L"};
}

double ParseDetailNumber(std::string_view text) {
  constexpr double kBad = std::numeric_limits<double>::quiet_NaN();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return 0;
  // Plain decimals only: no exponent, no "inf", no thousands separators; a leading sign is
  // read so that "-1" is refused as out of range rather than as unreadable.
  std::size_t digits = 0, points = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else if (!((c == '-' || c == '+') && i == 0)) {
      return kBad;
    }
  }
  if (digits == 0 || points > 1) return kBad;
  if (text.front() == '+') text.remove_prefix(1);
  double v = 0;
  // from_chars does not follow the process locale, which a decimal comma would break.
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v,
                                   std::chars_format::fixed);
  if (ec != std::errc() || end != text.data() + text.size()) return kBad;
  return v;
}

std::string DetailNumberText(double v) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) return "0";
  return std::string(buf, end);
}

DetailEntries EntriesOf(const GlucoDetailRecord& d) {
  return {d.insulinType,      d.insulinAmount, d.oralAmount, double(d.exerciseHour),
          double(d.exerciseMinute), double(d.carbs), double(d.fats), double(d.carlories),
          double(d.proteins)};
}

double InsulinAmountLimit(int insulinType) {
  switch (insulinType) {
    case 1: return 60;
    case 2: return 100;
    default: return 250;
  }
}

std::optional<DetailFailure> ValidateDetailEntries(const DetailEntries& e) {
  struct Check {
    double value;
    DetailPage page;
    const char* column;
    double max;
    bool whole;
    const TextId* message;
  };
  const Check checks[] = {
      {e.insulinAmount, kDetailInsulin, "insulinAmount", InsulinAmountLimit(e.insulinType), false,
       nullptr},
      {e.oralAmount, kDetailOral, "oralAmount", 10, true, &kOralIntegerMessage},
      {e.exerciseHour, kDetailExercise, "exerciseHour", 23, true, nullptr},
      {e.exerciseMinute, kDetailExercise, "exerciseMinute", 59, true, nullptr},
      {e.carbs, kDetailFood, "carbs", 250, true, nullptr},
      {e.fats, kDetailFood, "fats", 250, true, nullptr},
      {e.carlories, kDetailFood, "carlories", 2500, true, nullptr},
      {e.proteins, kDetailFood, "proteins", 250, true, nullptr},
  };
  for (const Check& c : checks) {
    // Written so that NaN (an unreadable entry) fails as well.
    const bool inRange = c.value >= 0 && c.value <= c.max;
    if (inRange && (!c.whole || std::floor(c.value) == c.value)) continue;
    return DetailFailure{c.page, c.column, c.max, c.whole,
                         c.message ? LookupText(*c.message) : std::string()};  // dynamic text
  }
  return std::nullopt;
}

DetailApply ApplyReadingDetails(GlucoReading& reading, const std::string& idNo,
                                const GlucoDetailRecord& detail, int slot) {
  if (slot != 0 && slot != reading.slot && reading.mark == 2) return DetailApply::kSlotLocked;
  reading.detail = detail;
  reading.detail.IDNo = idNo;
  reading.detail.idx = reading.idx;
  if (slot >= 1 && slot <= kSlotNight) reading.slot = slot;
  reading.mark = 2;
  return DetailApply::kSaved;
}

}  // namespace meridane
