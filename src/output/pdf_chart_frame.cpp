#include "output/pdf_chart_frame.h"

#include <cmath>
#include <cstdio>

#include "base/text_fill.h"
#include "base/text_lookup.h"

namespace meridane {

float GlucoseX(double value, bool unitMgdl) {
  if (unitMgdl) return chart::kLeft + static_cast<float>(value * 0.76);
  double mmol = std::floor(10 * value + 0.5) / 10;
  return chart::kLeft + static_cast<float>(mmol * chart::kWidth / 35);
}

float TrendY(double x) { return static_cast<float>(731.5 - 49 * x); }

float StandardDayY(double x) { return chart::kTop - static_cast<float>(x) * chart::kHeight / 12; }

void DrawTargetBand(PdfPage& page, const ReportContext& ctx) {
  using namespace chart;
  // The limits are kept in mg/dL, as the report's targets are.
  float low = GlucoseX(InUnit(ctx.lowTarget, !ctx.unitMgdl), ctx.unitMgdl);
  float high = GlucoseX(InUnit(ctx.highTarget, !ctx.unitMgdl), ctx.unitMgdl);
  page.SetFill({0.6f, 0.8f, 1.0f});
  page.FillRect(kLeft, kBottom, kWidth, kHeight);
  page.SetFill({0.4f, 0.8f, 1.0f});
  page.FillRect(kLeft, kBottom, high - kLeft, kHeight);
  page.SetFill({0.6f, 0.8f, 1.0f});
  page.FillRect(kLeft, kBottom, low - kLeft, kHeight);
  page.SetStroke({0, 0, 0});
  page.SetLineWidth(0);
  page.Line(low, kBottom, low, kTop);
  page.Line(high, kBottom, high, kTop);
}

void DrawPlotBorder(PdfPage& page) {
  page.SetStroke({0, 0, 0});
  page.SetLineWidth(0.5);
  page.StrokeRect(chart::kLeft, chart::kBottom, chart::kWidth, chart::kHeight);
}

void DrawAcrossLine(PdfPage& page, float y, bool dashed) {
  page.SetLineWidth(0.5);
  page.SetStroke({1, 1, 1});
  page.SetDash(dashed);
  page.Line(chart::kLeft, y, chart::kRight, y);
  page.SetDash(false);
}

void DrawGlucoseGrid(PdfPage& page, bool unitMgdl) {
  int divisions = unitMgdl ? 12 : 7;
  int labelStep = unitMgdl ? 50 : 5;
  float division = chart::kWidth / divisions;
  page.SetLineWidth(0.5);
  page.SetStroke({1, 1, 1});
  page.SetDash(true);
  for (int i = 1; i < divisions; ++i)
    page.Line(chart::kLeft + i * division, chart::kTop, chart::kLeft + i * division, chart::kBottom);
  page.SetDash(false);
  page.SetFontSize(10);
  for (int i = 0; i <= divisions; ++i)
    page.TurnedText(chart::kLeft + i * division - 4, 778, std::to_string(i * labelStep));
}

void DrawChartHeader(PdfPage& page, const std::string& title, const ReportContext& ctx,
                     ChartAxis axis) {
  page.SetFontSize(10);
  // The head runs down to the patient line, which runs to the foot of the page.
  page.TurnedFitText(555, 800,
                     FillText(LookupText("PdfReport", "ChartHead", "{report}    From  {from}  To  {to}"),
                              {{"report", title},
                               {"from", MonthDayYear(ctx.from)},
                               {"to", MonthDayYear(ctx.to)}}),
                     540);
  page.TurnedText(555, 240,
                  FillText(LookupText("PdfReport", "ChartPatient", "Patient Name: {name}({number})"),
                           {{"name", ctx.fullName}, {"number", ctx.medicalNo}}));
  std::string caption;
  switch (axis) {
    case ChartAxis::Glucose:
      caption = ctx.unitMgdl ? LookupText("Label", "mg", "Glucose (mg/dL)")
                             : LookupText("Label", "mmol", "Glucose (mmol/L)");
      break;
    case ChartAxis::Percentage: caption = LookupText("Label", "Percentage", "Percentage (%)"); break;
    case ChartAxis::Count: caption = LookupText("Label", "Number", "Number"); break;
  }
  page.Text(250, 796, caption);
}

void DrawLegendBox(PdfPage& page, float x, float y, PdfRgb fill, float captionY,
                   const std::string& caption, float room) {
  page.SetLineWidth(0.5);
  page.SetStroke({0, 0, 0});
  page.SetFill(fill);
  page.FillStrokeRect(x, y, 14, 14);
  page.SetFontSize(10);
  page.TurnedFitText(30, captionY, caption, room);
}

void BeginPlotClip(PdfPage& page) {
  page.BeginClip(chart::kLeft, chart::kBottom, chart::kWidth, chart::kHeight);
}

void EndPlotClip(PdfPage& page) { page.EndClip(); }

}  // namespace meridane
