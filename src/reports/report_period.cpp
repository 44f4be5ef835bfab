#include "reports/report_period.h"

#include <array>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "reports/text_format.h"

namespace meridane {

namespace {

struct ReportNames {
  TextId listText;
  const char* name;
};
constexpr std::array<ReportNames, kReportTypeCount> kReports{{
    {TextId{"Report", "ListLogBook", "LogBook"}, "Logbook"},
    {TextId{"Report", "ListTrend", "Glucose Trend"}, "Glucose Trand"},
    {TextId{"Report", "ListPie", "Pie Chart"}, "Pie Chart"},
    {TextId{"Report", "ListStandardDay", "Standard day"}, "Standard Day"},
    {TextId{"Report", "ListDayAverage", "Day Average Readings"}, "Day Average Readings"},
    {TextId{"Report", "ListWeekAverage", "Week Average Readings"}, "Week Average Readings"},
    {TextId{"Report", "ListHistogram", "Histogram"}, "Histogram"},
    {TextId{"Report", "ListDataList", "Data List"}, "Data List"},
    {TextId{"Report", "ListSummary", "Summary Checks"}, "Summary Checks"},
    {TextId{"", "", ""}, "Multiple Download"},
    {TextId{"", "", ""}, "Multiple Quick View"},
    {TextId{"Report", "ListGlucoseProfile", "Glucose Profile"}, "Glucose Profile"},
}};

constexpr std::array<int, 5> kLatestDays{7, 14, 30, 60, 90};

}  // namespace

std::string ReportListText(int type) {
  if (type < 0 || type >= kReportTypeCount || !*kReports[type].listText.fallback) return "";
  return LookupText(kReports[type].listText);  // dynamic text
}

std::string ReportName(int type) {
  return type >= 0 && type < kReportTypeCount ? kReports[type].name : "";
}

std::string ReportDisplayName(int type) {
  static const std::array<TextId, kReportTypeCount> kShown{
      TextId{"Report", "NameLogBook", "Logbook"},
      TextId{"Report", "NameTrend", "Glucose Trand"},
      TextId{"Report", "NamePie", "Pie Chart"},
      TextId{"Report", "NameStandardDay", "Standard Day"},
      TextId{"Report", "NameDayAverage", "Day Average Readings"},
      TextId{"Report", "NameWeekAverage", "Week Average Readings"},
      TextId{"Report", "NameHistogram", "Histogram"},
      TextId{"Report", "NameDataList", "Data List"},
      TextId{"Report", "NameSummary", "Summary Checks"},
      TextId{"Report", "NameMultipleDownload", "Multiple Download"},
      TextId{"Report", "NameQuickView", "Multiple Quick View"},
      TextId{"Report", "NameGlucoseProfile", "Glucose Profile"}};
  return type >= 0 && type < kReportTypeCount ? LookupText(kShown[type]) : "";  // dynamic text
}

int LatestDaysOfEntry(int entry) {
  return entry >= 1 && entry <= 4 ? kLatestDays[entry] : kLatestDays[0];
}

std::string PeriodListText(int entry) {
  return FillText(LookupText("Period", "LatestDays", "Latest {days} days"),
                  {{"days", std::to_string(LatestDaysOfEntry(entry))}});
}

std::optional<Date> NewestReadingDay(const ReadingTable& readings) {
  std::optional<Date> newest;
  for (const GlucoReading& r : readings.entries)
    if (!newest || *newest < r.at.date()) newest = r.at.date();
  return newest;
}

ReportPeriod LatestPeriod(const ReadingTable& readings, int days, const Date& today) {
  const Date last = NewestReadingDay(readings).value_or(today);
  return {AddDays(last, -days), last};
}

ReportPeriod DefaultPeriod(const ReadingTable& readings, int entry, const Date& today) {
  return LatestPeriod(readings, LatestDaysOfEntry(entry), today);
}

std::string PeriodRefusalText() {
  return LookupText("Report", "PeriodRefused",
                    "Please make sure your Start date is earlier than End date in the Time Blocks.");
}

bool PickPeriod(const Date& first, const Date& last, ReportPeriod& period, Prompter& prompter) {
  if (last < first) {
    prompter.Message(PeriodRefusalText());
    return false;
  }
  period = {first, last};
  return true;
}

namespace {

// Two-digit and four-digit fields written by hand: the grids format these for every
// reading, and printf is the bulk of their cost. Values out of range go through printf.
void Put2(std::string& out, int v) {
  out += static_cast<char>('0' + v / 10);
  out += static_cast<char>('0' + v % 10);
}

}  // namespace

void AppendTimeOfDayText(std::string& out, const TimeOfDay& t, bool timeUnit24) {
  const bool pm = t.hour >= 12;
  int hour = timeUnit24 ? t.hour : pm ? t.hour - 12 : t.hour;
  if (!timeUnit24 && hour == 0) hour = 12;
  if (hour < 0 || hour > 99 || t.minute < 0 || t.minute > 99) {
    out += timeUnit24 ? Printf("%02d:%02d", hour, t.minute)
                      : Printf("%02d:%02d %s", hour, t.minute, pm ? "pm" : "am");
    return;
  }
  Put2(out, hour);
  out += ':';
  Put2(out, t.minute);
  if (!timeUnit24) out += pm ? " pm" : " am";
}

void AppendMonthDayYear(std::string& out, const Date& d) {
  if (d.month < 0 || d.month > 99 || d.day < 0 || d.day > 99 || d.year < 1000 || d.year > 9999) {
    out += Printf("%02d/%02d/%04d", d.month, d.day, d.year);
    return;
  }
  Put2(out, d.month);
  out += '/';
  Put2(out, d.day);
  out += '/';
  Put2(out, d.year / 100);
  Put2(out, d.year % 100);
}

std::string TimeOfDayText(const TimeOfDay& t, bool timeUnit24) {
  std::string out;
  AppendTimeOfDayText(out, t, timeUnit24);
  return out;
}

std::string MonthDayYear(const Date& d) {
  std::string out;
  AppendMonthDayYear(out, d);
  return out;
}

std::string ReportTitle(int type, const ReportPeriod& period, const CPatientProfile& patient) {
  const Date& a = period.first;
  const Date& b = period.last;
  const std::string from = Printf("%02d/%02d/%04d", a.month, a.day, a.year);
  const std::string to = Printf("%02d/%02d/%04d", b.month, b.day, b.year);
  TextId name = {};
  switch (type) {
    case kReportTrend:
      name = TextId{"Report", "TitleTrend", "Glucose Trend"};
      break;
    case kReportStandardDay:
      name = TextId{"Report", "TitleStandardDay", "Standard Day"};
      break;
    case kReportDayAverage:
      name = TextId{"Report", "TitleDayAverage", "Day Average Readings"};
      break;
    case kReportWeekAverage:
      name = TextId{"Report", "TitleWeekAverage", "Week Average Readings"};
      break;
    case kReportHistogram:
      name = TextId{"Report", "TitleHistogram", "Histogram"};
      break;
    case kReportPie:
      return FillText(LookupText("Report", "PieTitle", "Pie Chart       From {from}     To     {to}"),
                      {{"from", from}, {"to", to}});
    default:
      return {};
  }
  return FillText(LookupText("Report", "ChartTitle",
                             "{report}      From {from}  To  {to}                  "
                             "Patient Name: {name}({number})"),
                  {{"report", LookupText(name)},  // dynamic text
                   {"from", from},
                   {"to", to},
                   {"name", patient.fullName},
                   {"number", patient.medicalNo}});
}

std::string PieSecondTitle(const CPatientProfile& patient) {
  return FillText(LookupText("Report", "PiePatient", "Patient Name :{name}({number})"),
                  {{"name", patient.fullName}, {"number", patient.medicalNo}});
}

std::string ValueAxisCaption(bool mmol) {
  return mmol ? LookupText("Label", "Glucose (mmol/L)", "Glucose (mmol/L)")
              : LookupText("Label", "Glucose (mg/dL)", "Glucose (mg/dL)");
}

}  // namespace meridane
