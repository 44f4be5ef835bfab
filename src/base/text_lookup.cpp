#include "base/text_lookup.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "base/text_catalogue.h"

namespace meridane {

namespace {
constexpr size_t kResultMax = 255;  // a 256-character buffer with its terminator

std::string& LangFile() {
  static std::string path;
  return path;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Cut(std::string_view s) { return std::string(s.substr(0, kResultMax)); }

// A value written in matching quotes loses them, as the profile API does.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The value the language file gives the key, cut like the profile API's buffer; nullopt when
// there is no file, section or key.
std::optional<std::string> FindInFile(const std::string& file, std::string_view section,
                                      std::string_view key) {
  if (file.empty()) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  bool inSection = false;
  bool firstLine = true;
  while (std::getline(in, line)) {
    std::string_view l = line;
    // Editors that save UTF-8 put a byte-order mark before the first section.
    if (firstLine && l.substr(0, 3) == "\xEF\xBB\xBF") l.remove_prefix(3);
    firstLine = false;
    l = Trim(l);
    if (l.empty() || l.front() == ';') continue;
    if (l.front() == '[') {
      size_t close = l.find(']');
      std::string_view name = Trim(l.substr(1, close == std::string_view::npos ? l.size() - 1
                                                                                : close - 1));
      inSection = EqualNoCase(name, section);
      continue;
    }
    if (!inSection) continue;
    size_t eq = l.find('=');
    if (eq == std::string_view::npos) continue;
    if (EqualNoCase(Trim(l.substr(0, eq)), key)) return Cut(Unquote(Trim(l.substr(eq + 1))));
  }
  return std::nullopt;
}

// With MERIDANE_TEXT_LOG naming a folder, every lookup is noted there (one file a process, a
// line "section<US>key<US>default" with \\ and \n escaped), so the test run can show that
// each text the program really looked up is in the catalogues — including the texts that
// pass through tables and wrappers, which no reading of the source can follow for sure.
void NoteLookup(std::string_view section, std::string_view key, std::string_view fallback) {
  static const int fd = [] {
    const char* dir = std::getenv("MERIDANE_TEXT_LOG");
    if (!dir || !*dir) return -1;
    const std::string path = std::string(dir) + "/texts-" + std::to_string(getpid()) + ".log";
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  }();
  if (fd < 0) return;
  std::string line;
  line.append(section).append("\x1f").append(key).append("\x1f");
  for (char c : fallback) {
    if (c == '\\') line += "\\\\";
    else if (c == '\n') line += "\\n";
    else line += c;
  }
  line += '\n';
  if (::write(fd, line.data(), line.size()) < 0) return;
}

}  // namespace

void SetLanguageFile(std::string path) { LangFile() = std::move(path); }

// The language file overrides everything; then the chosen language's catalogue, which tells
// the texts sharing one key apart by their English default. A translation is not cut: the
// 255-character limit belongs to the language file's buffer, and a longer translation cut
// short (perhaps inside a character) would be a wrong text.
std::string LookupText(std::string_view section, std::string_view key, std::string_view fallback) {
  NoteLookup(section, key, fallback);
  if (auto v = FindInFile(LangFile(), section, key)) return std::move(*v);
  if (auto catalogue = ActiveTextCatalogue()) {
    std::string context;
    context.reserve(section.size() + 1 + key.size());
    context.append(section).append("|").append(key);
    if (const std::string* t = catalogue->Find(context, fallback)) return *t;
  }
  return Cut(fallback);
}

std::string LookupTextIn(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view fallback) {
  if (auto v = FindInFile(file, section, key)) return std::move(*v);
  return Cut(fallback);
}

}  // namespace meridane
