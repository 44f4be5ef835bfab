#include "reports/summary.h"

#include <array>
#include <cmath>
#include <set>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "reports/glucose_profile.h"
#include "reports/report_sets.h"
#include "reports/text_format.h"

namespace meridane {

namespace {

std::string CountText(int n) { return Printf("%d", n); }

std::string AverageText(int average, bool mmol) {
  return mmol ? Printf("%2.1f", average / kMgdlPerMmol) : Printf("%d", average);
}

}  // namespace

int AgeOn(const Date& birth, const Date& today) {
  int age = today.year - birth.year;
  if (std::pair(today.month, today.day) < std::pair(birth.month, birth.day)) --age;
  return age;
}

std::vector<std::pair<std::string, std::string>> SummaryFields::Captioned() const {
  std::vector<std::pair<std::string, std::string>> out{
      {LookupText("Report", "FullName", "Full Name:"), fullName},
      {LookupText("Report", "IDNo", "ID No:"), IDNo},
      {LookupText("Report", "DateOfBirth", "Date of Birth:"), dateOfBirth},
      {LookupText("Report", "Result", "#Result:"), result},
      {LookupText("Report", "StandardDeviation", "Standard Deviation:"), standardDeviation},
      {LookupText("Report", "AboveTarget", "Above Target:"), aboveTarget},
      {LookupText("Report", "BelowTarget", "Below Target:"), belowTarget},
      {LookupText("Report", "WithinTarget", "Within Target:"), withinTarget},
      {LookupText("Report", "Hypoglycemic", "Hypoglycemic:"), hypoglycemic},
      {LookupText("Report", "Average", "Average:"), average},
  };
  for (std::size_t i = 0; i < dayAverage.size(); ++i)
    out.emplace_back(i == 0 ? LookupText("Report", "DayAverage", "Day Average:") : "",
                     dayAverage[i]);
  out.emplace_back(LookupText("Report", "HbA1c", "HbA1c:"), hbA1c);
  out.emplace_back(LookupText("Report", "BloodPressure", "Blood Pressure:"), bloodPressure);
  out.emplace_back(LookupText("Report", "Ketnotes", "Ketnotes:"), ketnotes);
  out.emplace_back(LookupText("Report", "Cholesterol", "Cholesterol:"), "");
  out.emplace_back(LookupText("Report", "Total", "Total:"), cholesterol);
  out.emplace_back(LookupText("Report", "Ldl", "LDL:"), LDL);
  out.emplace_back(LookupText("Report", "Hdl", "HDL:"), HDL);
  return out;
}

SummaryFields BuildSummaryChecks(const CPatientProfile& patient, const ReadingTable& readings,
                                 const ReportPeriod& period, const ReportTargets& targets,
                                 const Date& today) {
  SummaryFields f;
  f.fullName = patient.fullName;
  f.IDNo = patient.IDNo;
  const std::string birth = Printf("%02d / %02d / %04d", patient.birth.month, patient.birth.day,
                                   patient.birth.year);
  const std::string age = std::to_string(AgeOn(patient.birth, today));
  f.dateOfBirth = FillText(LookupText("Report", "BirthAge", "{date}, {age} years old"),
                           {{"date", birth}, {"age", age}});
  f.dateOfBirthPdf = FillText(LookupText("Report", "BirthAgePdf", "{date},  {age} years old"),
                              {{"date", birth}, {"age", age}});

  if (!readings.entries.empty()) {
    std::vector<int> valid;
    std::array<int, kBandCount> bands{};
    long long sum = 0;
    for (const GlucoReading& r : readings.entries) {
      if (!period.Contains(r.at) || !IsValidGlucose(r.gluco)) continue;
      valid.push_back(r.gluco);
      sum += r.gluco;
      // Every reading is judged by the pre-meal range here, whatever its slot.
      ++bands[static_cast<int>(
          BandOf(r.gluco, targets.preMealLow, targets.preMealHigh, targets.hypoglycemic))];
    }
    const int n = static_cast<int>(valid.size());
    f.result = CountText(n);
    const double sd = StandardDeviationOf(valid);
    f.standardDeviation = Printf("%.1f", targets.mmol ? sd / kMgdlPerMmol : sd);
    f.aboveTarget = CountText(bands[static_cast<int>(Band::Above)]);
    f.belowTarget = CountText(bands[static_cast<int>(Band::Below)]);
    f.withinTarget = CountText(bands[static_cast<int>(Band::Within)]);
    f.hypoglycemic = CountText(bands[static_cast<int>(Band::Hypoglycemic)]);
    f.average = AverageText(AverageOf(sum, n), targets.mmol);

    const Date last = NewestReadingDay(readings).value_or(today);
    for (std::size_t i = 0; i < kDayAverageSpans.size(); ++i) {
      const ReportPeriod span{AddDays(last, -kDayAverageSpans[i]), last};
      long long s = 0, c = 0;
      for (const GlucoReading& r : readings.entries)
        if (span.Contains(r.at) && IsValidGlucose(r.gluco)) {
          s += r.gluco;
          ++c;
        }
      f.dayAverageScreen[i] = AverageText(AverageOf(s, c), targets.mmol);
      f.dayAverage[i] = FillText(LookupText("Report", "DaysSpan", "{average}/{days} days"),
                                 {{"average", f.dayAverageScreen[i]},
                                  {"days", std::to_string(kDayAverageSpans[i])}});
    }
  }

  if (patient.healthRecordEnable) {
    static const std::array<TextId, 5> kKetnotes{
        TextId{"Report", "KetNegative", "Negative"}, TextId{"Report", "KetTrace", "Trace"},
        TextId{"Report", "KetSmall", "Small"}, TextId{"Report", "KetModerate", "Moderate"},
        TextId{"Report", "KetLarge", "Large"}};
    const HealthRecord& h = patient.healthRecord;
    if (h.hbA1C != 0) f.hbA1c = Printf("%2.1f%%", h.hbA1C);
    if (h.bloodPressureA != 0 || h.bloodPressureB != 0)
      f.bloodPressure = Printf("%d/%d", h.bloodPressureA, h.bloodPressureB);
    if (h.ketnotes >= 0 && h.ketnotes < 5) f.ketnotes = LookupText(kKetnotes[h.ketnotes]);  // dynamic text
    if (h.cholesterol != 0) f.cholesterol = CountText(h.cholesterol);
    if (h.LDL != 0) f.LDL = CountText(h.LDL);
    if (h.HDL != 0) f.HDL = CountText(h.HDL);
  }
  return f;
}

GlucoseProfileSet BuildGlucoseProfileSet(const ReadingTable& readings, const ReportPeriod& period,
                                         const ReportTargets& targets) {
  const GlucoseProfileReport g = BuildGlucoseProfile(readings, period, targets.mmol, true);
  GlucoseProfileSet set;
  for (int i = 0; i < kProfileRanges; ++i) {
    set.rangeLabels[i] = g.ranges[i].label;
    set.counts[i] = g.ranges[i].count;
    set.percent[i] = g.ranges[i].percent;
    set.percentText[i] = g.ranges[i].percentText;
  }
  set.readingCount = g.readings;
  set.daysWithReadings = g.daysWithReadings;
  set.mean = g.mean.value.value_or(0);
  set.sd = g.sd.value.value_or(0);
  set.cv = g.cv.value.value_or(0);
  // The page shows the figures without the unit: the ranges' captions carry it.
  if (g.mean.value) set.meanText = Printf(targets.mmol ? "%.1f" : "%.0f", InUnit(set.mean, targets.mmol));
  if (g.sd.value) set.sdText = Printf("%.1f", InUnit(set.sd, targets.mmol));
  set.cvText = g.cv.text;
  return set;
}

}  // namespace meridane
