#pragma once
// The rules every report judges and summarises readings by: the valid range, the report
// thresholds, the four target bands, truncating averages, the standard deviation and the
// display of values in the patient's unit.
#include <string>
#include <vector>

#include "store/patient_profile.h"

namespace meridane {

inline constexpr int kGlucoseMin = 20;   // below: "LO"
inline constexpr int kGlucoseMax = 600;  // above: "HI"
inline bool IsValidGlucose(int mgdl) { return mgdl >= kGlucoseMin && mgdl <= kGlucoseMax; }

inline constexpr double kMgdlPerMmol = 18.0;

// The thresholds the reports of one patient use, all in mg/dL, and the unit they show.
struct ReportTargets {
  int preMealHigh = 130;
  int preMealLow = 70;
  int postMealHigh = 180;
  int postMealLow = 70;
  int hypoglycemic = 0;  // 0: the patient has no hypoglycemic threshold
  bool mmol = false;     // show values in mmol/L
  // "Unit of Measurement : mg/dL" / "Unit of Measurement : mmol/L"
  std::string unitCaption = "Unit of Measurement : mg/dL";
  double axisTop = 600;  // fixed value axis of the charts: 0..600 or 0..35

  bool operator==(const ReportTargets&) const = default;
};

// From the patient's health record: defaults 130/70/180/70 when no targets are stored,
// mmol/L targets × 18 (defaults when any is above 35.0, plainly mg/dL values).
ReportTargets LoadReportTargets(const CPatientProfile& patient);

struct GlucoseRange {
  int low = 0;
  int high = 0;
};
// Pre-meal range for slots 1, 3, 5; post-meal range for every other slot.
GlucoseRange RangeOfSlot(const ReportTargets& targets, int slot);

enum class Band { Above = 0, Within = 1, Below = 2, Hypoglycemic = 3 };
inline constexpr int kBandCount = 4;
// The same in the user's language, for reports.
std::string BandCaption(Band band);
// "Above Target", "Within Target", "Below Target", "Hypoglycemic"
const char* BandName(Band band);

// Band of a valid value; hypo 0 means none. A value at a bound is within.
Band BandOf(int value, int low, int high, int hypo);
// The log book's strict test: low < value < high.
bool InTarget(int value, int low, int high);
// Truncating integer average; 0 for count 0 (callers decide whether 0 shows).
int AverageOf(long long sum, long long count);
// Population SD around the truncated average, squares summed in single precision.
double StandardDeviationOf(const std::vector<int>& values);

// "%d" in mg/dL, "%2.1f" of value ÷ 18 in mmol/L.
std::string FormatGlucose(int mgdl, bool mmol);
// "HI" above 600, "LO" below 20, else FormatGlucose.
std::string GlucoseText(int mgdl, bool mmol);
// A value in the unit, unrounded (mg/dL as is, or ÷ 18.0).
inline double InUnit(double mgdl, bool mmol) { return mmol ? mgdl / kMgdlPerMmol : mgdl; }

}  // namespace meridane
