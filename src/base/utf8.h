#pragma once
// UTF-8 one code point at a time, for the places that must look inside text: name
// composition, the PDF's choice of font per character, the check of imported files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace meridane {

// Length of the sequence at `i` and its code point in `cp`; 0 when it is malformed or cut
// short.
inline std::size_t Utf8DecodeAt(std::string_view s, std::size_t i, std::uint32_t& cp) {
  const auto b = static_cast<unsigned char>(s[i]);
  const std::size_t len =
      b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  cp = len == 1 ? b : b & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (c & 0x3F);
  }
  return len;
}

inline bool IsValidUtf8(std::string_view s) {
  std::uint32_t cp = 0;
  for (std::size_t i = 0, n = 0; i < s.size(); i += n)
    if ((n = Utf8DecodeAt(s, i, cp)) == 0) return false;
  return true;
}

inline void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace meridane
