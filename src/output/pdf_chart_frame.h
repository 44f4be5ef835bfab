#pragma once
// The turned chart frame shared by the chart pages: a portrait page read turned a quarter
// clockwise, the plot rectangle (80, 20)-(536, 756), the glucose axis along x and the time
// or category axis from the top of the plot down.
#include <string>

#include "output/pdf_report.h"

namespace meridane {

namespace chart {
constexpr float kLeft = 80;
constexpr float kBottom = 20;
constexpr float kWidth = 456;
constexpr float kHeight = 736;
constexpr float kTop = kBottom + kHeight;
constexpr float kRight = kLeft + kWidth;
}  // namespace chart

enum class ChartAxis { Glucose, Percentage, Count };

// x of a value in the report's unit on the glucose axis; an mmol/L value is rounded to one
// decimal first (half up).
float GlucoseX(double value, bool unitMgdl);

// y of a trend point: label i of the data set stands at x = i, 49 points apart from 731.5
// down, so a point lies against the day its label names.
float TrendY(double x);
// y of a standard day point: x in two-hour steps from 05:00 at the top of the plot.
float StandardDayY(double x);

void DrawTargetBand(PdfPage& page, const ReportContext& ctx);
void DrawPlotBorder(PdfPage& page);
void DrawGlucoseGrid(PdfPage& page, bool unitMgdl);
void DrawChartHeader(PdfPage& page, const std::string& title, const ReportContext& ctx,
                     ChartAxis axis);
// White dashed line across the plot at y.
void DrawAcrossLine(PdfPage& page, float y, bool dashed = true);
// A 14 x 14 filled box with its caption turned at x 30.
// The caption runs down the page from captionY and is set smaller when longer than `room`.
void DrawLegendBox(PdfPage& page, float x, float y, PdfRgb fill, float captionY,
                   const std::string& caption, float room);

// Limits drawing to the plot until the matching EndPlotClip.
void BeginPlotClip(PdfPage& page);
void EndPlotClip(PdfPage& page);

}  // namespace meridane
