// A language file that translates every text the code looks up: files that other programs
// read keep their labels byte for byte, while the PDF heads speak the language.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "base/text_lookup.h"
#include "files_fixture.h"
#include "output/csv_export.h"
#include "pdf_support.h"

namespace meridane::test {
namespace {

// The placeholders ({name}, %s, %d) of the string literals that follow `from` one after the
// other: the English default, however many lines it spans.
std::string PlaceholdersAfter(const std::string& s, size_t from) {
  static const std::regex kLiteral(R"re(^\s*,?\s*"((?:[^"\\]|\\.)*)")re");
  static const std::regex kPlaceholder(R"re(\{\w+\}|%[sd])re");
  std::string found;
  std::smatch m;
  for (auto at = s.cbegin() + from;
       std::regex_search(at, s.cend(), m, kLiteral); at = m[0].second) {
    const std::string literal = m[1];
    for (std::sregex_iterator p(literal.begin(), literal.end(), kPlaceholder), end; p != end; ++p)
      found += " " + p->str();
  }
  return found;
}

// Every (section, key) written as a literal lookup anywhere in the sources, each given a
// translation made of Latin and Chinese letters, its key and the default's placeholders.
std::string WriteEverythingTranslated(const std::string& path) {
  const std::regex literal(
      R"re((?:LookupText|Text)\(\s*"([^"]*)",\s*"([^"]*)"|TextId\{"([^"]*)",\s*"([^"]*)")re");
  std::map<std::string, std::map<std::string, std::string>> keys;
  for (const auto& e : std::filesystem::recursive_directory_iterator(MERIDANE_SOURCE_DIR "/src")) {
    if (e.path().extension() != ".cpp" && e.path().extension() != ".h") continue;
    const std::string s = Slurp(e.path().string());
    for (std::sregex_iterator m(s.begin(), s.end(), literal), end; m != end; ++m) {
      const bool call = (*m)[1].matched;
      keys[call ? (*m)[1] : (*m)[3]][call ? (*m)[2] : (*m)[4]] +=
          PlaceholdersAfter(s, static_cast<size_t>(m->position() + m->length()));
    }
  }
  std::ofstream out(path);
  for (const auto& [section, names] : keys) {
    out << "[" << section << "]\n";
    for (const auto& [k, placeholders] : names)
      out << k << "=Übersetzt 翻译 " << k << placeholders << "\n";
  }
  return path;
}

class TranslatedTextsTest : public FilesFixture {
 protected:
  void TearDown() override { SetLanguageFile(""); }
  void Translate() { SetLanguageFile(WriteEverythingTranslated(Path("lang.ini"))); }
};

TEST_F(TranslatedTextsTest, CsvExportKeepsEveryByte) {
  AddPatient("Ann Lee", "A1", "0");
  const int idx = AddReading("A1", {2024, 7, 1, 8, 30}, 145, 1 * 256);
  AddReading("A1", {2024, 7, 2, 21, 5}, 80);
  AddDetail("A1", idx,
            {.insulin = "Rapid", .insulinAmount = 4.25, .oral = "Metformin", .oralAmount = 2,
             .exerciseHour = 1, .exerciseMinute = 5, .intensity = 1, .carbs = 60, .fats = 10,
             .carlories = 500, .proteins = 20, .comment = "fine"});
  const auto block = [&] {
    return BuildCsvBlock(db_, PatientKey{"Ann Lee", "A1"},
                         TransferPeriod::WholeDays({2024, 1, 1}, {2024, 12, 31}), {2024, 7, 9})
        .text;
  };
  const std::string english = block();
  Translate();
  ASSERT_NE(LookupText("PdfReport", "LogBook", "Log Book"), "Log Book") << "nothing translated";
  EXPECT_EQ(block(), english);
}

TEST_F(TranslatedTextsTest, PdfHeadsAreTranslatedAndKeepThePatient) {
  Translate();
  PdfFolder dir;
  const std::string text = PdfText(dir.Save(AnnsLogBook()));
  for (const char* expected : {"Übersetzt 翻译 LogBook", "Übersetzt 翻译 ColBeforeBreakfast",
                               "Übersetzt 翻译 UnitMgdl", "Ann Lee", "11/01/2026"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  EXPECT_EQ(text.find("Log Book"), std::string::npos);
}

}  // namespace
}  // namespace meridane::test
