#pragma once
// The report documents of the output tests: grids of given texts, and a folder that saves a
// report and hands the path to the readers of support/pdf_text.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/prompter.h"
#include "output/pdf_save.h"
#include "support/pdf_text.h"
#include "support/temp_folder.h"

namespace meridane::test {

// Grid rows of the given cell texts, as the report sets hold them.
inline std::vector<GridRow> RowsOf(const std::vector<std::vector<std::string>>& texts) {
  std::vector<GridRow> rows;
  for (const auto& cells : texts) {
    GridRow& row = rows.emplace_back();
    for (const auto& c : cells) row.push_back(GridCell{c, {}, {}});
  }
  return rows;
}

// An empty log book of Ann Lee (007) for November 2026.
inline ReportModel AnnsLogBook() {
  ReportModel r;
  r.type = kReportLogBook;
  r.ctx.from = {2026, 11, 1};
  r.ctx.to = {2026, 11, 30};
  r.ctx.fullName = "Ann Lee";
  r.ctx.medicalNo = "007";
  return r;
}

// A throw-away folder for the documents of one test.
class PdfFolder : public TempFolder {
 public:
  PdfFolder() : TempFolder("pdf") {}

  // Saves the report under `name` (extension rule applied) and returns the saved path.
  std::string Save(const ReportModel& report, const std::string& name = "report.pdf") const {
    ScriptedPrompter prompter;
    PdfSaveResult r = SavePdfReport(Path(name), report, prompter, nullptr);
    EXPECT_EQ(r.outcome, PdfSaveOutcome::Saved);
    EXPECT_TRUE(prompter.asked().empty());
    return r.path;
  }
};

}  // namespace meridane::test
