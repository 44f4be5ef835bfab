#pragma once
// The data of every single-patient report, as plain values. The window, the PDF writer
// and the printer present these as they stand and compute nothing of their own: every
// cell text, colour, label, point and percentage is here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/text_lookup.h"
#include "reports/report_period.h"
#include "reports/statistics.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kAboveColor{193, 39, 45};
inline constexpr Rgb kBelowColor{0, 113, 188};
inline constexpr Rgb kWithinColor{0, 104, 55};
inline constexpr Rgb kMarkedBackground{200, 200, 200};

// ---- grids ----

struct GridColumn {
  std::string title;
  int align = 0;  // the alignment flag of the column specification (0 when not given)
  int width = 0;
  bool operator==(const GridColumn&) const = default;
};
// "Title,align,width;…" (a two-field entry is "Title,width").
std::vector<GridColumn> ParseColumnSpec(const std::string& spec);

// Column titles of the log book (named meals, or Meal1..Meal3 with mealEnable), the data
// list and the clinic's multiple download list, for the grids, the PDF and the printed pages.
const std::vector<TextId>& LogBookTitles(bool mealEnable);
const std::vector<TextId>& DataListTitles();
const std::vector<TextId>& MultipleDownloadTitles();
// The multiple download list's column specification with its titles in the user's language:
// ",0;Medical Record No.,1,200;Patient Name,200;Glucose,1,200;Testing Date,1,375;" in English.
std::string MultipleDownloadColumnSpec();

struct GridCell {
  std::string text;
  std::optional<Rgb> color;       // none: the grid's default text colour
  std::optional<Rgb> background;  // none: no background
  bool operator==(const GridCell&) const = default;
};
using GridRow = std::vector<GridCell>;

struct GridSet {
  std::string columnSpec;
  std::vector<GridColumn> columns;
  std::vector<GridRow> rows;  // top to bottom, each with one cell per column
  // For the first readingRows rows: the index into ReadingTable::entries of the row's
  // reading (the detail editor opens it). Rows after them carry no reading.
  std::vector<std::size_t> readingIndex;
  std::size_t readingRows = 0;
};

// Nine columns: date, slots 1..7, insulin. Reading rows newest first, then an empty row
// and the rows "Average", "In target", "# Result".
struct LogBookSet : GridSet {};

// Cells of one row of the clinic download's list: empty, medical record number, patient
// name, glucose, testing date.
using MultipleDownloadRow = std::array<std::string, 5>;
// Eight columns: Date, Time, Glucose, Insulin, OralMed, Exercise, Food, Comments.
struct DataListSet : GridSet {};

LogBookSet BuildLogBookSet(const CPatientProfile& patient, const ReadingTable& readings,
                           const ReportPeriod& period, const ReportTargets& targets);
DataListSet BuildDataListSet(const CPatientProfile& patient, const ReadingTable& readings,
                             const ReportPeriod& period, const ReportTargets& targets);

// ---- charts ----

struct AxisLabel {
  double x = 0;
  std::string text;
  bool operator==(const AxisLabel&) const = default;
};
struct ChartPoint {
  double x = 0;
  double y = 0;  // in the patient's unit
  bool operator==(const ChartPoint&) const = default;
};

// What every value chart shares: title, value axis and the shaded target band.
struct ChartFrame {
  std::string title;
  std::string valueCaption;  // "Glucose (mg/dL)" / "Glucose (mmol/L)"
  double xMin = 0;
  double xMax = 0;
  double yMin = 0;
  double yMax = 600;  // 600 (mg/dL) or 35 (mmol/L)
  // Shaded from the larger high threshold down to the smaller low one, in the unit
  // (whole mmol/L, truncated).
  double bandLow = 0;
  double bandHigh = 0;
};

// 15 date labels at x = 0..14 and one point per valid reading; x from −0.5 to 14.5.
struct TrendSet {
  ChartFrame frame;
  std::vector<AxisLabel> labels;
  std::vector<ChartPoint> points;  // oldest first
};
// 12 labels at x = 0..11 ("05:00" …); x from 0 to 12, 05:00 at 0.
struct StandardDaySet {
  ChartFrame frame;
  std::vector<AxisLabel> labels;
  std::vector<ChartPoint> points;  // oldest first
};

