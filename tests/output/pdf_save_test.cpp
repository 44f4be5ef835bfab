// The save flow: the extension rule, the file written whole or not at all, the messages,
// and the viewer opened only for a document that was saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "output/pdf_save.h"
#include "pdf_support.h"

namespace meridane {
namespace {

using test::PdfFolder;
using test::Slurp;

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

TEST(PdfSaveFlow, SavedDocumentIsWholeAndOpenedOnce) {
  PdfFolder dir;
  ReportModel r;
  r.ctx.fullName = "Ann";
  r.logBook.rows = test::GridOf({{"11/01/2026  08:00", "120"}}).rows;
  ScriptedPrompter prompter;
  RecordingViewer viewer;
  std::ostringstream out;
  PdfSaveResult res = SavePdfReport(dir.Path("book.pdf"), r, prompter, &viewer, out);
  EXPECT_EQ(res.outcome, PdfSaveOutcome::Saved);
  EXPECT_EQ(viewer.opened, std::vector<std::string>{dir.Path("book.PDF")});
  EXPECT_TRUE(prompter.asked().empty() && out.str().empty());
  EXPECT_EQ(test::PageCount(res.path), 1);
  // No temporary file is left beside it.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path(""))) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
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
  EXPECT_EQ(Slurp(target), "older report");
}

TEST(PdfSaveFlow, UnwritableFolderWarnsAndOpensNothing) {
  PdfFolder dir;
  ScriptedPrompter prompter;
  RecordingViewer viewer;
  std::ostringstream out;
  PdfSaveResult res =
      SavePdfReport(dir.Path("missing/folder/report.pdf"), ReportModel{}, prompter, &viewer, out);
  EXPECT_EQ(res.outcome, PdfSaveOutcome::WriteFailed);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Please make sure the disk can be written."});
  EXPECT_TRUE(viewer.opened.empty() && out.str().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path("missing")));
}

TEST(PdfSaveFlow, DocumentsNameTheirReportPatientProgramAndDate) {
  PdfFolder dir;
  ReportModel r;
  r.ctx.fullName = "Ann Lee";
  r.ctx.medicalNo = "007";
  std::string path = dir.Save(r, "i.pdf");
  EXPECT_EQ(test::PdfInfoField(path, "Title"), "Log Book - Ann Lee (007)");
  EXPECT_EQ(test::PdfInfoField(path, "Creator"), "Meridane 4.06");
  EXPECT_NE(test::PdfInfoField(path, "CreationDate"), "");
  r.type = kReportQuickView;
  EXPECT_EQ(test::PdfInfo(dir.Save(r, "q.pdf")).find("Ann Lee"), std::string::npos);

  // With the date fixed the document is the same bytes each time.
  auto bytes = [&] {
    PdfDocument doc;
    WriteReportDocument(doc, r, DateTime{2026, 12, 7, 9, 30});
    return doc.Serialize();
  };
  EXPECT_EQ(bytes(), bytes());
}

TEST(PdfText, LatinTwoWithQuestionMarksForEverythingElse) {
  // Łódź, two CJK characters, an emoji, malformed bytes.
  for (auto [in, out] : {std::pair{"Ann Lee", "Ann Lee"},
                         {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xA3\xF3\x64\xBC"},
                         {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},
                         {"\xF0\x9F\x98\x80!", "?!"},
                         {"a\xFF"
                          "b\xC3",
                          "a?b?"}})
    EXPECT_EQ(ToLatin2(in), out) << in;

  // The document itself keeps every character of such a name.
  PdfFolder dir;
  ReportModel r;
  r.ctx.fullName = "\xC5\x81ucja \xE6\x97\xA5";
  r.ctx.medicalNo = "012";
  std::string text = test::PdfText(dir.Save(r));
  EXPECT_NE(text.find("Patient Name :\xC5\x81ucja \xE6\x97\xA5(012)"), std::string::npos) << text;
}

}  // namespace
}  // namespace meridane
