#pragma once
// Saving a report as a PDF document: the path rule, one document per save, the writer of
// the report's type, the file written whole or not at all, then the viewer.
#include <functional>
#include <iostream>
#include <string>

#include "base/prompter.h"
#include "output/pdf_report.h"
#include "output/safe_file.h"

namespace meridane {

// Opens a saved PDF for the user (the window: the desktop's viewer).
class PdfViewer {
 public:
  virtual ~PdfViewer() = default;
  virtual bool Open(const std::string& path) = 0;
};

// Hands the file to xdg-open without waiting for it.
class SystemPdfViewer : public PdfViewer {
 public:
  bool Open(const std::string& path) override;
};

// The chosen name cut at the last "." of its file name, with ".PDF" appended. A dot in a
// folder name is not an extension.
std::string PdfPathFor(const std::string& chosen);

enum class PdfSaveOutcome {
  Saved,
  CreateFailed,  // "Error: cannot create a PDF or a DOC."
  LibraryError,  // the ERROR line on stdout; nothing written, nothing shown
  WriteFailed,   // "Please make sure the disk can be written."
};

struct PdfSaveResult {
  PdfSaveOutcome outcome = PdfSaveOutcome::Saved;
  std::string path;  // the path after the extension rule
};

using PdfWriter = std::function<void(PdfDocument&)>;

// The save flow after the file dialog. The viewer (may be null) is opened only when the
// file was written: after a failure an older file of that name would pass for the report.
PdfSaveResult SavePdf(const std::string& chosenPath, const PdfWriter& writer, Prompter& prompter,
                      PdfViewer* viewer, std::ostream& out = std::cout);

// The report's pages, then its document information (title, "Meridane <version>" as the
// creator, `created` as the creation date).
void WriteReportDocument(PdfDocument& doc, const ReportModel& report, const DateTime& created);

PdfSaveResult SavePdfReport(const std::string& chosenPath, const ReportModel& report,
                            Prompter& prompter, PdfViewer* viewer, std::ostream& out = std::cout);

}  // namespace meridane
