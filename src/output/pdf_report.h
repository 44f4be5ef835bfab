#pragma once
// What a PDF report writer is given: the report context and the data set of its type, as
// the report screens show it. Writers lay these out; they compute no values of their own.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "output/pdf_document.h"
#include "reports/report_period.h"
#include "store/date_time.h"

namespace meridane {


struct PdfReportContext {
  Date from;
  Date to;
  bool unitMgdl = true;
  std::string fullName;
  std::string medicalNo;
  bool mealEnable = false;
  bool timeUnit24 = false;
  // The target band of the charts, mg/dL.
  int lowTarget = 70;
  int highTarget = 180;
};

// Grid rows, cell texts as displayed.
using PdfRows = std::vector<std::vector<std::string>>;

// A chart point: x in the axis units of its data set (trend: label index; standard day:
// two-hour steps from 05:00), value in mg/dL.
struct PdfPoint {
  double x = 0;
  int mgdl = 0;
};

// The summary checks fields as displayed; "- - -" where absent.
struct PdfSummary {
  std::string fullName, idNo, birth;
  std::string results, standardDeviation;
  std::string above, below, within, hypo;
  std::string average;
  std::array<std::string, 5> dayAverages;  // "…/7 days" … "…/90 days"
  std::string hbA1c, bloodPressure, ketnotes;
  std::string cholesterol, ldl, hdl;  // values only; "- - -" when absent
};

struct PdfPieCounts {
  int above = 0;
  int below = 0;
  int within = 0;
  int hypo = 0;
  int total() const { return above + below + within + hypo; }
};

struct PdfReport {
  int type = kReportLogBook;  // ReportType
  PdfReportContext ctx;
  PdfRows rows;                            // log book, data list, multiple download, quick view
  PdfSummary summary;                      // summary checks
  std::vector<std::string> axisLabels;     // trend (15 days), standard day (12 times)
  std::vector<PdfPoint> points;            // trend, standard day
  std::vector<std::optional<double>> before, after;  // day (3) and week (7) averages, mg/dL
  std::array<int, 13> histogram{};         // counts per class
  std::array<PdfPieCounts, 8> pies{};      // overall, slots 1, 2, 7, 3, 4, 5, 6
};

// Writers, each adding its pages to the document.
void WriteLogBookPdf(PdfDocument& doc, const PdfReport& r);
void WriteDataListPdf(PdfDocument& doc, const PdfReport& r);
void WriteMultipleDownloadPdf(PdfDocument& doc, const PdfReport& r);
void WriteQuickViewPdf(PdfDocument& doc, const PdfReport& r);
void WriteSummaryPdf(PdfDocument& doc, const PdfReport& r);
void WriteTrendPdf(PdfDocument& doc, const PdfReport& r);
void WriteStandardDayPdf(PdfDocument& doc, const PdfReport& r);
void WriteDayAveragePdf(PdfDocument& doc, const PdfReport& r);
void WriteWeekAveragePdf(PdfDocument& doc, const PdfReport& r);
void WriteHistogramPdf(PdfDocument& doc, const PdfReport& r);
void WritePiePdf(PdfDocument& doc, const PdfReport& r);

// The writer of the report's type; types above 10 (and 0) write the log book.
void WriteReportPdf(PdfDocument& doc, const PdfReport& r);

}  // namespace meridane
