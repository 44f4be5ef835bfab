#pragma once
// The glucose profile page laid out once, as shapes on a landscape A4 page in points
// (842 x 595, y growing downwards from the top). The PDF writer, the window and the printer
// draw the same shapes, so the three never disagree.
#include <optional>
#include <string>
#include <vector>

#include "output/report_model.h"

namespace meridane {

inline constexpr float kProfilePageWidth = 842;
inline constexpr float kProfilePageHeight = 595;

struct ProfileShape {
  enum class Kind { Rect, Line, Text } kind = Kind::Text;
  float x = 0, y = 0;  // Rect: top left; Line: start; Text: left end of the baseline
  float w = 0, h = 0;  // Rect: size; Line: (w, h) is the end point
  std::optional<Rgb> fill{};    // Rect
  std::optional<Rgb> stroke{};  // Rect outline, Line colour
  float lineWidth = 0.5f;
  std::string text{};
  float size = 9;
  bool bold = false;
  Rgb color{};  // Text
  float maxWidth = 0;  // Text: the room it has, 0 for no limit; wider text is set smaller
};

struct ProfilePage {
  std::vector<ProfileShape> shapes;
};

ProfilePage LayOutGlucoseProfile(const ReportContext& ctx, const GlucoseProfileReport& g);

}  // namespace meridane
