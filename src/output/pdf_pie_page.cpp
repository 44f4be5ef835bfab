// The pie chart page: A4 landscape, eight pies in a 3 x 3 grid of cells (down the first
// column, then the second and the third) and the legend in the last cell.
#include <cmath>
#include <cstdio>

#include "output/pdf_report.h"

namespace meridane {

namespace {

struct Category {
  const char* name;
  uint32_t colour;
  int PdfPieCounts::*count;
};

// Slices follow each other in this order, clockwise from straight up.
const Category kCategories[4] = {
    {"Above Target", RgbValue(51, 205, 255), &PdfPieCounts::above},
    {"Below Target", RgbValue(153, 255, 255), &PdfPieCounts::below},
    {"Within Target", RgbValue(0, 255, 153), &PdfPieCounts::within},
    {"Hypoglycemic", RgbValue(250, 102, 153), &PdfPieCounts::hypo},
};

constexpr float kRadius = 40;
constexpr float kPi = 3.14159265358979f;

void DrawPie(PdfPage& page, float cx, float cy, const PdfPieCounts& counts) {
  page.SetLineWidth(1);
  page.SetStroke({0, 0, 0});
  page.StrokeCircle(cx, cy, kRadius);
  int total = counts.total();
  if (total <= 0) return;
  float start = 0;
  for (const auto& cat : kCategories) {
    int n = counts.*cat.count;
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
    char share[16];
    std::snprintf(share, sizeof share, "%2.1f%%", n * 100.0 / total);
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

void WritePiePdf(PdfDocument& doc, const PdfReport& r) {
  static const char* kCaptions[8] = {"Overall Totals", "Before Breakfast", "After Breakfast",
                                     "Night",          "Before Lunch",     "After Lunch",
                                     "Before Dinner",  "After Dinner"};
  static const char* kMealCaptions[8] = {"Overall Totals", "Before Meal1", "After Meal1",
                                         "Night",          "Before Meal2", "After Meal2",
                                         "Before Meal3",   "After Meal3"};
  PdfPage page = doc.AddPage(true);
  float w = page.width();
  float h = page.height();
  page.SetFont("Times-Roman", 12);
  page.Text(20, h - 40,
            "Pie Chart       From " + MonthDayYear(r.ctx.from) + "     To     " +
                MonthDayYear(r.ctx.to));
  page.Text(400, h - 40, "Patient Name :" + r.ctx.fullName + "(" + r.ctx.medicalNo + ")");

  int cw = static_cast<int>((w - 40) / 3);
  int ch = static_cast<int>((h - 40) / 3);
  auto cellX = [&](int k) { return 20.0f + cw * (k / 3); };
  auto cellY = [&](int k) { return 50.0f + ch * (3 - k % 3); };
  const char** captions = r.ctx.mealEnable ? kMealCaptions : kCaptions;
  for (int i = 0; i < 8; ++i) {
    float x = cellX(i), y = cellY(i);
    std::string caption = captions[i];
    page.SetFont("Times-Bold", 12);
    page.Text(x + 110 - 2 * static_cast<float>(caption.size()), y - 90, caption);
    page.SetFont("Times-Roman", 10);
    DrawPie(page, x + 120, y - 170, r.pies[i]);
  }

  float lx = cellX(8) + 60, ly = cellY(8) - 110;
  page.SetFont("Times-Roman", 10);
  page.SetLineWidth(0.5);
  page.SetStroke({0, 0, 0});
  for (int k = 0; k < 4; ++k) {
    page.SetFill(ToPdfRgb(kCategories[k].colour));
    page.FillStrokeRect(lx, ly - 20 * k, 10, 10);
    page.Text(lx + 16, ly - 20 * k + 1, kCategories[k].name);
  }
}

}  // namespace meridane
