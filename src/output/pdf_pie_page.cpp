// The pie chart page: A4 landscape, eight pies in a 3 x 3 grid of cells (down the first
// column, then the second and the third) and the legend in the last cell.
#include <cmath>
#include <cstdio>

#include "base/text_lookup.h"
#include "output/pdf_report.h"
#include "output/print_pages.h"

namespace meridane {

namespace {

struct Category {
  TextId name;
  uint32_t colour;
  Band band;
};

// Slices follow each other in this order, clockwise from straight up.
const Category kCategories[4] = {
    {TextId{"Report", "BandAbove", "Above Target"}, RgbValue(51, 205, 255), Band::Above},
    {TextId{"Report", "BandBelow", "Below Target"}, RgbValue(153, 255, 255), Band::Below},
    {TextId{"Report", "BandWithin", "Within Target"}, RgbValue(0, 255, 153), Band::Within},
    {TextId{"Report", "BandHypo", "Hypoglycemic"}, RgbValue(250, 102, 153), Band::Hypoglycemic},
};

constexpr float kRadius = 40;
constexpr float kPi = 3.14159265358979f;

void DrawPie(PdfPage& page, float cx, float cy, const Pie& pie) {
  page.SetLineWidth(1);
  page.SetStroke({0, 0, 0});
  page.StrokeCircle(cx, cy, kRadius);
  int total = pie.total;
  if (total <= 0) return;
  float start = 0;
  for (const auto& cat : kCategories) {
    int n = pie.counts[static_cast<int>(cat.band)];
    if (n <= 0) continue;
    float end = start + n * 360.0f / total;
    page.SetFill(ToPdfRgb(cat.colour));
    page.FillSector(cx, cy, kRadius, start, end);
    if (end - 360 < start) {
      // Closing radius, from the arc's end back to the centre.
      float a = end * kPi / 180;
      page.Line(cx + kRadius * std::sin(a), cy + kRadius * std::cos(a), cx, cy);
    }
    // Share label just outside the circle at the slice's middle angle, centred on it.
    const std::string& share = pie.percentText[static_cast<int>(cat.band)];
    float mid = (start + end) / 2 * kPi / 180;
    page.SetFontSize(10);
    float w = page.TextWidth(share);
    float lx = cx + (kRadius + 16) * std::sin(mid) - w / 2;
    float ly = cy + (kRadius + 16) * std::cos(mid) - 3.5f;
    page.Text(lx, ly, share);
    start = end;
  }
}

}  // namespace

void WritePiePdf(PdfDocument& doc, const ReportContext& ctx, const PieSet& set) {
  PdfPage page = doc.AddPage(true);
  float w = page.width();
  float h = page.height();
  page.SetFont("Times-Roman", 12);
  page.FitText(20, h - 40,
               RangeTitleLine(LookupText("PdfReport", "PieChart", "Pie Chart"), ctx), 375);
  page.Text(400, h - 40, PatientNameLine(ctx));

  int cw = static_cast<int>((w - 40) / 3);
  int ch = static_cast<int>((h - 40) / 3);
  auto cellX = [&](int k) { return 20.0f + cw * (k / 3); };
  auto cellY = [&](int k) { return 50.0f + ch * (3 - k % 3); };
  for (int i = 0; i < kPieCount; ++i) {
    float x = cellX(i), y = cellY(i);
    const std::string& caption = set.pies[i].title;
    page.SetFont("Times-Bold", 12);
    page.FitText(x + 110 - 2 * static_cast<float>(CharacterCount(caption)), y - 90, caption,
                 static_cast<float>(cw) - 20);
    page.SetFont("Times-Roman", 10);
    DrawPie(page, x + 120, y - 170, set.pies[i]);
  }

  float lx = cellX(8) + 60, ly = cellY(8) - 110;
  page.SetFont("Times-Roman", 10);
  page.SetLineWidth(0.5);
  page.SetStroke({0, 0, 0});
  for (int k = 0; k < 4; ++k) {
    page.SetFill(ToPdfRgb(kCategories[k].colour));
    page.FillStrokeRect(lx, ly - 20 * k, 10, 10);
    page.Text(lx + 16, ly - 20 * k + 1, LookupText(kCategories[k].name));  // dynamic text
  }
}

}  // namespace meridane
