#include "output/pdf_report_build.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace meridane {

namespace {

PdfRows TextsOf(const GridSet& grid) {
  PdfRows rows;
  rows.reserve(grid.rows.size());
  for (const auto& row : grid.rows) {
    std::vector<std::string> cells;
    cells.reserve(row.size());
    for (const auto& cell : row) cells.push_back(cell.text);
    rows.push_back(std::move(cells));
  }
  return rows;
}

int ToMgdl(double inUnit, bool mmol) {
  return static_cast<int>(std::lround(mmol ? inUnit * kMgdlPerMmol : inUnit));
}

template <class Set>
void TakePoints(const Set& set, bool mmol, PdfReport& r) {
  for (const auto& l : set.labels) r.axisLabels.push_back(l.text);
  for (const auto& p : set.points) r.points.push_back({p.x, ToMgdl(p.y, mmol)});
}

void TakeAverages(const AverageChartSet& set, bool mmol, PdfReport& r) {
  auto take = [&](const AverageSeries& s, std::vector<std::optional<double>>& out) {
    for (const auto& bar : s.bars)
      out.push_back(bar.present ? std::optional<double>(mmol ? bar.value * kMgdlPerMmol : bar.value)
                                : std::nullopt);
  };
  take(set.before, r.before);
  take(set.after, r.after);
}

PdfSummary SummaryOf(const SummaryFields& f, const CPatientProfile& patient, const Date& today) {
  PdfSummary s;
  s.fullName = f.fullName;
  s.idNo = f.IDNo;
  char birth[64];
  std::snprintf(birth, sizeof birth, "%02d / %02d / %04d,  %d years old", patient.birth.month,
                patient.birth.day, patient.birth.year, AgeOn(patient.birth, today));
  s.birth = birth;
  s.results = f.result;
  s.standardDeviation = f.standardDeviation;
  s.above = f.aboveTarget;
  s.below = f.belowTarget;
  s.within = f.withinTarget;
  s.hypo = f.hypoglycemic;
  s.average = f.average;
  s.dayAverages = f.dayAverage;
  s.hbA1c = f.hbA1c;
  s.bloodPressure = f.bloodPressure;
  s.ketnotes = f.ketnotes;
  s.cholesterol = f.cholesterol;
  s.ldl = f.LDL;
  s.hdl = f.HDL;
  return s;
}

}  // namespace

PdfReportContext PdfContextFor(const CPatientProfile& patient, const ReportPeriod& period,
                               const ReportTargets& targets) {
  PdfReportContext c;
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

PdfReport BuildPdfReport(int type, const CPatientProfile& patient, const ReadingTable& readings,
                         const ReportPeriod& period, const ReportTargets& targets,
                         const Date& today) {
  PdfReport r;
  r.type = type;
  r.ctx = PdfContextFor(patient, period, targets);
  bool mmol = targets.mmol;
  switch (type) {
    case kReportTrend:
      TakePoints(BuildTrendSet(patient, readings, period, targets, today), mmol, r);
      break;
    case kReportStandardDay:
      TakePoints(BuildStandardDaySet(patient, readings, period, targets), mmol, r);
      break;
    case kReportDayAverage:
      TakeAverages(BuildDayAverageSet(patient, readings, period, targets), mmol, r);
      break;
    case kReportWeekAverage:
      TakeAverages(BuildWeekAverageSet(patient, readings, period, targets), mmol, r);
      break;
    case kReportHistogram:
      r.histogram = BuildHistogramSet(patient, readings, period, targets).counts;
      break;
    case kReportPie: {
      PieSet set = BuildPieSet(patient, readings, period, targets);
      for (int i = 0; i < kPieCount; ++i) {
        const auto& c = set.pies[i].counts;
        r.pies[i].above = c[static_cast<int>(Band::Above)];
        r.pies[i].within = c[static_cast<int>(Band::Within)];
        r.pies[i].below = c[static_cast<int>(Band::Below)];
        r.pies[i].hypo = c[static_cast<int>(Band::Hypoglycemic)];
      }
      break;
    }
    case kReportDataList:
      r.rows = TextsOf(BuildDataListSet(patient, readings, period, targets));
      break;
    case kReportSummary:
      r.summary = SummaryOf(BuildSummaryChecks(patient, readings, period, targets, today), patient,
                            today);
      break;
    default:
      r.rows = TextsOf(BuildLogBookSet(patient, readings, period, targets));
      break;
  }
  return r;
}

PdfReport MultipleDownloadPdfReport(const PdfRows& rows) {
  PdfReport r;
  r.type = kReportMultipleDownload;
  r.rows = rows;
  return r;
}

PdfReport MultipleDownloadPdfReport(const std::vector<MultipleDownloadRow>& rows) {
  PdfRows cells;
  cells.reserve(rows.size());
  for (const auto& row : rows) cells.emplace_back(row.begin() + 1, row.end());
  return MultipleDownloadPdfReport(cells);
}

PdfReport QuickViewPdfReport(const QuickViewSet& set, const ReportPeriod& period) {
  PdfReport r;
  r.type = kReportQuickView;
  r.ctx.from = period.first;
  r.ctx.to = period.last;
  for (const auto& row : set.rows) r.rows.emplace_back(row.cells.begin(), row.cells.end());
  return r;
}

}  // namespace meridane
