#pragma once
// The summary checks page of one patient and the glucose profile shown beside it.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "reports/report_period.h"
#include "reports/statistics.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

inline constexpr const char* kAbsentText = "- - -";
inline constexpr std::array<int, 5> kDayAverageSpans{7, 14, 30, 60, 90};

// Every field as the printed page shows it; "- - -" where no value exists.
struct SummaryFields {
  std::string fullName;
  std::string IDNo;
  std::string dateOfBirth;  // "%02d / %02d / %04d, %d years old"
  std::string dateOfBirthPdf;  // the PDF page's form, two spaces before the age
  std::string result = kAbsentText;
  std::string standardDeviation = kAbsentText;
  std::string aboveTarget = kAbsentText;
  std::string belowTarget = kAbsentText;
  std::string withinTarget = kAbsentText;
  std::string hypoglycemic = kAbsentText;
  std::string average = kAbsentText;
  // "%d/7 days" … "%d/90 days" as printed; the screen shows dayAverageScreen (no suffix).
  std::array<std::string, 5> dayAverage{kAbsentText, kAbsentText, kAbsentText, kAbsentText,
                                        kAbsentText};
  std::array<std::string, 5> dayAverageScreen{kAbsentText, kAbsentText, kAbsentText, kAbsentText,
                                              kAbsentText};
  std::string hbA1c = kAbsentText;
  std::string bloodPressure = kAbsentText;
  std::string ketnotes = kAbsentText;
  std::string cholesterol = kAbsentText;
  std::string LDL = kAbsentText;
  std::string HDL = kAbsentText;

  // (caption, value) in the order of the printed page; the five day averages are one
  // entry each under "Day Average:" (caption repeated only on the first, "" after).
  std::vector<std::pair<std::string, std::string>> Captioned() const;
};

// Age in completed years on `today`.
int AgeOn(const Date& birth, const Date& today);

SummaryFields BuildSummaryChecks(const CPatientProfile& patient, const ReadingTable& readings,
                                 const ReportPeriod& period, const ReportTargets& targets,
                                 const Date& today = Today());

// The glucose profile beside the summary checks, taken from the glucose profile report:
// shares of all readings of the period in five ranges (<54, 54–69, 70–180, 181–250,
// >250 mg/dL; LO and HI in the outer ones), mean, SD and CV. No GMI: it is defined for
// continuous sensor data, not for meter readings.
inline constexpr int kProfileRanges = 5;
struct GlucoseProfileSet {
  std::array<std::string, kProfileRanges> rangeLabels;  // in the patient's unit
  std::array<int, kProfileRanges> counts{};
  std::array<double, kProfileRanges> percent{};         // of all readings; 0 when none
  std::array<std::string, kProfileRanges> percentText;  // "%.1f%%"
  int readingCount = 0;      // all readings of the period, HI and LO included
  int daysWithReadings = 0;  // calendar days of the period with a valid reading
  double mean = 0;           // mg/dL, unrounded
  double sd = 0;             // mg/dL, n − 1 form; 0 with fewer than two valid readings
  double cv = 0;             // %, SD ÷ mean × 100
  // Texts as shown: "- - -" where the valid readings do not suffice.
  std::string meanText = kAbsentText;  // in the unit: "%.0f" or "%.1f"
  std::string sdText = kAbsentText;    // in the unit: "%.1f"
  std::string cvText = kAbsentText;    // "%.1f%%"
};
GlucoseProfileSet BuildGlucoseProfileSet(const ReadingTable& readings, const ReportPeriod& period,
                                         const ReportTargets& targets);

}  // namespace meridane
