#include "profile/profile_rules.h"

#include <cstdio>
#include <cstdlib>

#include "base/text_lookup.h"
#include "reports/report_period.h"

namespace meridane {

// ---- schedule ----

std::string FormatClock(TimeOfDay t, bool twentyFourHour) {
  return TimeOfDayText(t, twentyFourHour);
}

TimeOfDay BlockEnd(const Schedule& s, int block) {
  int next = s.start[(block + 1) % 7].Minutes();
  int end = (next + 24 * 60 - 1) % (24 * 60);
  return {end / 60, end % 60};
}

bool TimeBlocksInOrder(const Schedule& s) {
  std::array<int, 7> m{};
  for (int i = 0; i < 7; ++i) m[i] = s.start[i].Minutes();
  int first = 0;
  for (int i = 1; i < 7; ++i)
    if (m[i] < m[first]) first = i;
  for (int k = 0; k < 6; ++k)
    if (m[(first + k) % 7] >= m[(first + k + 1) % 7]) return false;
  // Only Night may reach across midnight: readings are classified in day order, and a meal
  // block spanning midnight would leave every reading of the patient unclassified.
  for (int k = 0; k < 5; ++k)
    if (m[k] >= m[k + 1]) return false;
  return true;
}

bool SchedulesValid(const Schedule& working, bool separateNonWorking, const Schedule& nonWorking) {
  return TimeBlocksInOrder(working) && (!separateNonWorking || TimeBlocksInOrder(nonWorking));
}

// ---- health record ----

bool IsRealEntry(HealthEntry e) {
  switch (e) {
    case HealthEntry::PreMealLow:
    case HealthEntry::PreMealHigh:
    case HealthEntry::PostMealLow:
    case HealthEntry::PostMealHigh:
    case HealthEntry::Hight:
    case HealthEntry::Weight:
    case HealthEntry::HbA1C:
      return true;
    default:
      return false;
  }
}

std::optional<double> ParseEntryNumber(std::string_view text, bool allowPoint) {
  int digits = 0, points = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && allowPoint) {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  // "", "." and "1.2.3" would otherwise pass as some other number than the one meant.
  if (digits == 0 || points > 1) return std::nullopt;
  return std::strtod(std::string(text).c_str(), nullptr);
}

std::string FormatEntryNumber(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

HealthRecordEntries HealthEntriesFrom(const HealthRecord& hr) {
  HealthRecordEntries e;
  auto set = [&](HealthEntry k, const std::string& v) { e[static_cast<int>(k)] = v; };
  set(HealthEntry::PreMealLow, FormatEntryNumber(hr.preMealLow));
  set(HealthEntry::PreMealHigh, FormatEntryNumber(hr.preMealHigh));
  set(HealthEntry::PostMealLow, FormatEntryNumber(hr.postMealLow));
  set(HealthEntry::PostMealHigh, FormatEntryNumber(hr.postMealHigh));
  set(HealthEntry::Hight, FormatEntryNumber(hr.hight));
  set(HealthEntry::Weight, FormatEntryNumber(hr.weight));
  set(HealthEntry::HbA1C, FormatEntryNumber(hr.hbA1C));
  set(HealthEntry::BloodPressureA, std::to_string(hr.bloodPressureA));
  set(HealthEntry::BloodPressureB, std::to_string(hr.bloodPressureB));
  set(HealthEntry::Cholesterol, std::to_string(hr.cholesterol));
  set(HealthEntry::LDL, std::to_string(hr.LDL));
  set(HealthEntry::HDL, std::to_string(hr.HDL));
  set(HealthEntry::Hypoglycemic, std::to_string(hr.hypoglycemic));
  return e;
}

namespace {

struct RangeCheck {
  HealthEntry entry;
  double low, high;
  const char* key;
  const char* text;
};

}  // namespace

HealthCheck CheckHealthRecord(const HealthRecordEntries& entries) {
  std::array<double, kHealthEntryCount> v{};
  for (int i = 0; i < kHealthEntryCount; ++i) {
    auto e = static_cast<HealthEntry>(i);
    auto n = ParseEntryNumber(entries[i], IsRealEntry(e));
    if (!n) return {false, e, {}};
    v[i] = *n;
  }
  auto val = [&](HealthEntry e) { return v[static_cast<int>(e)]; };
  auto fail = [](HealthEntry e, const TextId& text) {
    return HealthCheck{false, e, LookupText(text)};  // dynamic text
  };
  auto within = [&](HealthEntry e, int high) { return val(e) >= 0 && val(e) <= high; };
  // Each limit has its own message, so each is a whole sentence.
  const TextId to600{"HRMsg", "HRMsg1", "Please enter a value between 0 and 600."};
  const TextId to250{"HRMsg", "HRMsg5", "Please enter a value between 0 and 250."};
  const TextId to16{"HRMsg", "HRMsg6", "Please enter a value between 0 and 16."};
  const TextId to300{"HRMsg", "HRMsg7", "Please enter a value between 0 and 300."};
  const TextId hypo{"HRMsg", "HRMsg4", "The setting of Hypoglycemic is error."};

  using H = HealthEntry;
  for (H e : {H::PreMealHigh, H::PreMealLow, H::PostMealHigh, H::PostMealLow})
    if (!within(e, 600)) return fail(e, to600);
  if (val(H::PreMealLow) > val(H::PreMealHigh))
    return fail(H::PreMealLow, TextId{"HRMsg", "HRMsg2", "The setting of Before meal range is error."});
  if (val(H::PostMealLow) > val(H::PostMealHigh))
    return fail(H::PostMealLow, TextId{"HRMsg", "HRMsg3", "The setting of After meal range is error."});
  if (val(H::Hypoglycemic) > val(H::PostMealLow) || val(H::Hypoglycemic) > val(H::PreMealLow))
    return fail(H::Hypoglycemic, hypo);
  if (!within(H::Hight, 250)) return fail(H::Hight, to250);
  if (!within(H::Weight, 600)) return fail(H::Weight, to600);
  if (!within(H::HbA1C, 16)) return fail(H::HbA1C, to16);
  if (val(H::Hypoglycemic) < 0) return fail(H::Hypoglycemic, hypo);
  for (H e : {H::LDL, H::HDL, H::Cholesterol})
    if (!within(e, 300)) return fail(e, to300);
  for (H e : {H::BloodPressureA, H::BloodPressureB})
    if (!within(e, 250)) return fail(e, to250);
  return {};
}

void ApplyHealthEntries(const HealthRecordEntries& entries, HealthRecord& hr) {
  auto real = [&](HealthEntry e) {
    return ParseEntryNumber(entries[static_cast<int>(e)], true).value_or(0);
  };
  auto whole = [&](HealthEntry e) { return static_cast<int>(real(e)); };
  hr.preMealLow = real(HealthEntry::PreMealLow);
  hr.preMealHigh = real(HealthEntry::PreMealHigh);
  hr.postMealLow = real(HealthEntry::PostMealLow);
  hr.postMealHigh = real(HealthEntry::PostMealHigh);
  hr.hight = real(HealthEntry::Hight);
  hr.weight = real(HealthEntry::Weight);
  hr.hbA1C = real(HealthEntry::HbA1C);
  hr.bloodPressureA = whole(HealthEntry::BloodPressureA);
  hr.bloodPressureB = whole(HealthEntry::BloodPressureB);
  hr.cholesterol = whole(HealthEntry::Cholesterol);
  hr.LDL = whole(HealthEntry::LDL);
  hr.HDL = whole(HealthEntry::HDL);
  hr.hypoglycemic = whole(HealthEntry::Hypoglycemic);
}

// ---- regimens ----

bool RegimenUnitsValid(const Regimen& r) {
  for (const auto& d : r.doses)
    if (!(d.units >= 0 && d.units <= kMaxRegimenUnits)) return false;
  return true;
}

std::string RegimenListText(const Regimens& r, int i) {
  const std::string& name = r.regimen[i].name;
  return r.activeRegimen == i ? name + "(active)" : name;
}

// ---- medicines and complications ----

namespace {

struct MedicineList {
  const char* const* names;
  int size;
  int firstCustom;
};

MedicineList ListOf(bool insulin) {
  if (insulin) return {kInsulinList.data(), static_cast<int>(kInsulinList.size()), 7};
  return {kOralList.data(), static_cast<int>(kOralList.size()), 17};
}

}  // namespace

std::string ListEntryCaption(const std::string& text) {
  for (const TextId& t : kComplicationList)
    if (text == t.fallback) return LookupText(t);  // dynamic text
  static const TextId kPlaceholders[] = {
      TextId{"Label", "Custom", "Custom"},
      TextId{"Label", "Custom 1", "Custom 1"},
      TextId{"Label", "Custom 2", "Custom 2"},
      TextId{"Label", "Custom 3", "Custom 3"},
      TextId{"Label", "Custom 4", "Custom 4"}};
  for (const TextId& t : kPlaceholders)
    if (text == t.fallback) return LookupText(t);  // dynamic text
  return text;
}

void SplitMedicines(const Medications& m, bool insulin, std::vector<ListEntry>& offered,
                    std::vector<ListEntry>& chosen) {
  offered.clear();
  chosen.clear();
  MedicineList list = ListOf(insulin);
  int bits = insulin ? m.insulin : m.oral;
  const auto& names = insulin ? m.insulinName : m.oralName;
  const auto& checks = insulin ? m.insulinCheck : m.oralCheck;
  for (int i = 0; i < list.size; ++i) {
    ListEntry e{i, list.names[i], false};
    bool picked = (bits >> i) & 1;
    if (i >= list.firstCustom) {
      int k = i - list.firstCustom;
      e.custom = true;
      if (!names[k].empty()) e.text = names[k];
      picked = picked || checks[k];
    }
    (picked ? chosen : offered).push_back(e);
  }
}

void SetChosenMedicines(const std::vector<ListEntry>& chosen, bool insulin, Medications& m) {
  MedicineList list = ListOf(insulin);
  int& bits = insulin ? m.insulin : m.oral;
  auto& names = insulin ? m.insulinName : m.oralName;
  auto& checks = insulin ? m.insulinCheck : m.oralCheck;
  bits = 0;
  checks = {};
  for (int k = 0; k < 4; ++k) names[k] = "Custom " + std::to_string(k + 1);
  for (const auto& e : chosen) {
    if (e.index < 0 || e.index >= list.size) continue;
    bits |= 1 << e.index;
    if (e.index >= list.firstCustom) {
      int k = e.index - list.firstCustom;
      checks[k] = true;
      std::string name = e.text.substr(0, kMaxCustomMedicineName);
      if (!name.empty()) names[k] = name;
    }
  }
}

std::vector<std::string> ChosenInsulinNames(const Medications& m) {
  return ChosenMedicineNames(m, true);
}

std::vector<std::string> ChosenMedicineNames(const Medications& m, bool insulin) {
  std::vector<ListEntry> offered, chosen;
  SplitMedicines(m, insulin, offered, chosen);
  std::vector<std::string> out;
  for (const auto& e : chosen) out.push_back(e.text);
  return out;
}

void SplitComplications(const Complications& c, std::vector<ListEntry>& offered,
                        std::vector<ListEntry>& chosen) {
  offered.clear();
  chosen.clear();
  for (int i = 0; i < static_cast<int>(kComplicationList.size()); ++i)
    (((c.complications >> i) & 1) ? chosen : offered).push_back({i, kComplicationList[i].fallback, false});
  ListEntry custom{kComplicationCustomIndex, c.otherCheck && !c.other.empty() ? c.other : "Custom",
                   true};
  (c.otherCheck ? chosen : offered).push_back(custom);
}

void SetChosenComplications(const std::vector<ListEntry>& chosen, Complications& c) {
  c.complications = 0;
  c.otherCheck = false;
  c.other.clear();
  for (const auto& e : chosen) {
    if (e.index == kComplicationCustomIndex) {
      c.otherCheck = true;
      c.other = e.text == "Custom" ? "" : e.text.substr(0, kMaxComplicationOther);
    } else if (e.index >= 0 && e.index < static_cast<int>(kComplicationList.size())) {
      c.complications |= 1 << e.index;
    }
  }
}

}  // namespace meridane
