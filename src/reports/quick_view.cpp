#include "reports/quick_view.h"

#include <algorithm>
#include <utility>

#include "base/text_lookup.h"
#include "reports/classification.h"
#include "reports/statistics.h"
#include "reports/text_format.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane {

namespace {

double NumberOf(const std::string& text) {
  try {
    return std::stod(text);
  } catch (...) {
    return 0;
  }
}

struct QuickTargets {
  GlucoseRange pre{70, 130};
  GlucoseRange post{70, 180};
  double hypo = 0;
  double hbA1c = 0;
};

QuickTargets ReadQuickTargets(Database& db, const std::string& idNo) {
  QuickTargets t;
  const std::optional<StoredTargetTexts> stored = ReadTargetTexts(db, idNo);
  if (!stored) return t;
  const bool mmol = stored->glucoUnit != "1";
  const double scale = mmol ? kMgdlPerMmol : 1.0;
  const double bounds[4] = {NumberOf(stored->preMealHigh), NumberOf(stored->preMealLow),
                            NumberOf(stored->postMealHigh), NumberOf(stored->postMealLow)};
  bool allPositive = true;
  bool anyAbove35 = false;
  for (double b : bounds) {
    allPositive = allPositive && b > 0;
    anyAbove35 = anyAbove35 || b > 35.0;
  }
  // mg/dL figures under a mmol/L unit would be multiplied into nonsense; the reports
  // of the same patient keep the defaults then, and so does this row.
  if (allPositive && !(mmol && anyAbove35)) {
    t.pre = {static_cast<int>(bounds[1] * scale), static_cast<int>(bounds[0] * scale)};
    t.post = {static_cast<int>(bounds[3] * scale), static_cast<int>(bounds[2] * scale)};
  }
  t.hbA1c = NumberOf(stored->hbA1c);
  t.hypo = NumberOf(stored->hypoglycemic) * scale;
  return t;
}

struct Group {
  long long sum = 0;
  long long count = 0;
};

}  // namespace

std::string QuickViewColumnSpec() {
  // Title and format of each column; a comma or semicolon in a translated title would split
  // its entry.
  static const std::pair<TextId, const char*> kColumns[] = {
      {TextId{"Report", "ColPatientName", "Patient Name"}, ",190"},
      {TextId{"Report", "ColRatings", "# of Ratings"}, ",1,100"},
      {TextId{"Report", "ColBelowPct", "%Below Target"}, ",1,120"},
      {TextId{"Report", "ColAbovePct", "%Above Target"}, ",1,120"},
      {TextId{"Report", "ColHypo", "#Hypo"}, ",1,80"},
      {TextId{"Report", "ColHbA1c", "HbA1c"}, ",1,80"},
      {TextId{"Report", "ColPreMeal", "Pre-meal Average"}, ",1,140"},
      {TextId{"Report", "ColPostMeal", "Post-meal Average"}, ",1,146"}};
  std::string spec;
  for (const auto& [title, format] : kColumns) {
    std::string text = LookupText(title);  // dynamic text
    std::replace_if(text.begin(), text.end(), [](char c) { return c == ',' || c == ';'; }, ' ');
    if (!spec.empty()) spec += ';';
    spec += text + format;
  }
  return spec;
}

std::string SelectAllText() { return LookupText("Report", "SelectAll", "All patients"); }

std::string SelectSpecialText() {
  return LookupText("Report", "SelectSpecial", "Special View patients");
}

QuickViewRow BuildQuickViewRow(Database& db, const std::string& fullName,
                               const ReportPeriod& period) {
  QuickViewRow row;
  const std::optional<PatientByName> patient = FindPatientByName(db, fullName);
  if (!patient) return row;
  row.found = true;

  const QuickTargets t =
      patient->healthRecordEnable ? ReadQuickTargets(db, patient->idNo) : QuickTargets{};
  const int hypo = static_cast<int>(t.hypo);
  int valid = 0, below = 0, above = 0, hypos = 0;
  Group pre, post;
  // A patient who never had a reading has no table yet: that is an empty row, not an error.
  ForEachStoredReading(db, patient->idNo, [&](const DateTime& at, int value, int meal) {
    if (!period.Contains(at) || !IsValidGlucose(value)) return;
    ++valid;
    const bool isPre = IsPreMealSlot(SlotOfMeal(meal));
    Group& g = isPre ? pre : post;
    const GlucoseRange& range = isPre ? t.pre : t.post;
    g.sum += value;
    ++g.count;
    if (value > range.high)
      ++above;
    else if (t.hypo == 0 ? value < range.low : value > hypo && value <= range.low)
      ++below;
    else if (t.hypo != 0 && value <= hypo)
      ++hypos;
  });
  row.cells = {fullName,
               Printf("%d", valid),
               Printf("%d", below),
               Printf("%d", above),
               Printf("%d", hypos),
               Printf("%2.1f", t.hbA1c),
               Printf("%d", AverageOf(pre.sum, pre.count)),
               Printf("%d", AverageOf(post.sum, post.count))};
  return row;
}

std::vector<SelectionRow> PatientSelectionList(Database& db) {
  std::vector<SelectionRow> list{{SelectAllText(), false}, {SelectSpecialText(), false}};
  const std::vector<std::string> names = ListPatientNames(db);
  for (auto it = names.rbegin(); it != names.rend(); ++it) list.push_back({*it, false});
  return list;
}

bool IsSpecialPatient(Database& db, const std::string& fullName) {
  const std::optional<std::string> idNo = FindIdByName(db, fullName);
  if (!idNo) return false;
  const std::optional<std::string> special = ReadInquirySpecial(db, *idNo);
  return special && NumberOf(*special) != 0;
}

QuickViewSet BuildQuickView(Database& db, const std::vector<SelectionRow>& selection,
                            const ReportPeriod& period) {
  QuickViewSet set;
  set.columnSpec = QuickViewColumnSpec();
  bool all = false, special = false;
  const std::string allText = SelectAllText(), specialText = SelectSpecialText();
  for (const SelectionRow& s : selection) {
    if (s.text == allText && &s == &selection[0]) all = s.checked;
    if (s.text == specialText && selection.size() > 1 && &s == &selection[1])
      special = s.checked;
  }
  for (std::size_t i = 2; i < selection.size(); ++i) {
    const SelectionRow& s = selection[i];
    const bool take = all ? true : special ? IsSpecialPatient(db, s.text) : s.checked;
    if (take) set.rows.insert(set.rows.begin(), BuildQuickViewRow(db, s.text, period));
  }
  return set;
}

}  // namespace meridane