TrendSet BuildTrendSet(const CPatientProfile& patient, const ReadingTable& readings,
                       const ReportPeriod& period, const ReportTargets& targets,
                       const Date& today = Today());
StandardDaySet BuildStandardDaySet(const CPatientProfile& patient, const ReadingTable& readings,
                                   const ReportPeriod& period, const ReportTargets& targets);

// One bar per category that has readings; missing categories have no bar.
struct AverageBar {
  bool present = false;
  double value = 0;   // the average in the unit, unrounded
  std::string label;  // "%d" of the average truncated (whole mmol/L in mmol/L)
};
struct AverageSeries {
  std::string name;              // "Before Meal Average" / "After Meal Average"
  std::vector<AverageBar> bars;  // one per category
};
// Categories are meals (3) for the day average, weekdays Sun..Sat (7) for the week average.
struct AverageChartSet {
  ChartFrame frame;  // x from −0.5 to categories − 0.5
  std::vector<std::string> categories;
  AverageSeries before;
  AverageSeries after;
};
struct DayAverageSet : AverageChartSet {};
struct WeekAverageSet : AverageChartSet {};

DayAverageSet BuildDayAverageSet(const CPatientProfile& patient, const ReadingTable& readings,
                                 const ReportPeriod& period, const ReportTargets& targets);
WeekAverageSet BuildWeekAverageSet(const CPatientProfile& patient, const ReadingTable& readings,
                                   const ReportPeriod& period, const ReportTargets& targets);

inline constexpr int kHistogramBars = 13;
// Bars by mg/dL value whatever the unit, "HI" and "LO" readings included.
struct HistogramSet {
  std::string title;
  std::string countCaption = "Number";                // the count axis (language table, "Label")
  std::string seriesCaption = "Numbers";              // the bar series (language table, "Label")
  std::array<std::string, kHistogramBars> barLabels;  // "<68" … or "<3.7" …
  std::array<int, kHistogramBars> counts{};
  std::array<std::string, kHistogramBars> countLabels;  // "%d" of each count
  int axisTop = 10;  // count axis 0..axisTop in steps of axisStep
  int axisStep = 1;
};
// Bar of one mg/dL value (0..12).
int HistogramBarOf(int mgdl);
HistogramSet BuildHistogramSet(const CPatientProfile& patient, const ReadingTable& readings,
                               const ReportPeriod& period, const ReportTargets& targets);

inline constexpr int kPieCount = 8;
// Counts are kept in the order Above, Within, Below, Hypoglycemic (Band's values).
struct PieSlice {
  Band band = Band::Above;
  int count = 0;
  double startAngle = 0;  // degrees, slices laid out one after the other from 0
  double sweep = 0;       // count × 360 ÷ total
};
struct Pie {
  std::string title;  // "Overall Totals", "Before Breakfast" …, "Night"
  std::array<int, kBandCount> counts{};
  int total = 0;                                    // 0: drawn as an empty white disc
  std::array<double, kBandCount> percent{};         // count × 100 ÷ total
  std::array<std::string, kBandCount> percentText;  // "%2.1f%%"; "" for a count of 0
  std::vector<PieSlice> slices;  // Hypoglycemic, Within, Below, Above; zero counts left out
};
struct PieSet {
  std::string title;                              // first title line
  std::string secondTitle;                        // "Patient Name :%s(%s)"
  std::array<std::string, kBandCount> bandNames;  // legend: "Above Target" …
  // 0 overall, then slots 1, 2, 7, 3, 4, 5, 6.
  std::array<Pie, kPieCount> pies;
};
// Slot shown by pie 1..7 (pie 0 is the overall totals): 1, 2, 7, 3, 4, 5, 6.
int SlotOfPie(int pie);
PieSet BuildPieSet(const CPatientProfile& patient, const ReadingTable& readings,
                   const ReportPeriod& period, const ReportTargets& targets);

// Indices of the table's readings inside the period, oldest first (stable by date and time).
std::vector<std::size_t> ReadingsInPeriod(const ReadingTable& readings, const ReportPeriod& period);

}  // namespace meridane
