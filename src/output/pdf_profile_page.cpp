// The glucose profile as one landscape page, drawn from the shared page layout.
#include "output/pdf_report.h"
#include "output/profile_page.h"

namespace meridane {

namespace {
PdfRgb ToPdf(const Rgb& c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }
}  // namespace

void WriteGlucoseProfilePdf(PdfDocument& doc, const ReportContext& ctx,
                            const GlucoseProfileReport& set) {
  PdfPage page = doc.AddPage(true);
  const float top = page.height();
  for (const ProfileShape& s : LayOutGlucoseProfile(ctx, set).shapes) {
    switch (s.kind) {
      case ProfileShape::Kind::Rect:
        if (s.fill) {
          page.SetFill(ToPdf(*s.fill));
          page.FillRect(s.x, top - s.y - s.h, s.w, s.h);
        }
        if (s.stroke) {
          page.SetStroke(ToPdf(*s.stroke));
          page.SetLineWidth(s.lineWidth);
          page.StrokeRect(s.x, top - s.y - s.h, s.w, s.h);
        }
        break;
      case ProfileShape::Kind::Line:
        page.SetStroke(ToPdf(s.stroke.value_or(Rgb{})));
        page.SetLineWidth(s.lineWidth);
        page.Line(s.x, top - s.y, s.w, top - s.h);
        break;
      case ProfileShape::Kind::Text:
        page.SetFont(s.bold ? "Times-Bold" : "Times-Roman", s.size);
        page.FitText(s.x, top - s.y, s.text, s.maxWidth,
                     RgbValue(s.color.r, s.color.g, s.color.b));
        break;
    }
  }
}

}  // namespace meridane
