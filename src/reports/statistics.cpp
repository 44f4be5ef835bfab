#include "reports/statistics.h"

#include <cmath>

#include "base/text_lookup.h"
#include "reports/text_format.h"

namespace meridane {

ReportTargets LoadReportTargets(const CPatientProfile& patient) {
  const HealthRecord& h = patient.healthRecord;
  ReportTargets t;
  t.mmol = h.glucoUnit == 0;
  t.unitCaption = t.mmol ? LookupText("Report", "UnitMmol", "Unit of Measurement : mmol/L")
                         : LookupText("Report", "UnitMgdl", "Unit of Measurement : mg/dL");
  t.axisTop = t.mmol ? 35 : 600;
  t.hypoglycemic = t.mmol ? static_cast<int>(h.hypoglycemic * kMgdlPerMmol) : h.hypoglycemic;

  const double stored[4] = {h.preMealHigh, h.preMealLow, h.postMealHigh, h.postMealLow};
  bool allZero = true;
  bool anyAbove35 = false;
  for (double v : stored) {
    allZero = allZero && v == 0;
    anyAbove35 = anyAbove35 || v > 35.0;
  }
  if (allZero) return t;
  // A mmol/L record holding mg/dL figures would give absurd targets once multiplied.
  if (t.mmol && anyAbove35) return t;
  const double scale = t.mmol ? kMgdlPerMmol : 1.0;
  t.preMealHigh = static_cast<int>(stored[0] * scale);
  t.preMealLow = static_cast<int>(stored[1] * scale);
  t.postMealHigh = static_cast<int>(stored[2] * scale);
  t.postMealLow = static_cast<int>(stored[3] * scale);
  return t;
}

GlucoseRange RangeOfSlot(const ReportTargets& targets, int slot) {
  if (slot == 1 || slot == 3 || slot == 5) return {targets.preMealLow, targets.preMealHigh};
  return {targets.postMealLow, targets.postMealHigh};
}

const char* BandName(Band band) {
  switch (band) {
    case Band::Above:
      return "Above Target";
    case Band::Within:
      return "Within Target";
    case Band::Below:
      return "Below Target";
    case Band::Hypoglycemic:
      return "Hypoglycemic";
  }
  return "";
}

std::string BandCaption(Band band) {
  switch (band) {
    case Band::Above: return LookupText("Report", "BandAbove", "Above Target");
    case Band::Within: return LookupText("Report", "BandWithin", "Within Target");
    case Band::Below: return LookupText("Report", "BandBelow", "Below Target");
    case Band::Hypoglycemic: return LookupText("Report", "BandHypo", "Hypoglycemic");
  }
  return "";
}

Band BandOf(int value, int low, int high, int hypo) {
  if (value > high) return Band::Above;
  if (value >= low) return Band::Within;
  if (hypo == 0 || value >= hypo) return Band::Below;
  return Band::Hypoglycemic;
}

bool InTarget(int value, int low, int high) { return low < value && value < high; }

int AverageOf(long long sum, long long count) {
  return count == 0 ? 0 : static_cast<int>(sum / count);
}

double StandardDeviationOf(const std::vector<int>& values) {
  if (values.empty()) return 0;
  long long sum = 0;
  for (int v : values) sum += v;
  const long long mean = AverageOf(sum, static_cast<long long>(values.size()));
  float squares = 0;
  for (int v : values) {
    const long long d = v - mean;
    squares += static_cast<float>(d * d);
  }
  return std::sqrt(static_cast<double>(squares) / static_cast<double>(values.size()));
}

std::string FormatGlucose(int mgdl, bool mmol) {
  return mmol ? Printf("%2.1f", mgdl / kMgdlPerMmol) : std::to_string(mgdl);
}

std::string GlucoseText(int mgdl, bool mmol) {
  if (mgdl > kGlucoseMax) return "HI";
  if (mgdl < kGlucoseMin) return "LO";
  return FormatGlucose(mgdl, mmol);
}

}  // namespace meridane
