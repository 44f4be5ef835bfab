#pragma once
// Language text lookup with the semantics of GetPrivateProfileStringA and a 256-character
// buffer: section and key match case-insensitively, values are trimmed, a missing file,
// section or key yields the default, and the result is cut to 255 characters.
#include <string>
#include <string_view>

namespace meridane {

// The language file used by LookupText; empty (the default) means none, so every
// lookup yields its default.
void SetLanguageFile(std::string path);

std::string LookupText(std::string_view section, std::string_view key, std::string_view fallback);

// A text as the code names it: section, key and English default. Texts kept in tables are
// written as TextId{"Section", "Key", "Default"} with literal arguments, like every direct
// LookupText call, so the catalogue tools find each one where it is used.
struct TextId {
  const char* section;
  const char* key;
  const char* fallback;
};
inline std::string LookupText(const TextId& t) {
  return LookupText(t.section, t.key, t.fallback);  // dynamic text
}
std::string LookupTextIn(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view fallback);

}  // namespace meridane
