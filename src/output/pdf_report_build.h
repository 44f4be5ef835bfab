#pragma once
// Fills a PdfReport from the report data sets of one patient, as the window shows them.
#include <vector>

#include "download/clinic_download.h"
#include "output/pdf_report.h"
#include "reports/quick_view.h"
#include "reports/report_period.h"
#include "reports/report_sets.h"
#include "reports/statistics.h"
#include "reports/summary.h"

namespace meridane {

// The context shared by every page: period, unit, patient names and flags, target band.
PdfReportContext PdfContextFor(const CPatientProfile& patient, const ReportPeriod& period,
                               const ReportTargets& targets);

// The report of a single-patient type (0 to 8; above 10 as the log book).
PdfReport BuildPdfReport(int type, const CPatientProfile& patient, const ReadingTable& readings,
                         const ReportPeriod& period, const ReportTargets& targets,
                         const Date& today = Today());

// The clinic reports: multiple download list rows as displayed, and the quick view.
// The list's first column is an empty spacer; the page's four columns are the ones after it.
PdfReport MultipleDownloadPdfReport(const std::vector<MultipleDownloadRow>& rows);
PdfReport MultipleDownloadPdfReport(const PdfRows& rows);
PdfReport QuickViewPdfReport(const QuickViewSet& set, const ReportPeriod& period);

}  // namespace meridane
