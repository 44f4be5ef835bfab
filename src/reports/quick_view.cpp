#include "reports/quick_view.h"

#include <algorithm>
#include <map>
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

// One valid reading into the tally. The server's query in TallyOnServer counts the same
// way: change both together.
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

// "{...}" array texts of the server, elements quoted where they are texts.
std::string ArrayText(const std::vector<std::string>& items, bool quote) {
  std::string out = "{";
  for (const std::string& item : items) {
    if (out.size() > 1) out += ',';
    if (!quote) {
      out += item;
      continue;
    }
    out += '"';
    for (char c : item) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    out += '"';
  }
  return out + "}";
}

// Every wanted patient's figures in one statement: the server counts the readings of the
// period against each patient's targets, which go along as arrays, so only one row per
// patient crosses the network however many readings there are.
bool TallyOnServer(Database& db, std::vector<Wanted>& wanted, const ReportPeriod& period) {
  std::map<std::string, std::vector<Wanted*>> byId;
  for (Wanted& w : wanted)
    if (w.patient) byId[w.patient->idNo].push_back(&w);
  if (byId.empty()) return true;
  std::vector<std::string> cols[7];
  for (const auto& [id, ws] : byId) {
    const QuickTargets& t = ws.front()->targets;
    const std::string values[7] = {id,
                                   std::to_string(t.pre.low),
                                   std::to_string(t.pre.high),
                                   std::to_string(t.post.low),
                                   std::to_string(t.post.high),
                                   std::to_string(static_cast<int>(t.hypo)),
                                   t.hypo != 0 ? "1" : "0"};
    for (int c = 0; c < 7; ++c) cols[c].push_back(values[c]);
  }
  static const std::string kPre = "(r.meal >> 8) IN (1,3,5)";
  static const std::string kSql =
      "WITH t AS (SELECT * FROM unnest(?::text[], ?::int[], ?::int[], ?::int[], ?::int[], "
      "?::int[], ?::int[]) AS t(IDNo, preLow, preHigh, postLow, postHigh, hypo, hypoSet)), "
      "r AS (SELECT t.IDNo, r.gluco AS v, " + kPre + " AS pre, t.hypo, t.hypoSet, "
      "CASE WHEN " + kPre + " THEN t.preLow ELSE t.postLow END AS lo, "
      "CASE WHEN " + kPre + " THEN t.preHigh ELSE t.postHigh END AS hi "
      "FROM readings r JOIN t ON r.IDNo = t.IDNo "
      "WHERE r.glucoDate >= ? AND r.glucoDate < ? AND r.gluco BETWEEN ? AND ?) "
      "SELECT IDNo, "
      "count(*) FILTER (WHERE v <= hi AND CASE WHEN hypoSet = 1 THEN v > hypo AND v <= lo "
      "ELSE v < lo END), "
      "count(*) FILTER (WHERE v > hi), "
      "count(*) FILTER (WHERE v <= hi AND hypoSet = 1 AND v <= hypo), "
      "coalesce(sum(v) FILTER (WHERE pre), 0), count(*) FILTER (WHERE pre), "
      "coalesce(sum(v) FILTER (WHERE NOT pre), 0), count(*) FILTER (WHERE NOT pre) "
      "FROM r GROUP BY IDNo;";
  FailureWatch watch;
  Statement st = db.Prepare(kSql);
  for (int c = 0; c < 7; ++c) st.Bind(c + 1, ArrayText(cols[c], c == 0));
  st.Bind(8, FormatDate(period.first)).Bind(9, FormatDate(AddDays(period.last, 1)));
  st.BindInt(10, kGlucoseMin).BindInt(11, kGlucoseMax);
  while (st.Step()) {
    auto it = byId.find(st.Text(0));
    if (it == byId.end()) continue;
    Tally n;
    n.below = st.Int(1);
    n.above = st.Int(2);
    n.hypos = st.Int(3);
    n.pre = {st.Int(4), st.Int(5)};
    n.post = {st.Int(6), st.Int(7)};
    for (Wanted* w : it->second) w->tally = n;
  }
  return !watch.failed();
}

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
  if (db.server()) {
    TallyOnServer(db, wanted, period);
  } else {
    // A patient who never had a reading has no table yet: that is an empty row, not an error.
    std::vector<std::string> ids;
    std::vector<Wanted*> of;
    for (Wanted& w : wanted) {
      if (!w.patient) continue;
      ids.push_back(w.patient->idNo);
      of.push_back(&w);
    }
    ForEachStoredReadingBetween(db, ids, period.first, period.last,
                                [&](size_t i, const DateTime&, int value, int meal) {
                                  if (IsValidGlucose(value)) Count(of[i]->tally, of[i]->targets, value, meal);
                                });
  }
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
