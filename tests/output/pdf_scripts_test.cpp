// Names in any script reach every report document as stored; text that the standard fonts
// can set keeps them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "output/report_model.h"
#include "pdf_support.h"

namespace meridane {
namespace {

using test::PdfFolder;
using test::RunCommand;

// French, Spanish, Norwegian, Greek, Russian, Chinese; the last, Polish, fits ISO8859-2.
const char* const kNames[] = {
    "Ren\xC3\xA9" "e Cr\xC3\xA8vec\xC5\x93ur", "Jos\xC3\xA9 Mu\xC3\xB1oz",
    "\xC3\x85se \xC3\x98" "deg\xC3\xA5rd",
    "\xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82 \xCE\xA0\xCE\xB1\xCF\x80\xCF\x80\xCE\xAC\xCF\x82",
    "\xD0\x9E\xD0\xBB\xD1\x8C\xD0\xB3\xD0\xB0 \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xB0",
    "\xE7\x8E\x8B\xE8\x8A\xB3", "\xC5\x81ukasz W\xC4\x85sik"};

ReportModel Report(int type, const std::string& fullName) {
  CPatientProfile patient;
  patient.fullName = fullName;
  patient.IDNo = "P1";
  patient.medicalNo = "021";
  ReadingTable table;
  for (int day = 1; day <= 3; ++day) {
    GlucoReading& r = table.entries.emplace_back();
    r.idx = r.slot = day;
    r.at = {2026, 11, day, 8, 0};
    r.gluco = 90 + 40 * day;
  }
  return BuildReportModel(type, patient, table, ReportPeriod{{2026, 11, 1}, {2026, 11, 30}},
                          ReportTargets{}, Date{2026, 12, 6});
}

std::string Fonts(const std::string& path) { return RunCommand("pdffonts '" + path + "' 2>/dev/null"); }

TEST(PdfScripts, EveryReportTypeKeepsEveryWordOfTheName) {
  PdfFolder dir;
  for (const std::string name : kNames) {
    for (int type = kReportLogBook; type <= kReportSummary; ++type) {
      SCOPED_TRACE(name + " in report type " + std::to_string(type));
      std::string path = dir.Save(Report(type, name), "r.pdf");
      std::string text = test::PdfText(path, "-raw");
      std::istringstream words(name);
      for (std::string word; words >> word;)
        EXPECT_NE(text.find(word), std::string::npos) << word << " missing from:\n" << text;
      // Documents the standard fonts can set embed nothing, so they stay as they were.
      std::string fonts = Fonts(path);
      EXPECT_NE(fonts.find("Times-Roman"), std::string::npos) << fonts;
      EXPECT_EQ(fonts.find("CID TrueType") == std::string::npos, name == kNames[6]) << fonts;
    }
  }
}

TEST(PdfScripts, FacesAreEmbeddedOnlyForTheScriptsUsedAndMissingCharactersShowAMark) {
  struct Case {
    const char* fullName;
    const char* readBack;
    bool cjkFace;
  } const cases[] = {
      {kNames[4], kNames[4], false},
      {"Ann \xE7\x8E\x8B", "Ann \xE7\x8E\x8B", true},
      // A character beyond every face, and a malformed byte: a visible mark each, never "?".
      {"Ann \xF0\x9F\x98\x80 Lee \xFF", "Ann \xEF\xBF\xBD Lee \xEF\xBF\xBD", false},
  };
  PdfFolder dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readBack);
    std::string path = dir.Save(Report(kReportLogBook, c.fullName), "m.pdf");
    std::string text = test::PdfText(path, "-raw");
    EXPECT_NE(text.find(std::string("Patient Name :") + c.readBack), std::string::npos) << text;
    EXPECT_EQ(test::PdfInfoField(path, "Title"), std::string("Log Book - ") + c.readBack + " (021)");
    EXPECT_EQ(Fonts(path).find("WenQuanYi") != std::string::npos, c.cjkFace) << Fonts(path);
  }
}

TEST(PdfScripts, WidthsAndFallbacksOfMixedText) {
  PdfDocument doc;
  PdfPage page = doc.AddPage();
  page.SetFont("Times-Roman", 10);
  float ann = page.TextWidth("Ann");
  // The Times-compatible face gives Latin letters their Times widths; CJK ones are an em.
  EXPECT_NEAR(page.TextWidth("Ann \xC5\x93"), ann + page.TextWidth(" ") + 7.2f, 0.3f);
  EXPECT_NEAR(page.TextWidth("Ann\xE7\x8E\x8B\xE8\x8A\xB3"), ann + 20, 0.5f);
  // The page keeps its standard font for the text after.
  page.Text(10, 10, "\xE7\x8E\x8B");
  EXPECT_STREQ(HPDF_Font_GetFontName(HPDF_Page_GetCurrentFont(page.handle())), "Times-Roman");
  EXPECT_FALSE(doc.failed());

  // Without any face, the standard font still sets what it can.
  PdfDocument bare(PdfFaceChain{});
  std::vector<PdfRun> runs = bare.SplitRuns("\xC5\x81\xC3\xA8\xE7\x8E\x8B\ttab", false);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].font, nullptr);
  EXPECT_EQ(runs[0].bytes, "\xA3??" " tab");
}

// Many CJK characters are built from parts that must be embedded with them, or they read
// back as text yet show as nothing: look for ink on the rendered page.
TEST(PdfScripts, CompositeCharactersAreDrawn) {
  PdfFolder dir;
  for (const char* text : {"\xE8\x8A\xB3", "\xED\x95\x9C", "\xE8\xAA\x9E"}) {  // 芳 한 語
    SCOPED_TRACE(text);
    PdfDocument doc;
    PdfPage page = doc.AddPage();
    page.SetFont("Times-Roman", 300);
    page.Text(100, 300, text);
    std::vector<unsigned char> bytes = doc.Serialize();
    std::ofstream(dir.Path("ink.pdf"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::string pgm = RunCommand("pdftoppm -r 10 -gray '" + dir.Path("ink.pdf") + "' 2>/dev/null");
    // The image header's few bytes count too; a glyph of that size darkens hundreds.
    size_t dark = 0;
    for (char px : pgm) dark += static_cast<unsigned char>(px) < 128;
    EXPECT_GT(dark, 60u);
  }
}

}  // namespace
}  // namespace meridane
