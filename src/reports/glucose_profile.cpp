#include "reports/glucose_profile.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "reports/summary.h"
#include "reports/text_format.h"

namespace meridane {

namespace {

std::string InUnitText(double mgdl, bool mmol) {
  return mmol ? Printf("%.1f", mgdl / kMgdlPerMmol) : Printf("%.0f", mgdl);
}

// "00:00" … "24:00" and, by the patient's clock, "12am" … "12am".
std::string ClockText(int hour, bool timeUnit24) {
  if (timeUnit24) return Printf("%02d:00", hour);
  const int h12 = hour % 12 == 0 ? 12 : hour % 12;
  return Printf("%d%s", h12, hour % 24 < 12 ? "am" : "pm");
}

const char* RangeLabel(int range, bool mmol) {
  static const char* const kMgdl[] = {"<54", "54-69", "70-180", "181-250", ">250"};
  static const char* const kMmol[] = {"<3.0", "3.0-3.8", "3.9-10.0", "10.1-13.9", ">13.9"};
  return mmol ? kMmol[range] : kMgdl[range];
}

struct TargetRule {
  TextId mgdl;
  TextId mmol;
  int first, last;
  bool above;
  double limit;
};
constexpr TargetRule kTargets[] = {
    {TextId{"GlucoseProfile", "TargetIn", "70-180: more than 70%"},
     TextId{"GlucoseProfile", "TargetIn", "3.9-10.0: more than 70%"},
     2, 2, true, 70},
    {TextId{"GlucoseProfile", "TargetBelow70", "below 70: less than 4%"},
     TextId{"GlucoseProfile", "TargetBelow70", "below 3.9: less than 4%"},
     0, 1, false, 4},
    {TextId{"GlucoseProfile", "TargetBelow54", "below 54: less than 1%"},
     TextId{"GlucoseProfile", "TargetBelow54", "below 3.0: less than 1%"},
     0, 0, false, 1},
    {TextId{"GlucoseProfile", "TargetAbove180", "above 180: less than 25%"},
     TextId{"GlucoseProfile", "TargetAbove180", "above 10.0: less than 25%"},
     3, 4, false, 25},
    {TextId{"GlucoseProfile", "TargetAbove250", "above 250: less than 5%"},
     TextId{"GlucoseProfile", "TargetAbove250", "above 13.9: less than 5%"},
     4, 4, false, 5},
};

ProfileFigure Absent(const TextId& caption, std::string need) {
  ProfileFigure f;
  f.caption = LookupText(caption);  // dynamic text
  f.text = kAbsentText;
  f.need = std::move(need);
  return f;
}

ProfileFigure Present(const TextId& caption, double value, std::string text) {
  ProfileFigure f;
  f.caption = LookupText(caption);  // dynamic text
  f.value = value;
  f.text = std::move(text);
  return f;
}

std::string NeedValid(int needed, int has) {
  const std::string count = std::to_string(has);
  return needed == 1
             ? FillText(LookupText("GlucoseProfile", "NeedOne",
                                   "needs 1 reading between LO and HI (has {count})"),
                        {{"count", count}})
             : FillText(LookupText("GlucoseProfile", "NeedValid",
                                   "needs {needed} readings between LO and HI (has {count})"),
                        {{"needed", std::to_string(needed)}, {"count", count}});
}

}  // namespace

int ConsensusRangeOf(int v) { return v < 54 ? 0 : v < 70 ? 1 : v <= 180 ? 2 : v <= 250 ? 3 : 4; }

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const double position = (sorted.size() - 1) * p;
  const std::size_t below = static_cast<std::size_t>(std::floor(position));
  if (below + 1 >= sorted.size()) return sorted.back();
  return sorted[below] + (position - below) * (sorted[below + 1] - sorted[below]);
}

RiskOf RiskOfGlucose(double mgdl) {
  const double f = 1.509 * (std::pow(std::log(mgdl), 1.084) - 5.381);
  const double r = 10 * f * f;
  return f < 0 ? RiskOf{r, 0} : RiskOf{0, f > 0 ? r : 0};
}

