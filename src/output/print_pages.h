#pragma once
// The printed pages of the grid reports and the summary checks, laid out without a
// printer: every text and rule of every page in the printer's logical units (about a
// point each, y growing downwards from the top of the printable area). A QPainter
// renderer draws them; the layout rules are tested here.
#include <string>
#include <vector>

#include "output/report_model.h"

namespace meridane {

// Every printed report page is set in this face.
inline constexpr const char* kPrintFace = "Times New Roman";
// Rules run from their x to here.
inline constexpr float kPrintRuleEnd = 560;
// The lowest y a printed data list row may reach before it goes to the next page.
inline constexpr float kPrintPageBottom = 770;
// Day rows of a printed log book page, rows of a clinic list page.
inline constexpr int kPrintRowsPerPage = 25;

struct PrintText {
  float x = 0;
  float y = 0;  // top of the line
  float size = 8;
  std::string text;
};
struct PrintRule {
  float x = 0;
  float y = 0;
};
struct PrintPage {
  std::vector<PrintText> texts;
  std::vector<PrintRule> rules;
};
struct PrintLayout {
  std::string documentName;  // the print job's name: "Logbook" … "Multiple Quick View"
  std::vector<PrintPage> pages;
};

// The print job's name of a report type (types above 11: "Logbook").
std::string PrintDocumentName(int type);
// True for the types printed from this layout (grids and summary); the charts and the pie
// are printed by their own widgets.
bool IsLaidOutForPrint(int type);
// The pages of a grid report or the summary checks; no pages for a chart type.
PrintLayout LayOutPrint(const ReportModel& model);

// Characters of a UTF-8 text, as the page heads count them.
size_t CharacterCount(std::string_view text);
// A patient name of 16 characters or more moves the patient line left (and, printed, sets
// the log book head smaller). Shared by the PDF and the printed heads.
bool IsLongPatientName(const std::string& fullName);

}  // namespace meridane
