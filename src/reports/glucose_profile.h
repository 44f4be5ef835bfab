#pragma once
// The glucose profile of one patient's period, for clinicians: readings in the five
// consensus ranges, the day by percentiles in three-hour bins, variability and the risk
// indices made for meter readings. A figure is given only where the readings suffice;
// otherwise it is absent and says what it needs.
//
// HI and LO readings count in the outer ranges and enter percentiles and risk at the
// meter's limits (600 and 20 mg/dL); mean, SD and CV leave them out, as every other
// report does.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "reports/report_period.h"
#include "reports/statistics.h"
#include "store/gluco_reading.h"

namespace meridane {

inline constexpr int kConsensusRanges = 5;  // <54, 54-69, 70-180, 181-250, >250 mg/dL
inline constexpr int kProfileBins = 8;      // three hours of clock time each
inline constexpr int kProfilePercentiles = 5;
inline constexpr std::array<double, kProfilePercentiles> kPercentileLevels{0.10, 0.25, 0.50, 0.75,
                                                                           0.90};
inline constexpr int kBinMinimum = 5;        // fewer readings in a bin: count only
inline constexpr int kRiskMinimum = 30;      // readings for LBGI and HBGI
inline constexpr int kAdrrDaysMinimum = 14;  // days for ADRR…
inline constexpr int kAdrrDayReadings = 3;   // …each with at least this many readings

// Range of a stored mg/dL value (HI and LO fall in the outer ranges).
int ConsensusRangeOf(int mgdl);
// The value a reading enters percentiles and risk with: clamped to 20..600.
inline int ClampedGlucose(int mgdl) { return mgdl < kGlucoseMin ? kGlucoseMin : mgdl > kGlucoseMax ? kGlucoseMax : mgdl; }
// Linear interpolation between closest ranks at (n − 1)·p of the ascending values.
double Percentile(const std::vector<double>& sorted, double p);
// Kovatchev's symmetrised risk of one mg/dL value: f = 1.509·((ln BG)^1.084 − 5.381),
// r = 10·f²; negative f is low risk, positive f high risk.
struct RiskOf {
  double low = 0;
  double high = 0;
};
RiskOf RiskOfGlucose(double mgdl);

struct ProfileRange {
  std::string label;  // in the patient's unit: "<54" / "<3.0" …
  int count = 0;
  double percent = 0;  // of all readings of the period; 0 when none
  std::string percentText;  // "%.1f%%"
};

// A share the consensus sets a target for: ranges [first, last] together.
struct ProfileTarget {
  std::string text;  // "70-180: more than 70%"
  int first = 0, last = 0;
  bool above = false;  // the share should be above `limit` (else below it)
  double limit = 0;
  double percent = 0;
  bool met = false;
  std::string percentText;
};

struct ProfileBin {
  std::string start, end;  // "00:00" … "24:00", always 24-hour
  std::string label;       // as the patient's clock shows it: "00:00-03:00" or "12 am-3 am"
  int count = 0;
  // mg/dL, unrounded; absent when the bin has fewer than kBinMinimum readings.
  std::optional<std::array<double, kProfilePercentiles>> percentiles;
  std::array<std::string, kProfilePercentiles> texts;  // in the unit, or "- - -"
};

struct ProfileFigure {
  std::string caption;
  std::optional<double> value;  // mg/dL for glucose figures; absent when not enough readings
  std::string text;             // as shown: the value in the unit, or "- - -"
  std::string need;             // what an absent figure needs; "" when present
  std::string category;         // risk category ("" where none applies)
  std::string target;           // the target it is judged by ("" where none)
};

struct GlucoseProfileReport {
  bool mmol = false;
  std::string title;      // "Glucose Profile"
  std::string unit;       // "mg/dL" / "mmol/L"
  int days = 0;           // days of the period
  int readings = 0;       // all readings of the period, HI and LO included
  int hiCount = 0, loCount = 0;
  int daysWithReadings = 0;
  double readingsPerDay = 0;
  std::array<ProfileRange, kConsensusRanges> ranges;
  std::vector<ProfileTarget> targets;  // five consensus targets
  std::array<ProfileBin, kProfileBins> bins;
  ProfileFigure mean, sd, cv, lbgi, hbgi, adrr;
  ProfileFigure perDay, withReadings;  // texts only
  std::string rangesCaption;  // "Readings in ranges (of readings, not of time)"
  std::string limitsNote;     // the one line on HI and LO
  // The figures in the order the pages list them.
  std::vector<const ProfileFigure*> Figures() const {
    return {&mean, &sd, &cv, &perDay, &withReadings, &lbgi, &hbgi, &adrr};
  }
};

GlucoseProfileReport BuildGlucoseProfile(const ReadingTable& readings, const ReportPeriod& period,
                                         bool mmol, bool timeUnit24);

}  // namespace meridane