GlucoseProfileReport BuildGlucoseProfile(const ReadingTable& table, const ReportPeriod& period,
                                         bool mmol, bool timeUnit24) {
  GlucoseProfileReport g;
  g.mmol = mmol;
  g.title = LookupText("GlucoseProfile", "Title", "Glucose Profile");
  g.unit = mmol ? "mmol/L" : "mg/dL";
  g.rangesCaption = LookupText("GlucoseProfile", "Ranges", "Readings in ranges (of readings, not of time)");
  g.limitsNote =
      mmol ? LookupText("GlucoseProfile", "Limits",
                        "HI and LO readings count in the outer ranges and enter percentiles and "
                        "risk as 33.3 and 1.1 mmol/L; mean, SD and CV leave them out.")
           : LookupText("GlucoseProfile", "Limits",
                        "HI and LO readings count in the outer ranges and enter percentiles and "
                        "risk as 600 and 20 mg/dL; mean, SD and CV leave them out.");
  g.days = std::max(0L, DaysFromCivil(period.last) - DaysFromCivil(period.first) + 1);

  std::array<std::vector<double>, kProfileBins> binValues;
  std::vector<int> valid;
  double lowSum = 0, highSum = 0;
  // Per day: readings, the largest low and high risk.
  struct DayRisk {
    int count = 0;
    double low = 0, high = 0;
  };
  std::map<long, DayRisk> days;
  for (const GlucoReading& r : table.entries) {
    if (!period.Contains(r.at)) continue;
    ++g.readings;
    if (r.gluco > kGlucoseMax) ++g.hiCount;
    if (r.gluco < kGlucoseMin) ++g.loCount;
    ++g.ranges[ConsensusRangeOf(r.gluco)].count;
    if (IsValidGlucose(r.gluco)) valid.push_back(r.gluco);
    const double clamped = ClampedGlucose(r.gluco);
    binValues[std::clamp(r.at.hour, 0, 23) / 3].push_back(clamped);
    const RiskOf risk = RiskOfGlucose(clamped);
    lowSum += risk.low;
    highSum += risk.high;
    DayRisk& day = days[DaysFromCivil(r.at.date())];
    ++day.count;
    day.low = std::max(day.low, risk.low);
    day.high = std::max(day.high, risk.high);
  }
  g.daysWithReadings = static_cast<int>(days.size());
  g.readingsPerDay = g.days > 0 ? static_cast<double>(g.readings) / g.days : 0;

  for (int i = 0; i < kConsensusRanges; ++i) {
    ProfileRange& range = g.ranges[i];
    range.label = RangeLabel(i, mmol);
    if (g.readings > 0) range.percent = range.count * 100.0 / g.readings;
    range.percentText = Printf("%.1f%%", range.percent);
  }
  for (const TargetRule& rule : kTargets) {
    ProfileTarget t;
    t.text = LookupText(mmol ? rule.mmol : rule.mgdl);  // dynamic text
    t.first = rule.first;
    t.last = rule.last;
    t.above = rule.above;
    t.limit = rule.limit;
    for (int i = rule.first; i <= rule.last; ++i) t.percent += g.ranges[i].percent;
    t.met = g.readings > 0 && (rule.above ? t.percent > rule.limit : t.percent < rule.limit);
    t.percentText = g.readings > 0 ? Printf("%.1f%%", t.percent) : kAbsentText;
    g.targets.push_back(t);
  }

  for (int b = 0; b < kProfileBins; ++b) {
    ProfileBin& bin = g.bins[b];
    std::vector<double>& v = binValues[b];
    bin.start = ClockText(b * 3, true);
    bin.end = ClockText(b * 3 + 3, true);
    bin.label = ClockText(b * 3, timeUnit24) + "-" + ClockText(b * 3 + 3, timeUnit24);
    bin.count = static_cast<int>(v.size());
    bin.texts.fill(kAbsentText);
    if (bin.count < kBinMinimum) continue;
    std::sort(v.begin(), v.end());
    std::array<double, kProfilePercentiles> p{};
    for (int k = 0; k < kProfilePercentiles; ++k) {
      p[k] = Percentile(v, kPercentileLevels[k]);
      bin.texts[k] = InUnitText(p[k], mmol);
    }
    bin.percentiles = p;
  }

  const int n = static_cast<int>(valid.size());
  if (n >= 1) {
    double sum = 0;
    for (int v : valid) sum += v;
    const double mean = sum / n;
    g.mean = Present(TextId{"GlucoseProfile", "Mean", "Mean"}, mean, InUnitText(mean, mmol) + " " + g.unit);
    if (n >= 2) {
      double squares = 0;
      for (int v : valid) squares += (v - mean) * (v - mean);
      const double sd = std::sqrt(squares / (n - 1));
      g.sd = Present(TextId{"GlucoseProfile", "SD", "SD"}, sd, (mmol ? Printf("%.1f", sd / kMgdlPerMmol) : Printf("%.1f", sd)) +
                                         " " + g.unit);
      const double cv = sd / mean * 100;
      g.cv = Present(TextId{"GlucoseProfile", "CV", "CV"}, cv, Printf("%.1f%%", cv));
      g.cv.category = cv <= 36 ? LookupText("GlucoseProfile", "CVStable", "within target") : LookupText("GlucoseProfile", "CVHigh", "above target");
    }
  }
  if (n < 1) g.mean = Absent(TextId{"GlucoseProfile", "Mean", "Mean"}, NeedValid(1, n));
  if (n < 2) {
    g.sd = Absent(TextId{"GlucoseProfile", "SD", "SD"}, NeedValid(2, n));
    g.cv = Absent(TextId{"GlucoseProfile", "CV", "CV"}, NeedValid(2, n));
  }
  g.cv.target = LookupText("GlucoseProfile", "CVTarget", "target 36% or less");

  g.perDay = Present(TextId{"GlucoseProfile", "PerDay", "Readings per day"}, g.readingsPerDay,
                     Printf("%.1f", g.readingsPerDay));
  g.withReadings = Present(TextId{"GlucoseProfile", "DaysWith", "Days with readings"}, g.daysWithReadings,
                           FillText(LookupText("GlucoseProfile", "DaysOf", "{with} of {days}"),
                                    {{"with", std::to_string(g.daysWithReadings)},
                                     {"days", std::to_string(g.days)}}));

  if (g.readings >= kRiskMinimum) {
    const double lbgi = lowSum / g.readings, hbgi = highSum / g.readings;
    g.lbgi = Present(TextId{"GlucoseProfile", "LBGI", "LBGI"}, lbgi, Printf("%.1f", lbgi));
    g.lbgi.category = lbgi <= 1.1 ? LookupText("GlucoseProfile", "Minimal", "minimal risk")
                      : lbgi <= 2.5 ? LookupText("GlucoseProfile", "Low", "low risk")
                      : lbgi <= 5   ? LookupText("GlucoseProfile", "Moderate", "moderate risk")
                                    : LookupText("GlucoseProfile", "High", "high risk");
    g.hbgi = Present(TextId{"GlucoseProfile", "HBGI", "HBGI"}, hbgi, Printf("%.1f", hbgi));
    g.hbgi.category = hbgi <= 4.5 ? LookupText("GlucoseProfile", "Low", "low risk")
                      : hbgi <= 9 ? LookupText("GlucoseProfile", "Moderate", "moderate risk")
                                  : LookupText("GlucoseProfile", "High", "high risk");
  } else {
    const std::string need =
        FillText(LookupText("GlucoseProfile", "NeedRisk", "needs {needed} readings (has {count})"),
                 {{"needed", std::to_string(kRiskMinimum)}, {"count", std::to_string(g.readings)}});
    g.lbgi = Absent(TextId{"GlucoseProfile", "LBGI", "LBGI"}, need);
    g.hbgi = Absent(TextId{"GlucoseProfile", "HBGI", "HBGI"}, need);
  }

  int adrrDays = 0;
  double adrrSum = 0;
  for (const auto& [day, risk] : days) {
    if (risk.count < kAdrrDayReadings) continue;
    ++adrrDays;
    adrrSum += risk.low + risk.high;
  }
  if (adrrDays >= kAdrrDaysMinimum) {
    const double adrr = adrrSum / adrrDays;
    g.adrr = Present(TextId{"GlucoseProfile", "ADRR", "ADRR"}, adrr, Printf("%.1f", adrr));
    g.adrr.category = adrr < 20 ? LookupText("GlucoseProfile", "Low", "low risk")
                      : adrr <= 40 ? LookupText("GlucoseProfile", "Moderate", "moderate risk")
                                   : LookupText("GlucoseProfile", "High", "high risk");
  } else {
    g.adrr = Absent(TextId{"GlucoseProfile", "ADRR", "ADRR"},
                    FillText(LookupText("GlucoseProfile", "NeedAdrr",
                                        "needs {needed} days with {readings} or more readings "
                                        "(has {count})"),
                             {{"needed", std::to_string(kAdrrDaysMinimum)},
                              {"readings", std::to_string(kAdrrDayReadings)},
                              {"count", std::to_string(adrrDays)}}));
  }
  return g;
}

}  // namespace meridane
