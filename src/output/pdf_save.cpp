#include "output/pdf_save.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/text_lookup.h"
#include "base/version.h"

extern char** environ;

namespace meridane {

std::string PdfPathFor(const std::string& chosen) {
  size_t slash = chosen.find_last_of('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = chosen.find_last_of('.');
  std::string base = (dot != std::string::npos && dot >= nameStart) ? chosen.substr(0, dot) : chosen;
  return base + ".PDF";
}

bool SystemPdfViewer::Open(const std::string& path) {
  // Double fork so the viewer outlives nothing of ours and leaves no zombie.
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    if (fork() == 0) {
      int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 1);
        dup2(null, 2);
      }
      execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

PdfSaveResult SavePdf(const std::string& chosenPath, const PdfWriter& writer, Prompter& prompter,
                      PdfViewer* viewer, std::ostream& out) {
  PdfSaveResult result;
  result.path = PdfPathFor(chosenPath);
  PdfDocument doc;
  if (!doc.created()) {
    prompter.Message(LookupText("ErrMsg", "ErrMsg8", "Error: cannot create a PDF or a DOC."));
    result.outcome = PdfSaveOutcome::CreateFailed;
    return result;
  }
  auto libraryError = [&] {
    char line[80];
    std::snprintf(line, sizeof line, "ERROR: error_no=%04X, detail_no=%u\n",
                  static_cast<unsigned>(doc.errorNo()), static_cast<unsigned>(doc.detailNo()));
    out << line << std::flush;
    result.outcome = PdfSaveOutcome::LibraryError;
    return result;
  };
  writer(doc);
  if (doc.failed()) return libraryError();
  std::vector<unsigned char> bytes = doc.Serialize();
  if (doc.failed()) return libraryError();
  if (!WriteFileWhole(result.path, bytes)) {
    prompter.Message(LookupText("ErrMsg", "ErrMsg9", "Please make sure the disk can be written."),
                     "Warning", PromptIcon::Exclamation);
    result.outcome = PdfSaveOutcome::WriteFailed;
    return result;
  }
  if (viewer) viewer->Open(result.path);
  return result;
}

void WriteReportDocument(PdfDocument& doc, const ReportModel& report, const DateTime& created) {
  WriteReportPdf(doc, report);
  // Set last, so the pages keep the object numbers they always had.
  doc.SetInfo(ReportDocumentTitle(report), std::string("Meridane ") + kVersionText, created);
}

PdfSaveResult SavePdfReport(const std::string& chosenPath, const ReportModel& report,
                            Prompter& prompter, PdfViewer* viewer, std::ostream& out) {
  return SavePdf(
      chosenPath, [&](PdfDocument& doc) { WriteReportDocument(doc, report, Now()); }, prompter,
      viewer, out);
}

}  // namespace meridane
