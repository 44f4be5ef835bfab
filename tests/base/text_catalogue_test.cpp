#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/language_choice.h"
#include "base/text_catalogue.h"
#include "base/text_lookup.h"
#include "support/env.h"
#include "support/temp_folder.h"

namespace meridane {
namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;

// A compiled catalogue as msgfmt lays one out: header, the two descriptor tables, strings.
std::string MoImage(const Texts& texts, bool bigEndian = false) {
  std::string out;
  auto word = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (bigEndian ? 24 - 8 * i : 8 * i)));
  };
  const auto n = static_cast<std::uint32_t>(texts.size());
  std::uint32_t at = 28 + 16 * n;
  for (std::uint32_t w : {0x950412deu, 0u, n, 28u, 28 + 8 * n, 0u, 0u}) word(w);
  std::string strings;
  for (bool translations : {false, true}) {
    for (const auto& [id, str] : texts) {
      const std::string& s = translations ? str : id;
      word(static_cast<std::uint32_t>(s.size()));
      word(at + static_cast<std::uint32_t>(strings.size()));
      strings += s + '\0';
    }
  }
  return out + strings;
}

const Texts kGerman{{"", "Content-Type: text/plain; charset=UTF-8\n"},
                    {"Label|Warning\x04Warning", "Achtung"},
                    {"Label|ErrMsg4\x04Printer not ready.", "Drucker nicht bereit."},
                    {"Label|ErrMsg4\x04No meter found.", "Kein Messgerät gefunden."},
                    {"Label|Later\x04Not done yet", ""},
                    {"Plain", "Schlicht"},
                    {std::string("file\0files", 10), std::string("Datei\0Dateien", 13)}};

TEST(TextCatalogue, ReadsEntriesWithAndWithoutContextInBothByteOrders) {
  for (bool big : {false, true}) {
    auto cat = TextCatalogue::Parse(MoImage(kGerman, big));
    ASSERT_TRUE(cat) << big;
    const std::vector<std::tuple<std::string, std::string, const char*>> cases{
        {"Label|Warning", "Warning", "Achtung"},
        {"Label|ErrMsg4", "No meter found.", "Kein Messgerät gefunden."},
        {"Label|ErrMsg4", "Printer not ready.", "Drucker nicht bereit."},
        {"", "Plain", "Schlicht"},
        {"", "file", "Datei"},
        {"Label|Later", "Not done yet", nullptr},  // untranslated
        {"", "Warning", nullptr},                   // the context is part of the key
        {"Other|Warning", "Warning", nullptr},
        {"", "", nullptr}};                         // the header is not a text
    for (const auto& [context, id, want] : cases) {
      const std::string* got = cat->Find(context, id);
      EXPECT_EQ(got ? *got : "(none)", want ? want : "(none)") << context << " / " << id;
    }
  }
}

TEST(TextCatalogue, DamagedFilesReadAsNoCatalogue) {
  const std::string good = MoImage(kGerman);
  // Every cut short version: the strings of the last entry lie past the end.
  for (size_t n = 0; n < good.size() - 1; ++n)
    EXPECT_FALSE(TextCatalogue::Parse(good.substr(0, n))) << "cut to " << n;
  auto patched = [&](size_t at, std::uint32_t v) {
    std::string s = good;
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  for (const std::string& bad : {patched(0, 0x12345678), patched(4, 0x20000), patched(8, 0xFFFFFFFF),
                                 patched(12, 0xFFFFFFF0), patched(16, static_cast<uint32_t>(good.size())),
                                 patched(28 + 4, 0xFFFFFFFF), patched(28 + 8 * 7, 0x7FFFFFFF)})
    EXPECT_FALSE(TextCatalogue::Parse(bad));
  EXPECT_FALSE(TextCatalogue::Load("/nonexistent/meridane.mo"));
}

TEST(LanguageChoice, TheDesktopsSettingsByGettextsRules) {
  const std::vector<std::string> shipped{"en", "de", "fr", "zh_CN"};
  using Env = std::map<std::string, std::string>;
  const std::vector<std::pair<Env, std::string>> cases{
      {{}, "en"},
      {{{"LANG", "de_DE.UTF-8"}}, "de"},
      {{{"LANG", "de_AT@euro"}}, "de"},
      {{{"LANG", "zh_CN.UTF-8"}}, "zh_CN"},
      {{{"LANG", "zh_TW.UTF-8"}}, "en"},
      {{{"LANG", "es_ES.UTF-8"}}, "en"},
      {{{"LANG", "C"}, {"LANGUAGE", "de"}}, "en"},
      {{{"LANG", "POSIX"}, {"LANGUAGE", "de"}}, "en"},
      {{{"LC_ALL", "C.UTF-8"}, {"LANG", "de_DE.UTF-8"}}, "en"},
      {{{"LC_ALL", "fr_FR.UTF-8"}, {"LANG", "de_DE.UTF-8"}}, "fr"},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_CA"}, {"LANG", "de_DE"}}, "fr"},
      {{{"LANG", "de_DE"}, {"LANGUAGE", "it:fr:de"}}, "fr"},
      {{{"LANG", "de_DE"}, {"LANGUAGE", "en_GB:fr"}}, "en"},
      {{{"LANG", "de_DE"}, {"LANGUAGE", "::it"}}, "de"}};
  for (const auto& [env, want] : cases) {
    auto read = [&env = env](const char* name) -> const char* {
      auto it = env.find(name);
      return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(DesktopLanguage(read, shipped), want) << testing::PrintToString(env);
  }
  const std::vector<std::pair<std::string, std::optional<std::string>>> named{
      {"de", "de"}, {"de_DE.UTF-8", "de"}, {"DE", "de"}, {"zh", "zh_CN"}, {"zh_cn", "zh_CN"},
      {"en_US", "en"}, {"xx", std::nullopt}, {"../de", std::nullopt}, {"", std::nullopt}};
  for (const auto& [code, want] : named) EXPECT_EQ(MatchLanguage(code, shipped), want) << code;
}

TEST(LanguageChoice, UsesTheCatalogueFolderAndRefusesUnknownLanguages) {
  test::TempFolder dir("locale");
  dir.Write("de/LC_MESSAGES/meridane.mo", MoImage(kGerman));
  dir.Write("fr/LC_MESSAGES/meridane.mo", MoImage(kGerman).substr(0, 40));
  dir.Write("it/LC_MESSAGES/other.mo", MoImage(kGerman));
  test::EnvOverride locales("MERIDANE_LOCALE_DIR", dir.root());
  EXPECT_EQ(ShippedLanguages(LocaleFolder()), (std::vector<std::string>{"en", "de", "fr"}));

  EXPECT_EQ(UseLanguage("de").error, "");
  EXPECT_EQ(LookupText("Label", "Warning", "Warning"), "Achtung");
  for (const std::string bad : {"xx", "fr"}) {
    const LanguageChoice choice = UseLanguage(bad);
    EXPECT_EQ(choice.code, "en");
    EXPECT_NE(choice.error.find("--language " + bad), std::string::npos) << choice.error;
    EXPECT_EQ(LookupText("Label", "Warning", "Warning"), "Warning");
  }
  EXPECT_NE(UseLanguage("xx").error.find("en, de, fr"), std::string::npos);
}

}  // namespace
}  // namespace meridane
