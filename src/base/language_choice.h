#pragma once
// Which language the program speaks: the one --language names, else the desktop's, among the
// languages whose compiled catalogue (<folder>/<code>/LC_MESSAGES/meridane.mo) is installed.
// English is the program's own language and needs no catalogue.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meridane {

// The folder of the catalogues: $MERIDANE_LOCALE_DIR when set, else share/meridane/locale of
// the installation the running program belongs to, else the build folder's locale/ (so a
// program started from a build finds the catalogues built with it).
std::string LocaleFolder();

// The languages with a catalogue in `folder`, sorted, after "en".
std::vector<std::string> ShippedLanguages(const std::string& folder);

// The catalogue file of `code` in `folder`.
std::string CataloguePath(const std::string& folder, const std::string& code);

// The language the desktop asks for, by gettext's rules: the locale is LC_ALL, else
// LC_MESSAGES, else LANG; unset, "C" or "POSIX" means English and LANGUAGE is not read;
// otherwise each entry of LANGUAGE (a colon list) and then the locale is tried as ll_CC, then
// as ll. The first one that is English or shipped wins; English when none is.
using EnvReader = std::function<const char*(const char*)>;
std::string DesktopLanguage(const EnvReader& env, const std::vector<std::string>& shipped);

// The shipped language a --language value names: "de", "de_DE", "de_DE.UTF-8", or "zh" for
// the one shipped "zh_CN"; "en" for any English; nullopt when none is shipped.
std::optional<std::string> MatchLanguage(std::string_view code,
                                         const std::vector<std::string>& shipped);

struct LanguageChoice {
  std::string code;   // the language now in use ("en" when English)
  std::string error;  // why the requested language could not be used; empty when it could
};

// Chooses the language (`requested` when not empty, else the desktop's), loads its catalogue
// and makes LookupText use it. On an error the program stays in English.
LanguageChoice UseLanguage(const std::string& requested);

// "en, de, fr" for messages.
std::string LanguageList(const std::vector<std::string>& codes);

}  // namespace meridane
