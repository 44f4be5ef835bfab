#include "base/text_fill.h"

namespace meridane {

std::string FillText(std::string_view text, std::initializer_list<TextValue> values) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find('{', i);
    if (open == std::string_view::npos) break;
    const size_t close = text.find('}', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text, i, open - i);
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const TextValue* hit = nullptr;
    for (const TextValue& v : values)
      if (v.first == name) hit = &v;
    if (hit) out += hit->second;
    else out.append(text, open, close - open + 1);
    i = close + 1;
  }
  out.append(text.substr(i));
  return out;
}

}  // namespace meridane
