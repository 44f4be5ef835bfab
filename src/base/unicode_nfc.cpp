#include "base/unicode_nfc.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/nfc_pairs.h"
#include "base/utf8.h"

namespace meridane {
namespace {

// Decodes UTF-8; nullopt on any malformed sequence (the text is then left alone).
std::optional<std::vector<std::uint32_t>> Decode(const std::string& s) {
  std::vector<std::uint32_t> out;
  out.reserve(s.size());
  std::uint32_t cp = 0;
  for (std::size_t i = 0, n = 0; i < s.size(); i += n) {
    if ((n = Utf8DecodeAt(s, i, cp)) == 0) return std::nullopt;
    out.push_back(cp);
  }
  return out;
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
  for (std::uint32_t cp : out) AppendUtf8(result, cp);
  return result;
}

bool SameComposedText(const std::string& a, const std::string& b) {
  return a == b || ComposeText(a) == ComposeText(b);
}

}  // namespace meridane
