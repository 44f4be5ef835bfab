#pragma once
// The PDF report writers. Each takes the core data set of its report type as the screen
// shows it and lays it out; none computes values of its own.
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_document.h"
#include "output/report_model.h"

namespace meridane {

// Writers, each adding its pages to the document.
void WriteLogBookPdf(PdfDocument& doc, const ReportContext& ctx, const GridSet& grid);
void WriteDataListPdf(PdfDocument& doc, const ReportContext& ctx, const GridSet& grid);
void WriteMultipleDownloadPdf(PdfDocument& doc, const std::vector<MultipleDownloadRow>& rows);
void WriteQuickViewPdf(PdfDocument& doc, const QuickViewSet& set);
void WriteSummaryPdf(PdfDocument& doc, const ReportContext& ctx, const SummaryFields& s);
void WriteTrendPdf(PdfDocument& doc, const ReportContext& ctx, const TrendSet& set);
void WriteStandardDayPdf(PdfDocument& doc, const ReportContext& ctx, const StandardDaySet& set);
void WriteDayAveragePdf(PdfDocument& doc, const ReportContext& ctx, const AverageChartSet& set);
void WriteWeekAveragePdf(PdfDocument& doc, const ReportContext& ctx, const AverageChartSet& set);
void WriteHistogramPdf(PdfDocument& doc, const ReportContext& ctx, const HistogramSet& set);
void WritePiePdf(PdfDocument& doc, const ReportContext& ctx, const PieSet& set);
// One landscape page.
void WriteGlucoseProfilePdf(PdfDocument& doc, const ReportContext& ctx,
                            const GlucoseProfileReport& set);

// The writer of the model's type; types above 11 (and 0) write the log book.
void WriteReportPdf(PdfDocument& doc, const ReportModel& model);

// The pieces of a cell wrapped at `limit` characters: while the rest is longer than the
// limit its first `limit` characters go, then the rest. An empty text gives no piece.
// Shared by the PDF and the printed data list. A character is one UTF-8 sequence; a
// malformed byte counts as one character, as the page encoding writes it.
std::vector<std::string> WrapCell(std::string_view text, size_t limit);

}  // namespace meridane
