#include "output/profile_page.h"

#include <algorithm>
#include <cmath>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "reports/summary.h"
#include "reports/text_format.h"

namespace meridane {

namespace {

constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kGrey{110, 110, 110};
constexpr Rgb kRule{170, 170, 170};
// Ranges from the lowest up: deep red, light red, green, amber, deep amber.
constexpr Rgb kRangeColors[kConsensusRanges] = {
    {176, 32, 40}, {232, 120, 110}, {64, 160, 96}, {246, 190, 80}, {214, 130, 20}};
constexpr Rgb kTargetBand{222, 240, 226};
constexpr Rgb kOuterBand{176, 200, 232};
constexpr Rgb kInnerBand{96, 140, 204};
constexpr Rgb kMedian{20, 40, 110};
constexpr Rgb kMetColor{0, 104, 55};
constexpr Rgb kMissedColor{193, 39, 45};

class Painter {
 public:
  explicit Painter(ProfilePage& page) : page_(page) {}
  void Text(float x, float y, std::string text, float size = 9, bool bold = false,
            Rgb color = kInk) {
    page_.shapes.push_back({.kind = ProfileShape::Kind::Text, .x = x, .y = y,
                            .text = std::move(text), .size = size, .bold = bold, .color = color});
  }
  void Rect(float x, float y, float w, float h, std::optional<Rgb> fill,
            std::optional<Rgb> stroke = std::nullopt) {
    page_.shapes.push_back({.kind = ProfileShape::Kind::Rect, .x = x, .y = y, .w = w, .h = h,
                            .fill = fill, .stroke = stroke});
  }
  // The text just added has `room` points: the PDF sets it smaller when it is wider.
  void Fit(float room) { page_.shapes.back().maxWidth = room; }
  void Line(float x1, float y1, float x2, float y2, Rgb color = kRule, float width = 0.5f) {
    page_.shapes.push_back({.kind = ProfileShape::Kind::Line, .x = x1, .y = y1, .w = x2, .h = y2,
                            .stroke = color, .lineWidth = width});
  }

