// The save flow: the extension rule, the file written whole or not at all, the messages,
// and the viewer opened only for a document that was saved.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "output/report_model.h"
#include "pdf_support.h"

namespace meridane {
namespace {

using test::PdfFolder;

struct RecordingViewer : PdfViewer {
  std::vector<std::string> opened;
  bool Open(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
};

TEST(PdfPathRule, CutsAtTheLastDotOfTheFileNameAndAppendsUpperCasePdf) {
  // A dot in a folder name is no extension: cutting there would write into another folder.
  for (auto [in, out] : {std::pair{"/tmp/report.pdf", "/tmp/report.PDF"},
                         {"/tmp/report", "/tmp/report.PDF"},
                         {"/tmp/a.b.c", "/tmp/a.b.PDF"},
                         {"./report", "./report.PDF"},
                         {"/home/ann.lee/report", "/home/ann.lee/report.PDF"}})
    EXPECT_EQ(PdfPathFor(in), out);
}

TEST(PdfSaveFlow, LibraryErrorWritesTheErrorLineAndLeavesAnOlderFileAlone) {
  PdfFolder dir;
  std::string target = dir.Path("old.PDF");
  std::ofstream(target) << "older report";
  ScriptedPrompter prompter;
  RecordingViewer viewer;
  std::ostringstream out;
  bool afterError = false;
  PdfSaveResult res = SavePdf(
      dir.Path("old.pdf"),
      [&](PdfDocument& doc) {
        PdfPage page = doc.AddPage();
        page.SetFont("No-Such-Font", 12);
        // Drawing after the error must be harmless.
        page.Text(20, 20, "after the error");
        page.Rule(20, 20, 1, 100);
        afterError = doc.failed();
      },
      prompter, &viewer, out);
  EXPECT_TRUE(afterError);
  EXPECT_EQ(res.outcome, PdfSaveOutcome::LibraryError);
  EXPECT_TRUE(std::regex_match(out.str(), std::regex("ERROR: error_no=[0-9A-F]{4}, detail_no=[0-9]+\n")))
      << out.str();
  EXPECT_TRUE(prompter.asked().empty() && viewer.opened.empty());
  EXPECT_EQ(test::Slurp(target), "older report");
}

TEST(PdfText, LatinTwoWithQuestionMarksForEverythingElse) {
  // Łódź, two CJK characters, an emoji, malformed bytes.
  for (auto [in, out] : {std::pair{"Ann Lee", "Ann Lee"},
                         {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xA3\xF3\x64\xBC"},
                         {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},
                         {"\xF0\x9F\x98\x80!", "?!"},
                         {"a\xFF\x62\xC3", "a?b?"}})  // 0x62: "b" after a stray byte
    EXPECT_EQ(ToLatin2(in), out) << in;
}

// Names in any script reach every report document as stored; text that the standard fonts
// can set keeps them.

using test::RunCommand;

// French, Spanish, Norwegian, Greek, Russian, Chinese; the last, Polish, fits ISO8859-2.
const char* const kNames[] = {"Renée Crèvecœur", "José Muñoz",   "Åse Ødegård", "Νίκος Παππάς",
                              "Ольга Иванова",   "王芳",         "Łukasz Wąsik"};

ReportModel Report(int type, const std::string& fullName) {
  CPatientProfile patient;
  patient.fullName = fullName, patient.IDNo = "P1", patient.medicalNo = "021";
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
  struct Case { const char *fullName, *readBack; bool cjkFace; } const cases[] = {
      {kNames[4], kNames[4], false},
      {"Ann 王", "Ann 王", true},
      // A character beyond every face, and a malformed byte: a visible mark each, never "?".
      {"Ann \xF0\x9F\x98\x80 Lee \xFF", "Ann \xEF\xBF\xBD Lee \xEF\xBF\xBD", false},
  };
  PdfFolder dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readBack);
    std::string path = dir.Save(Report(kReportLogBook, c.fullName), "m.pdf");
    std::string text = test::PdfText(path, "-raw");
    EXPECT_NE(text.find(std::string("Patient Name :") + c.readBack), std::string::npos) << text;
    EXPECT_EQ(test::PdfInfoField(path, "Title"),
              std::string("Log Book - ") + c.readBack + " (021)");
    EXPECT_EQ(Fonts(path).find("WenQuanYi") != std::string::npos, c.cjkFace) << Fonts(path);
  }
  // A clinic page's document names no patient.
  ReportModel clinic = Report(kReportLogBook, "Ann Lee");
  clinic.type = kReportQuickView;
  EXPECT_EQ(test::PdfInfo(dir.Save(clinic, "q.pdf")).find("Ann Lee"), std::string::npos);
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
  EXPECT_EQ(runs[0].bytes, "\xA3?? tab");
}

// Many CJK characters are built from parts that must be embedded with them, or they read
// back as text yet show as nothing: look for ink on the rendered page.
}  // namespace
}  // namespace meridane
