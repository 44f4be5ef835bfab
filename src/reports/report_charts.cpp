// The chart reports: trend, standard day, day and week averages, histogram and pie chart.
#include <algorithm>
#include <array>
#include <cmath>

#include "base/text_lookup.h"
#include "reports/classification.h"
#include "reports/report_sets.h"
#include "reports/text_format.h"

namespace meridane {

namespace {

ChartFrame MakeFrame(int type, const CPatientProfile& patient, const ReportPeriod& period,
                     const ReportTargets& targets, double xMin, double xMax) {
  ChartFrame f;
  f.title = ReportTitle(type, period, patient);
  f.valueCaption = ValueAxisCaption(targets.mmol);
  f.xMin = xMin;
  f.xMax = xMax;
  f.yMax = targets.axisTop;
  const int high = std::max(targets.preMealHigh, targets.postMealHigh);
  const int low = std::min(targets.preMealLow, targets.postMealLow);
  f.bandHigh = targets.mmol ? static_cast<int>(high / kMgdlPerMmol) : high;
  f.bandLow = targets.mmol ? static_cast<int>(low / kMgdlPerMmol) : low;
  return f;
}

double DaySerial(const DateTime& at) {
  return static_cast<double>(DaysFromCivil(at.date())) + (at.hour * 60 + at.minute) / 1440.0;
}

std::string ShortDate(long serial) {
  const Date d = CivilFromDays(serial);
  return Printf("%02d/%02d/%02d", d.month, d.day, d.year - 2000);
}

// Sums and counts per category, as doubles, and the bars they give.
struct Accumulator {
  std::vector<double> sum, count;
  explicit Accumulator(std::size_t n) : sum(n, 0.0), count(n, 0.0) {}
  void Add(std::size_t i, int value) {
    sum[i] += value;
    count[i] += 1;
  }
  AverageBar Bar(std::size_t i, bool mmol) const {
    AverageBar bar;
    if (count[i] == 0) return bar;
    bar.present = true;
    bar.value = InUnit(sum[i] / count[i], mmol);
    bar.label = Printf("%d", static_cast<int>(bar.value));
    return bar;
  }
};

void NameSeries(AverageChartSet& set) {
  set.before.name = LookupText("Report", "BeforeMealAverage", "Before Meal Average");
  set.after.name = LookupText("Report", "AfterMealAverage", "After Meal Average");
}

}  // namespace

TrendSet BuildTrendSet(const CPatientProfile& patient, const ReadingTable& readings,
                       const ReportPeriod& period, const ReportTargets& targets,
                       const Date& today) {
  TrendSet set;
  set.frame = MakeFrame(kReportTrend, patient, period, targets, -0.5, 14.5);
  if (readings.entries.empty()) {
    const long first = DaysFromCivil(today) - 7;
    for (int k = 0; k < 15; ++k) set.labels.push_back({double(k), ShortDate(first + k)});
    return set;
  }
  long start = DaysFromCivil(period.first);
  const long end = DaysFromCivil(period.last);
  if (start == end) start -= 5;
  // A reversed period never reaches here through PickPeriod; keep the axis sane anyway.
  const long step = std::max<long>(1, (end - start + 12) / 13);
  std::array<long, 15> day{};
  for (int k = 0; k < 15; ++k) {
    day[k] = static_cast<long>(std::floor(start + k * step - step * 0.5));
    set.labels.push_back({double(k), ShortDate(day[k])});
  }
  const double span = static_cast<double>(day[14] - day[0]);
  for (std::size_t i : ReadingsInPeriod(readings, period)) {
    const GlucoReading& r = readings.entries[i];
    if (!IsValidGlucose(r.gluco)) continue;
    set.points.push_back({(DaySerial(r.at) - day[0]) * 14 / span, InUnit(r.gluco, targets.mmol)});
  }
  return set;
}

StandardDaySet BuildStandardDaySet(const CPatientProfile& patient, const ReadingTable& readings,
                                   const ReportPeriod& period, const ReportTargets& targets) {
  static const std::array<const char*, 12> k24{"05:00", "07:00", "09:00", "11:00",
                                               "13:00", "15:00", "17:00", "19:00",
                                               "21:00", "23:00", "01:00", "03:00"};
  static const std::array<const char*, 12> k12{"05:00 am", "07:00 am", "09:00 am", "11:00 am",
                                               "01:00 pm", "03:00 pm", "05:00 pm", "07:00 pm",
                                               "09:00 pm", "11:00 pm", "01:00 am", "03:00 am"};
  StandardDaySet set;
  set.frame = MakeFrame(kReportStandardDay, patient, period, targets, 0, 12);
  for (int k = 0; k < 12; ++k)
    set.labels.push_back({double(k), patient.timeUnit ? k24[k] : k12[k]});
  for (std::size_t i : ReadingsInPeriod(readings, period)) {
    const GlucoReading& r = readings.entries[i];
    if (!IsValidGlucose(r.gluco)) continue;
    const int h = r.at.hour <= 4 ? r.at.hour + 24 : r.at.hour;
    set.points.push_back({(h * 60 + r.at.minute - 300) / 120.0, InUnit(r.gluco, targets.mmol)});
  }
  return set;
}

DayAverageSet BuildDayAverageSet(const CPatientProfile& patient, const ReadingTable& readings,
                                 const ReportPeriod& period, const ReportTargets& targets) {
  DayAverageSet set;
  set.frame = MakeFrame(kReportDayAverage, patient, period, targets, -0.5, 2.5);
  NameSeries(set);
  Accumulator bySlot(kSlotCount);
  for (const GlucoReading& r : readings.entries)
    if (period.Contains(r.at) && IsValidGlucose(r.gluco) && r.slot >= 0 && r.slot <= 6)
      bySlot.Add(static_cast<std::size_t>(r.slot), r.gluco);
  for (int meal = 0; meal < 3; ++meal) {
    set.categories.push_back(MealCaption(meal, patient.mealEnable));
    set.before.bars.push_back(bySlot.Bar(2 * meal + 1, targets.mmol));
    set.after.bars.push_back(bySlot.Bar(2 * meal + 2, targets.mmol));
  }
  return set;
}

WeekAverageSet BuildWeekAverageSet(const CPatientProfile& patient, const ReadingTable& readings,
                                   const ReportPeriod& period, const ReportTargets& targets) {
  static const std::array<TextId, 7> kDays{
      TextId{"Label", "Sun", "Sun"}, TextId{"Label", "Mon", "Mon"}, TextId{"Label", "Tue", "Tue"},
      TextId{"Label", "Wed", "Wed"}, TextId{"Label", "Thu", "Thu"}, TextId{"Label", "Fri", "Fri"},
      TextId{"Label", "Sat", "Sat"}};
  WeekAverageSet set;
  set.frame = MakeFrame(kReportWeekAverage, patient, period, targets, -0.5, 6.5);
  NameSeries(set);
  Accumulator before(7), after(7);
  for (const GlucoReading& r : readings.entries) {
    if (!period.Contains(r.at) || !IsValidGlucose(r.gluco)) continue;
    const auto day = static_cast<std::size_t>(DayOfWeek(r.at.date()));
    (IsPreMealSlot(r.slot) ? before : after).Add(day, r.gluco);
  }
  for (std::size_t d = 0; d < 7; ++d) {
    set.categories.push_back(LookupText(kDays[d]));  // dynamic text
    set.before.bars.push_back(before.Bar(d, targets.mmol));
    set.after.bars.push_back(after.Bar(d, targets.mmol));
  }
  return set;
}

int HistogramBarOf(int mgdl) {
  // Lowest value of bars 1..12.
  static const std::array<int, 12> kFloors{68,  100, 131, 162, 194, 225,
                                           257, 288, 318, 349, 380, 412};
  return static_cast<int>(std::upper_bound(kFloors.begin(), kFloors.end(), mgdl) - kFloors.begin());
}

HistogramSet BuildHistogramSet(const CPatientProfile& patient, const ReadingTable& readings,
                               const ReportPeriod& period, const ReportTargets& targets) {
  static const std::array<const char*, kHistogramBars> kMgdl{
      "<68",     "68-99",   "100-130", "131-161", "162-193", "194-224", "225-256",
      "257-287", "288-317", "318-348", "349-379", "380-411", ">=412"};
  static const std::array<const char*, kHistogramBars> kMmol{
      "<3.7",      "3.7-5.5",   "5.6-7.3",   "7.4-8.9",   "9.0-10.7",  "10.8-12.4", "12.5-14.2",
      "14.3-15.9", "16.0-17.6", "17.7-19.3", "19.3-21.0", "21.1-22.8", ">=22.8"};
  HistogramSet set;
  set.title = ReportTitle(kReportHistogram, period, patient);
  set.countCaption = LookupText("Label", "Number", "Number");
  set.seriesCaption = LookupText("Label", "Numbers", "Numbers");
  for (const GlucoReading& r : readings.entries)
    if (period.Contains(r.at)) ++set.counts[HistogramBarOf(r.gluco)];
  int most = 0;
  for (int b = 0; b < kHistogramBars; ++b) {
    set.barLabels[b] = targets.mmol ? kMmol[b] : kMgdl[b];
    set.countLabels[b] = Printf("%d", set.counts[b]);
    most = std::max(most, set.counts[b]);
  }
  if (most >= 10) {
    set.axisStep = most / 10 + 1;
    set.axisTop = set.axisStep * 10;
  }
  return set;
}

int SlotOfPie(int pie) {
  static const std::array<int, kPieCount> kSlots{0, 1, 2, 7, 3, 4, 5, 6};
  return pie >= 0 && pie < kPieCount ? kSlots[pie] : 0;
}

PieSet BuildPieSet(const CPatientProfile& patient, const ReadingTable& readings,
                   const ReportPeriod& period, const ReportTargets& targets) {
  PieSet set;
  set.title = ReportTitle(kReportPie, period, patient);
  set.secondTitle = PieSecondTitle(patient);
  for (int b = 0; b < kBandCount; ++b) set.bandNames[b] = BandCaption(static_cast<Band>(b));

  std::array<std::array<int, kBandCount>, kSlotCount> bySlot{};
  for (const GlucoReading& r : readings.entries) {
    if (!period.Contains(r.at) || !IsValidGlucose(r.gluco)) continue;
    if (r.slot < 0 || r.slot >= kSlotCount) continue;
    const GlucoseRange range = RangeOfSlot(targets, r.slot);
    ++bySlot[r.slot]
            [static_cast<int>(BandOf(r.gluco, range.low, range.high, targets.hypoglycemic))];
  }
  static const std::array<Band, kBandCount> kSliceOrder{Band::Hypoglycemic, Band::Within,
                                                        Band::Below, Band::Above};
  for (int p = 0; p < kPieCount; ++p) {
    Pie& pie = set.pies[p];
    const int slot = SlotOfPie(p);
    if (p == 0) {
      pie.title = LookupText("Report", "PieOverall", "Overall Totals");
      for (const auto& counts : bySlot)
        for (int b = 0; b < kBandCount; ++b) pie.counts[b] += counts[b];
    } else {
      pie.title = SlotCaption(slot, patient.mealEnable);
      pie.counts = bySlot[slot];
    }
    for (int c : pie.counts) pie.total += c;
    if (pie.total == 0) continue;
    for (int b = 0; b < kBandCount; ++b) {
      if (pie.counts[b] == 0) continue;
      pie.percent[b] = pie.counts[b] * 100.0 / pie.total;
      pie.percentText[b] = Printf("%2.1f%%", pie.percent[b]);
    }
    double angle = 0;
    for (Band band : kSliceOrder) {
      const int count = pie.counts[static_cast<int>(band)];
      if (count == 0) continue;
      const double sweep = count * 360.0 / pie.total;
      pie.slices.push_back({band, count, angle, sweep});
      angle += sweep;
    }
  }
  return set;
}

}  // namespace meridane