 private:
  ProfilePage& page_;
};

// The readings-in-ranges column: one stacked bar, each range's share beside it, and the
// consensus targets below.
void DrawRanges(Painter& p, const GlucoseProfileReport& g) {
  constexpr float x = 36, top = 112, height = 230, barW = 34;
  p.Text(x, 88, g.rangesCaption, 10.5f, true);
  p.Fit(230);
  p.Rect(x, top, barW, height, std::nullopt, kInk);
  // Highest range on top; an empty period leaves the bar empty.
  float y = top;
  for (int i = kConsensusRanges - 1; i >= 0; --i) {
    const ProfileRange& r = g.ranges[i];
    const float h = g.readings > 0 ? static_cast<float>(r.percent / 100 * height) : 0;
    if (h > 0) p.Rect(x, y, barW, h, kRangeColors[i]);
    y += h;
  }
  // The labels sit at even steps, so a thin segment never hides its text.
  for (int i = kConsensusRanges - 1, row = 0; i >= 0; --i, ++row) {
    const ProfileRange& r = g.ranges[i];
    const float ly = top + 18 + row * (height - 18) / kConsensusRanges;
    p.Rect(x + barW + 10, ly - 8, 8, 8, kRangeColors[i]);
    p.Text(x + barW + 22, ly, r.label + " " + g.unit, 9);
    p.Text(x + barW + 110, ly, r.percentText, 9, true);
    p.Text(x + barW + 150, ly, Printf("(%d)", r.count), 9, false, kGrey);
  }
  p.Text(x, top + height + 16,
         FillText(LookupText("PdfReport", "ProfileCount", "{readings} readings in {days} days"),
                  {{"readings", std::to_string(g.readings)}, {"days", std::to_string(g.days)}}),
         9);
  p.Fit(230);

  float ty = top + height + 40;
  p.Text(x, ty,
         LookupText("PdfReport", "ProfileTargets", "Consensus targets, share of readings"), 10,
         true);
  p.Fit(236);
  for (const ProfileTarget& t : g.targets) {
    ty += 15;
    p.Text(x, ty, t.text, 9);
    p.Fit(122);
    p.Text(x + 126, ty, t.percentText, 9, true);
    if (g.readings > 0) {
      p.Text(x + 170, ty,
             t.met ? LookupText("PdfReport", "ProfileMet", "met")
                   : LookupText("PdfReport", "ProfileNotMet", "not met"),
             9, false, t.met ? kMetColor : kMissedColor);
      p.Fit(60);
    }
  }
}

// The day by percentiles: bands and the median over the target range, with each bin's
// count under the axis and a table of the figures below.
void DrawDay(Painter& p, const GlucoseProfileReport& g) {
  constexpr float left = 310, right = 806, top = 112, bottom = 322;
  const float binW = (right - left) / kProfileBins;
  double highest = 0;
  for (const ProfileBin& b : g.bins)
    if (b.percentiles) highest = std::max(highest, (*b.percentiles)[kProfilePercentiles - 1]);
  const double axisTop = highest <= 300 ? 300 : highest <= 400 ? 400 : 600;  // mg/dL
  auto yOf = [&](double mgdl) {
    return bottom - static_cast<float>(std::clamp(mgdl, 0.0, axisTop) / axisTop) * (bottom - top);
  };
  p.Text(left - 36, 88,
         LookupText("PdfReport", "ProfileDay",
                    "The day by percentiles (10th-90th, 25th-75th, median) by clock time"),
         10.5f, true);
  p.Fit(530);
  p.Rect(left, yOf(180), right - left, yOf(70) - yOf(180), kTargetBand);
  // Value ticks in the unit.
  const double step = g.mmol ? 2 * kMgdlPerMmol : 50;
  for (double v = 0; v <= axisTop + 0.01; v += step) {
    p.Line(left, yOf(v), right, yOf(v), {225, 225, 225});
    p.Text(left - 24, yOf(v) + 3, g.mmol ? Printf("%.0f", v / kMgdlPerMmol) : Printf("%.0f", v), 8,
           false, kGrey);
  }
  p.Text(left - 36, top - 12, g.unit, 8.5f, false, kGrey);
  for (int b = 0; b < kProfileBins; ++b) {
    const ProfileBin& bin = g.bins[b];
    const float x0 = left + b * binW;
    if (bin.percentiles) {
      const auto& q = *bin.percentiles;
      p.Rect(x0 + 6, yOf(q[4]), binW - 12, yOf(q[0]) - yOf(q[4]), kOuterBand);
      p.Rect(x0 + 14, yOf(q[3]), binW - 28, yOf(q[1]) - yOf(q[3]), kInnerBand);
    }
    p.Line(x0, bottom, x0, bottom + 4, kInk);
    p.Text(x0 + 2, bottom + 14, bin.label, 8.5f);
  }
  // The median runs across neighbouring bins that have one and breaks where a bin has not.
  for (int b = 0; b < kProfileBins; ++b) {
    const ProfileBin& bin = g.bins[b];
    if (!bin.percentiles) continue;
    const float x0 = left + b * binW, ym = yOf((*bin.percentiles)[2]);
    p.Line(x0 + 6, ym, x0 + binW - 6, ym, kMedian, 2);
    if (b + 1 < kProfileBins && g.bins[b + 1].percentiles)
      p.Line(x0 + binW - 6, ym, x0 + binW + 6, yOf((*g.bins[b + 1].percentiles)[2]), kMedian, 1);
  }
  p.Line(right, bottom, right, bottom + 4, kInk);
  p.Rect(left, top, right - left, bottom - top, std::nullopt, kInk);
  p.Text(left, top - 4,
         g.mmol ? LookupText("PdfReport", "ProfileBandMmol", "Target range 3.9-10.0 shaded")
                : LookupText("PdfReport", "ProfileBandMgdl", "Target range 70-180 shaded"),
         8, false, kGrey);
  p.Fit(490);

  // The figures of each bin.
  static const TextId kRows[] = {TextId{"PdfReport", "ProfileReadings", "Readings"},
                                 TextId{"PdfReport", "Profile90th", "90th"},
                                 TextId{"PdfReport", "Profile75th", "75th"},
                                 TextId{"PdfReport", "ProfileMedian", "Median"},
                                 TextId{"PdfReport", "Profile25th", "25th"},
                                 TextId{"PdfReport", "Profile10th", "10th"}};
  float ty = bottom + 32;
  for (int row = 0; row < 6; ++row, ty += 12) {
    p.Text(left - 48, ty, LookupText(kRows[row]), 8.5f, row == 0 || row == 3);  // dynamic text
    p.Fit(58);
    for (int b = 0; b < kProfileBins; ++b) {
      const ProfileBin& bin = g.bins[b];
      const std::string text =
          row == 0 ? Printf("%d", bin.count) : bin.texts[kProfilePercentiles - row];
      p.Text(left + b * binW + 16, ty, text, 8.5f, row == 3);
    }
  }
  p.Text(left - 48, ty + 2,
         FillText(LookupText("PdfReport", "ProfileBinNeeds",
                             "A bin needs {count} readings for percentiles."),
                  {{"count", std::to_string(kBinMinimum)}}),
         8, false, kGrey);
  p.Fit(540);
}

void DrawFigures(Painter& p, const GlucoseProfileReport& g) {
  constexpr float x = 310;
  float y = 448;
  p.Text(x - 48, y, LookupText("PdfReport", "ProfileRisk", "Variability and risk"), 10.5f, true);
  p.Fit(400);
  const std::vector<const ProfileFigure*> figures = g.Figures();
  // Two columns of four.
  for (std::size_t i = 0; i < figures.size(); ++i) {
    const ProfileFigure& f = *figures[i];
    const float cx = i < 4 ? x - 48 : x + 222;
    const float cy = y + 16 + (i % 4) * 26;
    p.Text(cx, cy, f.caption, 9);
    p.Fit(86);
    p.Text(cx + 90, cy, f.text, 9.5f, true);
    std::string note = f.value ? f.category : f.need;
    if (f.value && !f.target.empty()) note += (note.empty() ? "" : ", ") + f.target;
    if (!note.empty()) {
      p.Text(cx + 90, cy + 11, note, 8.5f, false, f.value ? kGrey : kMissedColor);
      p.Fit(176);
    }
  }
}

}  // namespace

ProfilePage LayOutGlucoseProfile(const ReportContext& ctx, const GlucoseProfileReport& g) {
  ProfilePage page;
  Painter p(page);
  p.Text(36, 44, g.title, 18, true);
  p.Fit(268);
  const std::string who =
      ctx.medicalNo.empty()
          ? FillText(LookupText("PdfReport", "ProfilePatient", "Patient: {name}"),
                     {{"name", ctx.fullName}})
          : FillText(LookupText("PdfReport", "ProfilePatientNo", "Patient: {name} ({number})"),
                     {{"name", ctx.fullName}, {"number", ctx.medicalNo}});
  p.Text(310, 36, who, 10.5f);
  p.Fit(490);
  p.Text(310, 52,
         FillText(LookupText("PdfReport", "ProfilePeriod", "From {from} to {to}    Unit: {unit}"),
                  {{"from", MonthDayYear(ctx.from)}, {"to", MonthDayYear(ctx.to)}, {"unit", g.unit}}),
         10.5f);
  p.Fit(490);
  p.Line(36, 64, 806, 64, kInk);
  DrawRanges(p, g);
  DrawDay(p, g);
  DrawFigures(p, g);
  p.Line(36, 560, 806, 560, kRule);
  p.Text(36, 574, g.limitsNote, 8.5f, false, kGrey);
  p.Fit(770);
  p.Text(36, 586,
         LookupText("PdfReport", "ProfileNote",
                    "Meter readings: shares are of readings, not of time. GMI is not given, as it "
                    "is defined for continuous sensor data."),
         8.5f, false, kGrey);
  p.Fit(770);
  return page;
}

}  // namespace meridane
