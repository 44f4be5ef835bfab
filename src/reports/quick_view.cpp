#include "reports/quick_view.h"

#include <algorithm>
#include <utility>

#include "base/text_lookup.h"
#include "base/unicode_nfc.h"
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

QuickTargets TargetsOf(const StoredTargetTexts& stored) {
  QuickTargets t;
  const bool mmol = stored.glucoUnit != "1";
  const double scale = mmol ? kMgdlPerMmol : 1.0;
  const double bounds[4] = {NumberOf(stored.preMealHigh), NumberOf(stored.preMealLow),
                            NumberOf(stored.postMealHigh), NumberOf(stored.postMealLow)};
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
  t.hbA1c = NumberOf(stored.hbA1c);
  t.hypo = NumberOf(stored.hypoglycemic) * scale;
  return t;
}

struct Group {
  long long sum = 0;
  long long count = 0;
};

// The figures of one patient's valid readings of the period.
struct Tally {
  long long below = 0, above = 0, hypos = 0;
  Group pre, post;
};

// One valid reading into the tally.
void Count(Tally& n, const QuickTargets& t, int value, int meal) {
  const int hypo = static_cast<int>(t.hypo);
  const bool isPre = IsPreMealSlot(SlotOfMeal(meal));
  Group& g = isPre ? n.pre : n.post;
  const GlucoseRange& range = isPre ? t.pre : t.post;
  g.sum += value;
  ++g.count;
  if (value > range.high)
    ++n.above;
  else if (t.hypo == 0 ? value < range.low : value > hypo && value <= range.low)
    ++n.below;
  else if (t.hypo != 0 && value <= hypo)
    ++n.hypos;
}

// A patient of the view: found by name, with its targets and, once counted, its figures.
struct Wanted {
  std::string fullName;
  const PatientByName* patient = nullptr;  // null: no such patient
  QuickTargets targets;
  Tally tally;
};

// The rows of the named patients, in the order named.
std::vector<QuickViewRow> BuildRows(Database& db, const PatientLookups& lookups,
                                    const std::vector<std::string>& names,
                                    const ReportPeriod& period) {
  std::vector<Wanted> wanted(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    Wanted& w = wanted[i];
    w.fullName = names[i];
    auto p = lookups.byComposedName.find(ComposeText(names[i]));
    if (p == lookups.byComposedName.end()) continue;
    w.patient = &p->second;
    if (!w.patient->healthRecordEnable) continue;
    auto t = lookups.targets.find(w.patient->idNo);
    if (t != lookups.targets.end()) w.targets = TargetsOf(t->second);
  }
  // A patient who never had a reading has no table yet: that is an empty row, not an error.
  std::vector<std::string> ids;
  std::vector<Wanted*> of;
  for (Wanted& w : wanted) {
    if (!w.patient) continue;
    ids.push_back(w.patient->idNo);
    of.push_back(&w);
  }
  ForEachStoredReadingBetween(db, ids, period.first, period.last, [&](size_t i, int value, int meal) {
    if (IsValidGlucose(value)) Count(of[i]->tally, of[i]->targets, value, meal);
  });
  std::vector<QuickViewRow> rows(wanted.size());
  for (size_t i = 0; i < wanted.size(); ++i) {
    const Wanted& w = wanted[i];
    if (!w.patient) continue;
    const Tally& n = w.tally;
    rows[i].found = true;
    rows[i].cells = {w.fullName,
                     Printf("%lld", n.pre.count + n.post.count),
                     Printf("%lld", n.below),
                     Printf("%lld", n.above),
                     Printf("%lld", n.hypos),
                     Printf("%2.1f", w.targets.hbA1c),
                     Printf("%d", AverageOf(n.pre.sum, n.pre.count)),
                     Printf("%d", AverageOf(n.post.sum, n.post.count))};
  }
  return rows;
}

bool IsSpecial(const PatientLookups& lookups, const std::string& fullName) {
  auto p = lookups.byComposedName.find(ComposeText(fullName));
  if (p == lookups.byComposedName.end()) return false;
  auto special = lookups.inquirySpecial.find(p->second.idNo);
  return special != lookups.inquirySpecial.end() && NumberOf(special->second) != 0;
}

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
  Database::ReadSnapshot snapshot(db);
  PatientLookups lookups;
  LoadPatientLookups(db, lookups);
  return BuildRows(db, lookups, {fullName}, period).front();
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
  Database::ReadSnapshot snapshot(db);  // every row from the book as it was at the start
  PatientLookups lookups;
  LoadPatientLookups(db, lookups);
  std::vector<std::string> names;
  for (std::size_t i = 2; i < selection.size(); ++i) {
    const SelectionRow& s = selection[i];
    const bool take = all ? true : special ? IsSpecial(lookups, s.text) : s.checked;
    if (take) names.push_back(s.text);
  }
  // Each new row goes on top.
  set.rows = BuildRows(db, lookups, names, period);
  std::reverse(set.rows.begin(), set.rows.end());
  return set;
}

}  // namespace meridane
