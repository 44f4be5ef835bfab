// Arbitrary language files: the first line of the input names a section and key, the rest
// is the file. Any lookup must yield at most 255 characters and never read out of bounds.
// The same bytes are read as a compiled catalogue too, which must never read out of bounds
// either.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/text_catalogue.h"
#include "base/text_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/meridane-fuzz-lang-" + std::to_string(getpid()) + ".ini";
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string head = text.substr(0, text.find('\n'));
  std::string section = head.substr(0, head.find('='));
  std::string key = head.find('=') == std::string::npos ? "Key" : head.substr(head.find('=') + 1);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  for (const auto& [s, k] : {std::pair{section, key}, std::pair{std::string("ErrMsg"), std::string("ErrMsg4")},
                             std::pair{std::string(""), std::string("")}}) {
    std::string v = meridane::LookupTextIn(path, s, k, "fallback");
    if (v.size() > 255) std::abort();
  }
  if (auto catalogue = meridane::TextCatalogue::Parse(text)) {
    catalogue->Find(section, key);
    catalogue->Find("", head);
  }
  return 0;
}
