#include "output/report_model.h"

#include <algorithm>

#include "base/text_fill.h"
#include "base/text_lookup.h"

namespace meridane {

ReportContext ReportContextFor(const CPatientProfile& patient, const ReportPeriod& period,
                               const ReportTargets& targets) {
  ReportContext c;
  c.from = period.first;
  c.to = period.last;
  c.unitMgdl = !targets.mmol;
  c.fullName = patient.fullName;
  c.medicalNo = patient.medicalNo;
  c.mealEnable = patient.mealEnable;
  c.timeUnit24 = patient.timeUnit;
  c.lowTarget = std::min(targets.preMealLow, targets.postMealLow);
  c.highTarget = std::max(targets.preMealHigh, targets.postMealHigh);
  return c;
}

ReportModel BuildReportModel(int type, const CPatientProfile& patient, const ReadingTable& readings,
                             const ReportPeriod& period, const ReportTargets& targets,
                             const Date& today) {
  ReportModel m;
  m.type = type;
  m.ctx = ReportContextFor(patient, period, targets);
  switch (type) {
    case kReportTrend:
      m.trend = BuildTrendSet(patient, readings, period, targets, today);
      break;
    case kReportStandardDay:
      m.standardDay = BuildStandardDaySet(patient, readings, period, targets);
      break;
    case kReportDayAverage:
      m.dayAverage = BuildDayAverageSet(patient, readings, period, targets);
      break;
    case kReportWeekAverage:
      m.weekAverage = BuildWeekAverageSet(patient, readings, period, targets);
      break;
    case kReportHistogram:
      m.histogram = BuildHistogramSet(patient, readings, period, targets);
      break;
    case kReportPie:
      m.pie = BuildPieSet(patient, readings, period, targets);
      break;
    case kReportDataList:
      m.dataList = BuildDataListSet(patient, readings, period, targets);
      break;
    case kReportGlucoseProfile:
      m.glucoseProfile = BuildGlucoseProfile(readings, period, targets.mmol, patient.timeUnit);
      break;
    case kReportSummary:
      m.summary = BuildSummaryChecks(patient, readings, period, targets, today);
      break;
    default:
      m.logBook = BuildLogBookSet(patient, readings, period, targets);
      break;
  }
  return m;
}

ReportModel MultipleDownloadModel(std::vector<MultipleDownloadRow> rows, const ReportPeriod& period) {
  ReportModel m;
  m.type = kReportMultipleDownload;
  m.ctx.from = period.first;
  m.ctx.to = period.last;
  m.multipleDownload = std::move(rows);
  return m;
}

ReportModel QuickViewModel(QuickViewSet set, const ReportPeriod& period) {
  ReportModel m;
  m.type = kReportQuickView;
  m.ctx.from = period.first;
  m.ctx.to = period.last;
  m.quickView = std::move(set);
  return m;
}

std::string ReportDocumentName(int type) {
  static const TextId kNames[kReportTypeCount] = {
      TextId{"PdfReport", "LogBook", "Log Book"},
      TextId{"PdfReport", "GlucoseTrend", "Glucose Trend"},
      TextId{"PdfReport", "PieChart", "Pie Chart"},
      TextId{"PdfReport", "StandardDay", "Standard Day"},
      TextId{"PdfReport", "DayAverage", "Day Average Reading"},
      TextId{"PdfReport", "WeekAverage", "Week Average Reading"},
      TextId{"PdfReport", "Histogram", "Histogram"},
      TextId{"PdfReport", "DataList", "Data List"},
      TextId{"PdfReport", "SummaryChecks", "Summary Checks"},
      TextId{"PdfReport", "MultipleDownload", "Multiple Download"},
      TextId{"PdfReport", "MultipleQuickView", "Multiple Quick View"},
      TextId{"PdfReport", "GlucoseProfile", "Glucose Profile"}};
  return LookupText(kNames[type >= 0 && type < kReportTypeCount ? type : kReportLogBook]);  // dynamic text
}

std::string ReportDocumentTitle(const ReportModel& model) {
  const std::string report = ReportDocumentName(model.type);
  if (model.type == kReportMultipleDownload || model.type == kReportQuickView) return report;
  if (model.ctx.medicalNo.empty())
    return FillText(LookupText("PdfReport", "DocTitle", "{report} - {name}"),
                    {{"report", report}, {"name", model.ctx.fullName}});
  return FillText(LookupText("PdfReport", "DocTitleNo", "{report} - {name} ({number})"),
                  {{"report", report}, {"name", model.ctx.fullName}, {"number", model.ctx.medicalNo}});
}

std::string RangeTitleLine(const std::string& report, const ReportContext& c) {
  return FillText(LookupText("PdfReport", "RangeTitle", "{report}       From {from}     To     {to}"),
                  {{"report", report}, {"from", MonthDayYear(c.from)}, {"to", MonthDayYear(c.to)}});
}

std::string GlucoseUnitLine(bool mgdl) {
  return mgdl ? LookupText("PdfReport", "UnitMgdl", "Glucose Value Unit: mg/dL")
              : LookupText("PdfReport", "UnitMmol", "Glucose Value Unit: mmol/L");
}

std::string PatientNameLine(const ReportContext& c) {
  return FillText(LookupText("PdfReport", "PatientLine", "Patient Name :{name}({number})"),
                  {{"name", c.fullName}, {"number", c.medicalNo}});
}

std::vector<std::string> CellTexts(const GridRow& row) {
  std::vector<std::string> cells;
  cells.reserve(row.size());
  for (const auto& cell : row) cells.push_back(cell.text);
  return cells;
}

}  // namespace meridane
