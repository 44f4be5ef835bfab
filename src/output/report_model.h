#pragma once
// One report as every output draws it: the screen, the PDF writers and the printed pages
// all take the core data set of the report's type as it stands, with the context the page
// heads need. Nothing here is converted or recomputed on the way.
#include <string>
#include <vector>

#include "reports/glucose_profile.h"
#include "reports/quick_view.h"
#include "reports/report_period.h"
#include "reports/report_sets.h"
#include "reports/statistics.h"
#include "reports/summary.h"

namespace meridane {

struct ReportContext {
  Date from;
  Date to;
  bool unitMgdl = true;
  std::string fullName;
  std::string medicalNo;
  bool mealEnable = false;
  bool timeUnit24 = false;
  // The report's target limits, mg/dL, drawn as the charts' target band.
  int lowTarget = 70;
  int highTarget = 180;
};

// The data set of `type`; only the member of that type is filled.
struct ReportModel {
  int type = kReportLogBook;  // ReportType; above 11 stands for the log book
  ReportContext ctx;
  LogBookSet logBook;
  DataListSet dataList;
  SummaryFields summary;
  TrendSet trend;
  StandardDaySet standardDay;
  DayAverageSet dayAverage;
  WeekAverageSet weekAverage;
  HistogramSet histogram;
  PieSet pie;
  std::vector<MultipleDownloadRow> multipleDownload;  // the list's rows, spacer cell first
  QuickViewSet quickView;
  GlucoseProfileReport glucoseProfile;
};

// The context shared by every page: period, unit, patient names and flags, target limits.
ReportContext ReportContextFor(const CPatientProfile& patient, const ReportPeriod& period,
                               const ReportTargets& targets);

// The report of a single-patient type (0 to 8 and 11; above 11 as the log book).
ReportModel BuildReportModel(int type, const CPatientProfile& patient, const ReadingTable& readings,
                             const ReportPeriod& period, const ReportTargets& targets,
                             const Date& today = Today());

// The clinic reports from the lists as shown.
ReportModel MultipleDownloadModel(std::vector<MultipleDownloadRow> rows, const ReportPeriod& period);
ReportModel QuickViewModel(QuickViewSet set, const ReportPeriod& period);

// "Log Book" … "Multiple Quick View": the report named in a document's title.
std::string ReportDocumentName(int type);
// The document title: the report and, for a patient's report, "Name (medical no.)".
std::string ReportDocumentTitle(const ReportModel& model);

// The heads the PDF and the printed table pages share: "<report>       From <date>     To
// <date>", "Glucose Value Unit: mg/dL" and "Patient Name :<name>(<medical no.>)".
std::string RangeTitleLine(const std::string& report, const ReportContext& c);
std::string GlucoseUnitLine(bool mgdl);
std::string PatientNameLine(const ReportContext& c);

// Cell texts of a grid row as displayed.
std::vector<std::string> CellTexts(const GridRow& row);

}  // namespace meridane
