#include "base/language_choice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/text_catalogue.h"

#ifndef MERIDANE_LOCALE_RELDIR
#define MERIDANE_LOCALE_RELDIR "../share/meridane/locale"
#endif
#ifndef MERIDANE_BUILD_LOCALE_DIR
#define MERIDANE_BUILD_LOCALE_DIR ""
#endif

namespace meridane {

namespace fs = std::filesystem;

namespace {
constexpr const char* kEnglish = "en";

bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

// "de_de.utf-8@euro" -> "de_DE": the charset and modifier say nothing about the catalogue.
std::string LanguageAndCountry(std::string_view name) {
  std::string s(name.substr(0, name.find_first_of(".@")));
  const size_t bar = s.find('_');
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    s[i] = static_cast<char>(i < bar ? std::tolower(c) : std::toupper(c));
  }
  return s;
}

bool IsEnglish(const std::string& ll_cc) { return ll_cc == kEnglish || ll_cc.rfind("en_", 0) == 0; }

bool Shipped(const std::vector<std::string>& shipped, const std::string& code) {
  return std::find(shipped.begin(), shipped.end(), code) != shipped.end();
}

// A locale name tried as ll_CC, then as ll.
std::optional<std::string> TryLocale(std::string_view name, const std::vector<std::string>& shipped) {
  const std::string full = LanguageAndCountry(name);
  if (full.empty()) return std::nullopt;
  if (IsEnglish(full)) return kEnglish;
  if (Shipped(shipped, full)) return full;
  const std::string ll = full.substr(0, full.find('_'));
  if (Shipped(shipped, ll)) return ll;
  return std::nullopt;
}

bool IsCLocale(std::string_view locale) {
  return locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0;
}
}  // namespace

std::string LocaleFolder() {
  if (const char* dir = std::getenv("MERIDANE_LOCALE_DIR"); dir && *dir) return dir;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path installed = (exe.parent_path() / MERIDANE_LOCALE_RELDIR).lexically_normal();
    if (IsFolder(installed)) return installed.string();
  }
  return MERIDANE_BUILD_LOCALE_DIR;
}

std::string CataloguePath(const std::string& folder, const std::string& code) {
  return (fs::path(folder) / code / "LC_MESSAGES" / "meridane.mo").string();
}

std::vector<std::string> ShippedLanguages(const std::string& folder) {
  std::vector<std::string> codes;
  std::error_code ec;
  if (!folder.empty()) {
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string code = it->path().filename().string();
      if (code != kEnglish && fs::is_regular_file(CataloguePath(folder, code), ec))
        codes.push_back(code);
    }
  }
  std::sort(codes.begin(), codes.end());
  codes.insert(codes.begin(), kEnglish);
  return codes;
}

std::string DesktopLanguage(const EnvReader& env, const std::vector<std::string>& shipped) {
  std::string_view locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = env(name);
    if (v && *v) {
      locale = v;
      break;
    }
  }
  if (IsCLocale(locale)) return kEnglish;
  if (const char* list = env("LANGUAGE")) {
    std::string_view rest = list;
    while (!rest.empty()) {
      const size_t colon = rest.find(':');
      if (auto code = TryLocale(rest.substr(0, colon), shipped)) return *code;
      rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
  }
  return TryLocale(locale, shipped).value_or(kEnglish);
}

std::optional<std::string> MatchLanguage(std::string_view code,
                                         const std::vector<std::string>& shipped) {
  if (auto found = TryLocale(code, shipped)) return found;
  // A bare language picks its one shipped country form ("zh" -> "zh_CN").
  const std::string ll = LanguageAndCountry(code);
  if (ll.empty() || ll.find('_') != std::string::npos) return std::nullopt;
  for (const std::string& s : shipped)
    if (s.rfind(ll + "_", 0) == 0) return s;
  return std::nullopt;
}

std::string LanguageList(const std::vector<std::string>& codes) {
  std::string list;
  for (const std::string& c : codes) list += (list.empty() ? "" : ", ") + c;
  return list;
}

LanguageChoice UseLanguage(const std::string& requested) {
  const std::string folder = LocaleFolder();
  const std::vector<std::string> shipped = ShippedLanguages(folder);
  LanguageChoice choice{kEnglish, ""};
  if (!requested.empty()) {
    auto code = MatchLanguage(requested, shipped);
    if (!code) {
      choice.error = "--language " + requested +
                     ": no translation for this language; the languages are " +
                     LanguageList(shipped);
      SetTextCatalogue(nullptr);
      return choice;
    }
    choice.code = *code;
  } else {
    choice.code = DesktopLanguage([](const char* name) { return std::getenv(name); }, shipped);
  }
  if (choice.code == kEnglish) {
    SetTextCatalogue(nullptr);
    return choice;
  }
  auto catalogue = TextCatalogue::Load(CataloguePath(folder, choice.code));
  if (!catalogue) {
    if (!requested.empty())
      choice.error = "--language " + requested + ": the catalogue " +
                     CataloguePath(folder, choice.code) + " cannot be read";
    choice.code = kEnglish;
    SetTextCatalogue(nullptr);
    return choice;
  }
  SetTextCatalogue(std::make_shared<const TextCatalogue>(std::move(*catalogue)));
  return choice;
}

}  // namespace meridane
