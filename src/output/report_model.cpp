#include "output/report_model.h"

#include <algorithm>

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
  static const char* kNames[kReportTypeCount] = {
      "Log Book",  "Glucose Trend", "Pie Chart",      "Standard Day",      "Day Average Reading",
      "Week Average Reading", "Histogram", "Data List", "Summary Checks", "Multiple Download",
      "Multiple Quick View", "Glucose Profile"};
  return kNames[type >= 0 && type < kReportTypeCount ? type : kReportLogBook];
}

std::string ReportDocumentTitle(const ReportModel& model) {
  std::string title = ReportDocumentName(model.type);
  if (model.type == kReportMultipleDownload || model.type == kReportQuickView) return title;
  title += " - " + model.ctx.fullName;
  if (!model.ctx.medicalNo.empty()) title += " (" + model.ctx.medicalNo + ")";
  return title;
}

std::vector<std::string> CellTexts(const GridRow& row) {
  std::vector<std::string> cells;
  cells.reserve(row.size());
  for (const auto& cell : row) cells.push_back(cell.text);
  return cells;
}

}  // namespace meridane
