#include "reports/quick_view.h"

#include "reports/classification.h"
#include "reports/statistics.h"
#include "reports/text_format.h"

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
  Statement st = db.Prepare(
      "SELECT glucoUnit, preMealHigh, preMealLow, postMealHigh, postMealLow, hbA1c, hypoglycemic "
      "FROM HealthRecord WHERE IDNo = ?;");
  if (!st.ok()) return t;
  st.Bind(1, idNo);
  if (!st.Step()) return t;
  const bool mmol = st.Text(0) != "1";
  const double scale = mmol ? kMgdlPerMmol : 1.0;
  double stored[4];
  bool allPositive = true;
  bool anyAbove35 = false;
  for (int i = 0; i < 4; ++i) {
    stored[i] = NumberOf(st.Text(1 + i));
    allPositive = allPositive && stored[i] > 0;
    anyAbove35 = anyAbove35 || stored[i] > 35.0;
  }
  // mg/dL figures under a mmol/L unit would be multiplied into nonsense; the reports
  // of the same patient keep the defaults then, and so does this row.
  if (allPositive && !(mmol && anyAbove35)) {
    t.pre = {static_cast<int>(stored[1] * scale), static_cast<int>(stored[0] * scale)};
    t.post = {static_cast<int>(stored[3] * scale), static_cast<int>(stored[2] * scale)};
  }
  t.hbA1c = NumberOf(st.Text(5));
  t.hypo = NumberOf(st.Text(6)) * scale;
  return t;
}

struct Group {
  long long sum = 0;
  long long count = 0;
};

}  // namespace

const std::string& QuickViewColumnSpec() {
  static const std::string kSpec = Printf(
      "Patient Name,190;# of Ratings,1,100;%%Below Target,1,120;%%Above Target,1,120;"
      "#Hypo,1,80;HbA1c,1,80;Pre-meal Average,1,140;Post-meal Average,1,146");
  return kSpec;
}

QuickViewRow BuildQuickViewRow(Database& db, const std::string& fullName,
                               const ReportPeriod& period) {
  QuickViewRow row;
  Statement p = db.Prepare("SELECT IDNo, healthRecordEnable FROM Patient WHERE fullName = ?;");
  if (!p.ok()) return row;
  p.Bind(1, fullName);
  if (!p.Step()) return row;
  const std::string idNo = p.Text(0);
  const bool healthRecord = p.Text(1) != "0";
  row.found = true;

  const QuickTargets t = healthRecord ? ReadQuickTargets(db, idNo) : QuickTargets{};
  const int hypo = static_cast<int>(t.hypo);
  int valid = 0, below = 0, above = 0, hypos = 0;
  Group pre, post;
  // A patient who never had a reading has no table yet: that is an empty row, not an error.
  if (db.TableExists(ReadingsTableName(idNo))) {
    Statement st =
        db.Prepare("SELECT glucoDate, gluco, meal FROM " + QuotedReadingsTable(idNo) + ";");
    while (st.ok() && st.Step()) {
      const auto at = ParseDateTime(st.Text(0));
      const int value = static_cast<int>(st.Int(1));
      if (!at || !period.Contains(*at) || !IsValidGlucose(value)) continue;
      ++valid;
      const bool isPre = IsPreMealSlot(SlotOfMeal(static_cast<int>(st.Int(2))));
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
    }
  }
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
  std::vector<SelectionRow> list{{kSelectAllText, false}, {kSelectSpecialText, false}};
  std::vector<std::string> names;
  Statement st = db.Prepare("SELECT fullName FROM Patient;");
  while (st.ok() && st.Step()) names.push_back(st.Text(0));
  for (auto it = names.rbegin(); it != names.rend(); ++it) list.push_back({*it, false});
  return list;
}

bool IsSpecialPatient(Database& db, const std::string& fullName) {
  Statement p = db.Prepare("SELECT IDNo, inquiryEnable FROM Patient WHERE fullName = ?;");
  if (!p.ok()) return false;
  p.Bind(1, fullName);
  if (!p.Step()) return false;
  Statement q = db.Prepare("SELECT special FROM Inquiry WHERE IDNo = ?;");
  if (!q.ok()) return false;
  q.Bind(1, p.Text(0));
  if (!q.Step() || q.IsNull(0)) return false;
  return NumberOf(q.Text(0)) != 0;
}

QuickViewSet BuildQuickView(Database& db, const std::vector<SelectionRow>& selection,
                            const ReportPeriod& period) {
  QuickViewSet set;
  set.columnSpec = QuickViewColumnSpec();
  bool all = false, special = false;
  for (const SelectionRow& s : selection) {
    if (s.text == kSelectAllText && &s == &selection[0]) all = s.checked;
    if (s.text == kSelectSpecialText && selection.size() > 1 && &s == &selection[1])
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
