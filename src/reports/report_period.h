#pragma once
// The report list, the report period and the texts every report shares: titles,
// time-of-day texts and the value-axis caption.
#include <optional>
#include <string>

#include "base/prompter.h"
#include "store/date_time.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

namespace meridane {

enum ReportType : int {
  kReportLogBook = 0,
  kReportTrend = 1,
  kReportPie = 2,
  kReportStandardDay = 3,
  kReportDayAverage = 4,
  kReportWeekAverage = 5,
  kReportHistogram = 6,
  kReportDataList = 7,
  kReportSummary = 8,
  kReportMultipleDownload = 9,
  kReportQuickView = 10,
  kReportGlucoseProfile = 11,
};
inline constexpr int kReportTypeCount = 12;

// "LogBook", "Glucose Trend" … as the individual-mode list shows them, in the user's
// language; "" for 9 and 10.
std::string ReportListText(int type);
// "Logbook", "Glucose Trand" … "Multiple Quick View"; "" out of range.
std::string ReportName(int type);
// The same names in the user's language, for page heads and print jobs (ReportName stays
// as it is for the command line's machine-readable output).
std::string ReportDisplayName(int type);

// From 00:00:00 of `first` to 23:59:59 of `last`, both included.
struct ReportPeriod {
  Date first;
  Date last;
  DateTime start() const { return {first.year, first.month, first.day, 0, 0}; }
  // Readings are kept to the minute, so the last minute of the last day stands for 23:59:59.
  DateTime end() const { return {last.year, last.month, last.day, 23, 59}; }
  bool Contains(const DateTime& at) const { return first <= at.date() && at.date() <= last; }
  bool operator==(const ReportPeriod&) const = default;
};

// Days back from the end day for the period list's entry: 1 → 14, 2 → 30, 3 → 60,
// 4 → 90, anything else → 7.
int LatestDaysOfEntry(int entry);
// "Latest 7 days" … "Latest 90 days", in the user's language
std::string PeriodListText(int entry);

// The day of the newest reading (today when there is none) and the N days before it.
ReportPeriod DefaultPeriod(const ReadingTable& readings, int entry, const Date& today = Today());
// The same rule for any number of days: the newest reading's day (today without readings)
// and the `days` days before it. What the command line's --latest DAYS means.
ReportPeriod LatestPeriod(const ReadingTable& readings, int days, const Date& today = Today());
// The newest reading's day, or nullopt for an empty table.
std::optional<Date> NewestReadingDay(const ReadingTable& readings);

// "Please make sure your Start date is earlier than End date in the Time Blocks."
std::string PeriodRefusalText();
// Days picked by the user: refused (message shown, `period` unchanged, false) when the
// start day lies after the end day; otherwise `period` becomes first..last.
bool PickPeriod(const Date& first, const Date& last, ReportPeriod& period, Prompter& prompter);

// "%02d:%02d" with timeUnit (24 hours), else "%02d:%02d am"/"pm" with 0 and 12 shown as 12.
std::string TimeOfDayText(const TimeOfDay& t, bool timeUnit24);
// "%02d/%02d/%04d" month, day, year.
std::string MonthDayYear(const Date& d);
// The same two texts appended to `out`, for grids that build many of them.
void AppendTimeOfDayText(std::string& out, const TimeOfDay& t, bool timeUnit24);
void AppendMonthDayYear(std::string& out, const Date& d);

// The chart title of a report type (1 to 6); for the pie chart the first of its two lines.
std::string ReportTitle(int type, const ReportPeriod& period, const CPatientProfile& patient);
// The pie chart's second title line "Patient Name :%s(%s)".
std::string PieSecondTitle(const CPatientProfile& patient);
// "Glucose (mg/dL)" / "Glucose (mmol/L)" through the language table.
std::string ValueAxisCaption(bool mmol);

}  // namespace meridane
