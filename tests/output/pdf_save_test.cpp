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
  EXPECT_EQ(PdfPathFor("/tmp/report.pdf"), "/tmp/report.PDF");
  EXPECT_EQ(PdfPathFor("/tmp/report"), "/tmp/report.PDF");
  EXPECT_EQ(PdfPathFor("/tmp/a.b.c"), "/tmp/a.b.PDF");
  // A dot in a folder name is no extension: cutting there would write into another folder.
  EXPECT_EQ(PdfPathFor("/home/ann.lee/report"), "/home/ann.lee/report.PDF");
  EXPECT_EQ(PdfPathFor("./report"), "./report.PDF");
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
  EXPECT_EQ(res.path, dir.Path("book.PDF"));
  EXPECT_EQ(viewer.opened, std::vector<std::string>{res.path});
  EXPECT_TRUE(prompter.asked().empty());
  EXPECT_TRUE(out.str().empty());
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
  EXPECT_TRUE(prompter.asked().empty());
  EXPECT_TRUE(viewer.opened.empty());
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
  EXPECT_TRUE(viewer.opened.empty());
  EXPECT_TRUE(out.str().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path("missing")));
}

TEST(PdfSaveFlow, DocumentsNameTheirReportPatientProgramAndDate) {
  PdfFolder dir;
  auto info = [&](const ReportModel& r) {
    return test::PdfInfo(dir.Save(r, "i.pdf"));
  };
  ReportModel r;
  r.ctx.fullName = "Ann Lee";
  r.ctx.medicalNo = "007";
  std::string book = info(r);
  EXPECT_NE(book.find("Title:           Log Book - Ann Lee (007)"), std::string::npos) << book;
  EXPECT_NE(book.find("Creator:         Meridane 4.06"), std::string::npos) << book;
  EXPECT_NE(book.find("CreationDate:"), std::string::npos) << book;
  r.type = kReportQuickView;
  EXPECT_NE(info(r).find("Title:           Multiple Quick View"), std::string::npos);
  EXPECT_EQ(info(r).find("Ann Lee"), std::string::npos);

  // With the date fixed the document is the same bytes each time.
  auto bytes = [&] {
    PdfDocument doc;
    WriteReportDocument(doc, r, DateTime{2026, 12, 7, 9, 30});
    return doc.Serialize();
  };
  EXPECT_EQ(bytes(), bytes());
}

TEST(PdfText, LatinTwoWithQuestionMarksForEverythingElse) {
  EXPECT_EQ(ToLatin2("Ann Lee"), "Ann Lee");
  EXPECT_EQ(ToLatin2("\xC5\x81\xC3\xB3\x64\xC5\xBA"), "\xA3\xF3\x64\xBC");  // Łódź
  EXPECT_EQ(ToLatin2("\xE6\x97\xA5\xE6\x9C\xAC"), "??");                    // two CJK characters
  EXPECT_EQ(ToLatin2("\xF0\x9F\x98\x80!"), "?!");                           // emoji
  EXPECT_EQ(ToLatin2("a\xFF" "b\xC3"), "a?b?");                              // malformed bytes

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
