// Chart pages on the turned frame: glucose trend, standard day, day and week averages and
// the histogram. Points and bars come from the report's data sets; only their place on
// the page is worked out here.
#include <algorithm>
#include <cstdio>

#include "base/text_lookup.h"
#include "output/pdf_chart_frame.h"

namespace meridane {

namespace {

constexpr PdfRgb kTrendMarkOutline{0.03f, 0.5f, 0.78f};
constexpr PdfRgb kTrendLine{0.12f, 0.22f, 0.42f};
constexpr PdfRgb kDayMarkOutline{0.5f, 0, 0};
constexpr PdfRgb kDayMarkFill{1, 0, 0};
constexpr PdfRgb kBeforeBar{0.95f, 0.85f, 0.13f};
constexpr PdfRgb kAfterBar{0.54f, 0.77f, 0.24f};
constexpr PdfRgb kHistogramBar{0.07f, 0.46f, 0.72f};

void DrawMark(PdfPage& page, float x, float y, PdfRgb outline, PdfRgb fill) {
  page.SetLineWidth(1);
  page.SetStroke(outline);
  page.SetFill(fill);
  page.StrokeFillCircle(x, y, 3);
}

void DrawPointLegend(PdfPage& page, PdfRgb outline, PdfRgb fill) {
  page.SetLineWidth(0.5);
  page.SetStroke({0, 0, 0});
  page.StrokeRect(23, 319, 24, 126);
  DrawMark(page, 35, 434, outline, fill);
  page.SetFontSize(10);
  page.TurnedFitText(30, 420, LookupText("PdfReport", "LegendValue", "Glucose Value"), 98);
}

void DrawAxisLabels(PdfPage& page, const std::vector<AxisLabel>& labels, size_t count,
                    float top, float spacing) {
  page.SetFontSize(10);
  for (size_t i = 0; i < count && i < labels.size(); ++i)
    page.TurnedText(63, top - spacing * i, labels[i].text);
}

PdfPage StartGlucoseChart(PdfDocument& doc, const ReportContext& ctx) {
  PdfPage page = doc.AddPage();
  DrawTargetBand(page, ctx);
  DrawPlotBorder(page);
  return page;
}

void DrawAverageBars(PdfPage& page, const ReportContext& ctx, const AverageChartSet& set,
                     const std::vector<TextId>& names,
                     float spacing, float beforeTop, float lineBase, float captionTop) {
  DrawLegendBox(page, 28, 516, kBeforeBar, 512,
                LookupText("PdfReport", "LegendBefore", "Before Meal Average"), 124);
  DrawLegendBox(page, 28, 370, kAfterBar, 366,
                LookupText("PdfReport", "LegendAfter", "After Meal Average"), 124);
  DrawGlucoseGrid(page, ctx.unitMgdl);
  for (size_t i = 0; i < names.size(); ++i) DrawAcrossLine(page, lineBase + spacing * i, false);
  page.SetLineWidth(0.5);
  page.SetStroke({0, 0, 0});
  auto bar = [&](const AverageSeries& series, size_t i, float y, PdfRgb c) {
    if (i >= series.bars.size() || !series.bars[i].present) return;
    page.SetFill(c);
    page.FillStrokeRect(chart::kLeft, y,
                        GlucoseX(series.bars[i].value, ctx.unitMgdl) - chart::kLeft, 30);
  };
  for (size_t i = 0; i < names.size(); ++i) {
    bar(set.before, i, beforeTop - spacing * i, kBeforeBar);
    bar(set.after, i, beforeTop - 30 - spacing * i, kAfterBar);
  }
  page.SetFontSize(10);
  // Each caption has the room of its category, less a margin.
  for (size_t i = 0; i < names.size(); ++i)
    page.TurnedFitText(66, captionTop - spacing * i, LookupText(names[i]), spacing - 8);  // dynamic text
}

}  // namespace

void WriteTrendPdf(PdfDocument& doc, const ReportContext& ctx, const TrendSet& set) {
  PdfPage page = StartGlucoseChart(doc, ctx);
  for (int i = 0; i < 16; ++i) DrawAcrossLine(page, chart::kTop - 49 * i + 24.5f);
  DrawPointLegend(page, kTrendMarkOutline, {1, 1, 1});
  DrawChartHeader(page, LookupText("PdfReport", "GlucoseTrend", "Glucose Trend"), ctx,
                  ChartAxis::Glucose);
  DrawGlucoseGrid(page, ctx.unitMgdl);
  DrawAxisLabels(page, set.labels, 15, chart::kTop - 10, 49);

  std::vector<std::pair<float, float>> at;
  for (const auto& p : set.points) at.emplace_back(GlucoseX(p.y, ctx.unitMgdl), TrendY(p.x));
  BeginPlotClip(page);
  page.SetLineWidth(2);
  page.SetStroke(kTrendLine);
  page.Polyline(at);
  for (const auto& [x, y] : at) DrawMark(page, x, y, kTrendMarkOutline, {1, 1, 1});
  EndPlotClip(page);
}

void WriteStandardDayPdf(PdfDocument& doc, const ReportContext& ctx, const StandardDaySet& set) {
  constexpr float kTwoHours = chart::kHeight / 12;  // 61.33 points
  PdfPage page = StartGlucoseChart(doc, ctx);
  for (int i = 0; i < 12; ++i) DrawAcrossLine(page, chart::kTop - kTwoHours * i);
  DrawPointLegend(page, kDayMarkOutline, kDayMarkFill);
  DrawChartHeader(page, LookupText("PdfReport", "StandardDay", "Standard Day"), ctx,
                  ChartAxis::Glucose);
  DrawGlucoseGrid(page, ctx.unitMgdl);
  DrawAxisLabels(page, set.labels, 12, chart::kTop + 5, kTwoHours);
  BeginPlotClip(page);
  for (const auto& p : set.points)
    DrawMark(page, GlucoseX(p.y, ctx.unitMgdl), StandardDayY(p.x), kDayMarkOutline,
             kDayMarkFill);
  EndPlotClip(page);
}

void WriteDayAveragePdf(PdfDocument& doc, const ReportContext& ctx, const AverageChartSet& set) {
  PdfPage page = StartGlucoseChart(doc, ctx);
  DrawChartHeader(page, LookupText("PdfReport", "DayAverage", "Day Average Reading"), ctx,
                  ChartAxis::Glucose);
  DrawAverageBars(page, ctx, set,
                  {TextId{"PdfReport", "Breakfast", "Breakfast"}, TextId{"PdfReport", "Lunch", "Lunch"},
                   TextId{"PdfReport", "Dinner", "Dinner"}},
                  245.3f, 664, 173, 684);
}

void WriteWeekAveragePdf(PdfDocument& doc, const ReportContext& ctx, const AverageChartSet& set) {
  PdfPage page = StartGlucoseChart(doc, ctx);
  DrawChartHeader(page, LookupText("PdfReport", "WeekAverage", "Week Average Reading"), ctx,
                  ChartAxis::Glucose);
  DrawAverageBars(page, ctx, set,
                  {TextId{"Label", "Sun", "Sun"}, TextId{"Label", "Mon", "Mon"},
                   TextId{"Label", "Tue", "Tue"}, TextId{"Label", "Wed", "Wed"},
                   TextId{"Label", "Thu", "Thu"}, TextId{"Label", "Fri", "Fri"},
                   TextId{"Label", "Sat", "Sat"}},
                  105.14f, 704, 73, 706);
}

void WriteHistogramPdf(PdfDocument& doc, const ReportContext& ctx, const HistogramSet& set) {
  constexpr float kClass = 56.61f;
  constexpr float kDivision = 45.6f;
  PdfPage page = doc.AddPage();
  DrawPlotBorder(page);
  DrawLegendBox(page, 28, 430, kHistogramBar, 420, LookupText("Label", "Number", "Number"), 120);
  DrawChartHeader(page, LookupText("PdfReport", "Histogram", "Histogram"), ctx, ChartAxis::Count);

  int most = *std::max_element(set.counts.begin(), set.counts.end());
  int step = most / 10 + 1;
  // The page has no band behind it, so the count lines are grey rather than white.
  page.SetLineWidth(0.5);
  page.SetStroke({0.6f, 0.6f, 0.6f});
  page.SetDash(true);
  for (int i = 1; i < 10; ++i)
    page.Line(chart::kLeft + kDivision * i, chart::kTop, chart::kLeft + kDivision * i, chart::kBottom);
  page.SetDash(false);
  page.SetFontSize(10);
  for (int i = 0; i <= 10; ++i)
    page.TurnedText(chart::kLeft + kDivision * i - 4, 778, std::to_string(i * step));
  for (int i = 0; i < kHistogramBars; ++i) page.TurnedText(66, 740 - kClass * i, set.barLabels[i]);

  page.SetStroke(kHistogramBar);
  page.SetFill(kHistogramBar);
  for (int i = 0; i < 13; ++i) {
    if (set.counts[i] <= 0) continue;
    float length = static_cast<float>(set.counts[i]) / step * kDivision;
    page.FillStrokeRect(chart::kLeft, 704 - kClass * i + 13, length, 20);
  }
}

}  // namespace meridane
