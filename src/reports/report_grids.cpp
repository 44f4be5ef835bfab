// The grid reports: log book and data list.
#include <algorithm>
#include <array>

#include "reports/classification.h"
#include "reports/report_sets.h"
#include "reports/text_format.h"

namespace meridane {

namespace {

// Alignment and width of each column, in the order of the titles.
constexpr const char* kLogBookFormatMeal[] = {",1,158", ",1,100", ",1,100", ",1,100", ",1,100",
                                              ",1,100", ",1,100", ",1,125", ",1,100"};
constexpr const char* kLogBookFormatNamed[] = {",1,158", ",1,125", ",1,116", ",1,101", ",1,95",
                                               ",1,103", ",1,94",  ",1,125", ",1,68"};
constexpr const char* kDataListFormat[] = {",1,100", ",1,90",  ",1,90",  ",1,140",
                                           ",1,140", ",1,140", ",1,140", ",134;"};

// The specification of looked-up titles; a comma or semicolon in a translated title would
// split its entry, so it becomes a space.
std::string ColumnSpec(const std::vector<TextId>& titles, const char* const* formats) {
  std::string spec;
  for (size_t i = 0; i < titles.size(); ++i) {
    std::string title = LookupText(titles[i]);  // dynamic text
    std::replace_if(title.begin(), title.end(), [](char c) { return c == ',' || c == ';'; }, ' ');
    if (i > 0) spec += ';';
    spec += title + formats[i];
  }
  return spec;
}

constexpr int kLogBookColumns = 9;
constexpr int kInsulinColumn = 8;

int ToInt(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (...) {
    return 0;
  }
}

void StartGrid(GridSet& grid, std::string spec) {
  grid.columnSpec = std::move(spec);
  grid.columns = ParseColumnSpec(grid.columnSpec);
}

std::string AmountText(double amount, const std::string& name) {
  return amount != 0 ? Printf("%2.1f,%s", amount, name.c_str()) : std::string();
}

Rgb BandColor(Band band) {
  switch (band) {
    case Band::Above:
      return kAboveColor;
    case Band::Below:
    case Band::Hypoglycemic:
      return kBelowColor;
    case Band::Within:
      break;
  }
  return kWithinColor;
}

}  // namespace

const std::vector<TextId>& LogBookTitles(bool mealEnable) {
  static const std::vector<TextId> kMeal{
      TextId{"Report", "ColDate", "Date"},
      TextId{"Report", "ColBeforeMeal1", "Before Meal1"},
      TextId{"Report", "ColAfterMeal1", "After Meal1"},
      TextId{"Report", "ColBeforeMeal2", "Before Meal2"},
      TextId{"Report", "ColAfterMeal2", "After Meal2"},
      TextId{"Report", "ColBeforeMeal3", "Before Meal3"},
      TextId{"Report", "ColAfterMeal3", "After Meal3"},
      TextId{"Report", "ColBedtime", "Bedtime Glucose"},
      TextId{"Report", "ColInsulin", "Insulin"}};
  static const std::vector<TextId> kNamed{
      TextId{"Report", "ColDate", "Date"},
      TextId{"Report", "ColBeforeBreakfast", "Before Breakfast"},
      TextId{"Report", "ColAfterBreakfast", "After Breakfast"},
      TextId{"Report", "ColBeforeLunch", "Before Lunch"},
      TextId{"Report", "ColAfterLunch", "After Lunch"},
      TextId{"Report", "ColBeforeDinner", "Before Dinner"},
      TextId{"Report", "ColAfterDinner", "After Dinner"},
      TextId{"Report", "ColBedtime", "Bedtime Glucose"},
      TextId{"Report", "ColInsulin", "Insulin"}};
  return mealEnable ? kMeal : kNamed;
}

const std::vector<TextId>& DataListTitles() {
  static const std::vector<TextId> kTitles{
      TextId{"Report", "ColDate", "Date"},        TextId{"Report", "ColTime", "Time"},
      TextId{"Report", "ColGlucose", "Glucose"},  TextId{"Report", "ColInsulin", "Insulin"},
      TextId{"Report", "ColOralMed", "OralMed"},  TextId{"Report", "ColExercise", "Exercise"},
      TextId{"Report", "ColFood", "Food"},        TextId{"Report", "ColComments", "Comments"}};
  return kTitles;
}

const std::vector<TextId>& MultipleDownloadTitles() {
  static const std::vector<TextId> kTitles{
      TextId{"Report", "ColMedicalNo", "Medical Record No."},
      TextId{"Report", "ColPatientName", "Patient Name"},
      TextId{"Report", "ColGlucose", "Glucose"},
      TextId{"Report", "ColTestingDate", "Testing Date"}};
  return kTitles;
}

std::string MultipleDownloadColumnSpec() {
  static constexpr const char* kFormats[] = {",1,200", ",200", ",1,200", ",1,375"};
  // A hidden first column, as the list control has always had.
  return ",0;" + ColumnSpec(MultipleDownloadTitles(), kFormats) + ";";
}

std::vector<GridColumn> ParseColumnSpec(const std::string& spec) {
  std::vector<GridColumn> columns;
  size_t pos = 0;
  while (pos < spec.size()) {
    size_t end = spec.find(';', pos);
    if (end == std::string::npos) end = spec.size();
    const std::string entry = spec.substr(pos, end - pos);
    pos = end + 1;
    if (entry.empty()) continue;
    std::vector<std::string> fields;
    size_t f = 0;
    for (;;) {
      size_t comma = entry.find(',', f);
      fields.push_back(entry.substr(f, comma == std::string::npos ? comma : comma - f));
      if (comma == std::string::npos) break;
      f = comma + 1;
    }
    GridColumn c;
    c.title = fields[0];
    if (fields.size() >= 3) {
      c.align = ToInt(fields[1]);
      c.width = ToInt(fields[2]);
    } else if (fields.size() == 2) {
      c.width = ToInt(fields[1]);
    }
    columns.push_back(std::move(c));
  }
  return columns;
}

std::vector<std::size_t> ReadingsInPeriod(const ReadingTable& readings,
                                          const ReportPeriod& period) {
  std::vector<std::size_t> in;
  in.reserve(readings.entries.size());
  for (std::size_t i = 0; i < readings.entries.size(); ++i)
    if (period.Contains(readings.entries[i].at)) in.push_back(i);
  // The table is normally sorted already; is_sorted keeps that case linear.
  auto earlier = [&](std::size_t a, std::size_t b) {
    return readings.entries[a].at < readings.entries[b].at;
  };
  if (!std::is_sorted(in.begin(), in.end(), earlier))
    std::stable_sort(in.begin(), in.end(), earlier);
  return in;
}

LogBookSet BuildLogBookSet(const CPatientProfile& patient, const ReadingTable& readings,
                           const ReportPeriod& period, const ReportTargets& targets) {
  LogBookSet set;
  StartGrid(set, ColumnSpec(LogBookTitles(patient.mealEnable),
                            patient.mealEnable ? kLogBookFormatMeal : kLogBookFormatNamed));
  const std::vector<std::size_t> in = ReadingsInPeriod(readings, period);

  std::array<long long, kSlotCount> sum{};
  std::array<int, kSlotCount> valid{};
  std::array<int, kSlotCount> inTarget{};
  std::array<int, kSlotCount> all{};

  set.rows.reserve(in.size() + 4);
  set.readingIndex.reserve(in.size());
  for (auto it = in.rbegin(); it != in.rend(); ++it) {
    const GlucoReading& r = readings.entries[*it];
    GridRow row(kLogBookColumns);
    std::string& date = row[0].text;
    date.reserve(24);
    AppendMonthDayYear(date, r.at.date());
    date += "  ";
    AppendTimeOfDayText(date, r.at.time(), patient.timeUnit);
    if (r.slot >= 1 && r.slot <= kSlotNight) {
      GridCell& cell = row[r.slot];
      cell.text = GlucoseText(r.gluco, targets.mmol);
      const GlucoseRange range = RangeOfSlot(targets, r.slot);
      if (IsValidGlucose(r.gluco)) {
        cell.color = BandColor(BandOf(r.gluco, range.low, range.high, 0));
        sum[r.slot] += r.gluco;
        ++valid[r.slot];
        if (InTarget(r.gluco, range.low, range.high)) ++inTarget[r.slot];
      }
      if (r.mark == 0 || r.mark == 1) cell.background = kMarkedBackground;
      ++all[r.slot];
    }
    row[kInsulinColumn].text = AmountText(r.detail.insulinAmount, r.detail.insulin);
    set.rows.push_back(std::move(row));
    set.readingIndex.push_back(*it);
  }
  set.readingRows = set.rows.size();

  set.rows.emplace_back(kLogBookColumns);
  GridRow average(kLogBookColumns), target(kLogBookColumns), result(kLogBookColumns);
  average[0].text = LookupText("Report", "RowAverage", "Average");
  target[0].text = LookupText("Report", "RowInTarget", "In target");
  result[0].text = LookupText("Report", "RowResults", "# Result");
  for (int slot = 1; slot <= kSlotNight; ++slot) {
    const int avg = AverageOf(sum[slot], valid[slot]);
    if (valid[slot] > 0 && avg != 0) average[slot].text = FormatGlucose(avg, targets.mmol);
    if (inTarget[slot] > 0) target[slot].text = std::to_string(inTarget[slot]);
    if (all[slot] > 0) result[slot].text = std::to_string(all[slot]);
  }
  set.rows.push_back(std::move(average));
  set.rows.push_back(std::move(target));
  set.rows.push_back(std::move(result));
  return set;
}

DataListSet BuildDataListSet(const CPatientProfile& patient, const ReadingTable& readings,
                             const ReportPeriod& period, const ReportTargets& targets) {
  static const std::array<TextId, 3> kIntensity{TextId{"Report", "Mild", "Mild"},
                                                TextId{"Report", "Moderate", "Moderate"},
                                                TextId{"Report", "Hard", "Hard"}};
  DataListSet set;
  StartGrid(set, ColumnSpec(DataListTitles(), kDataListFormat));
  const std::vector<std::size_t> in = ReadingsInPeriod(readings, period);
  set.rows.reserve(in.size());
  set.readingIndex.reserve(in.size());
  for (auto it = in.rbegin(); it != in.rend(); ++it) {
    const GlucoReading& r = readings.entries[*it];
    const GlucoDetailRecord& d = r.detail;
    GridRow row(8);
    AppendMonthDayYear(row[0].text, r.at.date());
    AppendTimeOfDayText(row[1].text, r.at.time(), patient.timeUnit);
    row[2].text = GlucoseText(r.gluco, targets.mmol);
    row[3].text = AmountText(d.insulinAmount, d.insulin);
    row[4].text = AmountText(d.oralAmount, d.oral);
    if (d.exerciseHour != 0 || d.exerciseMinute != 0 || d.intensity != -1) {
      const std::string word =
          d.intensity >= 0 && d.intensity < 3 ? LookupText(kIntensity[d.intensity]) : "";  // dynamic text
      row[5].text = Printf("%d:%d,%s", d.exerciseHour, d.exerciseMinute, word.c_str());
    }
    for (const auto& [amount, label] :
         {std::pair{d.carbs, TextId{"Report", "Carbs", "carbs,"}},
          std::pair{d.fats, TextId{"Report", "Fats", "fats,"}},
          std::pair{d.carlories, TextId{"Report", "Calories", "cal,"}},
          std::pair{d.proteins, TextId{"Report", "Proteins", "proteins,"}}}) {
      if (amount == 0) continue;
      if (!row[6].text.empty()) row[6].text += "; ";
      row[6].text += LookupText(label) + std::to_string(amount);  // dynamic text
    }
    for (const std::string* c :
         {&d.comment, &d.commentIns, &d.commentOra, &d.commentExe, &d.commentFoo}) {
      if (c->empty()) continue;
      if (!row[7].text.empty()) row[7].text += ';';
      row[7].text += *c;
    }
    set.rows.push_back(std::move(row));
    set.readingIndex.push_back(*it);
  }
  set.readingRows = set.rows.size();
  return set;
}

}  // namespace meridane
