#include "base/unicode_nfc.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/nfc_pairs.h"

namespace meridane {
namespace {

// Decodes UTF-8; nullopt on any malformed sequence (the text is then left alone).
std::optional<std::vector<std::uint32_t>> Decode(const std::string& s) {
  std::vector<std::uint32_t> out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (n < 0) return std::nullopt;
    std::uint32_t cp = n == 0 ? c : c & (0x3F >> n);
    for (int k = 1; k <= n; ++k) {
      if (i + k >= s.size()) return std::nullopt;
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (t & 0x3F);
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(n) + 1;
  }
  return out;
}

void Encode(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::optional<std::uint32_t> Composed(std::uint32_t base, std::uint32_t mark) {
  const auto& pairs = nfc_data::kPairs;
  auto it = std::lower_bound(std::begin(pairs), std::end(pairs), nfc_data::Pair{base, mark, 0},
                             [](const nfc_data::Pair& a, const nfc_data::Pair& b) {
                               return a.base != b.base ? a.base < b.base : a.mark < b.mark;
                             });
  if (it == std::end(pairs) || it->base != base || it->mark != mark) return std::nullopt;
  return it->composed;
}

}  // namespace

std::string ComposeText(const std::string& text) {
  // Plain ASCII (most names) is already composed.
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return text;
  auto cps = Decode(text);
  if (!cps) return text;
  std::vector<std::uint32_t> out;
  out.reserve(cps->size());
  for (std::uint32_t cp : *cps) {
    // Marks follow their letter in canonical order, so each composes with what the letter
    // has become so far (e + dot below, then + circumflex).
    if (!out.empty()) {
      if (auto c = Composed(out.back(), cp)) {
        out.back() = *c;
        continue;
      }
    }
    out.push_back(cp);
  }
  std::string result;
  result.reserve(text.size());
  for (std::uint32_t cp : out) Encode(cp, result);
  return result;
}

bool SameComposedText(const std::string& a, const std::string& b) {
  return a == b || ComposeText(a) == ComposeText(b);
}

}  // namespace meridane
