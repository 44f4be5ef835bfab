#pragma once
// The clinic's multiple quick view: one row of figures per selected patient, computed
// straight from each patient's readings table.
#include <array>
#include <string>
#include <vector>

#include "reports/report_period.h"
#include "store/database.h"

namespace meridane {

// "Patient Name,190;# of Ratings,1,100;%Below Target,1,120;…" as the grid shows it.
std::string QuickViewColumnSpec();
inline constexpr int kQuickViewColumns = 8;

struct QuickViewRow {
  // Patient Name, # of Ratings, %Below Target, %Above Target, #Hypo, HbA1c,
  // Pre-meal Average, Post-meal Average. All empty for a name without a Patient row.
  std::array<std::string, kQuickViewColumns> cells;
  bool found = false;
};

struct QuickViewSet {
  std::string columnSpec;
  std::vector<QuickViewRow> rows;  // top to bottom
};

// The figures of one patient, by full name, for the period.
QuickViewRow BuildQuickViewRow(Database& db, const std::string& fullName,
                               const ReportPeriod& period);

// The selection list's first two rows, in the user's language.
std::string SelectAllText();
std::string SelectSpecialText();
struct SelectionRow {
  std::string text;
  bool checked = false;
};
// "All patients", "Special View patients", then every patient's name in reverse order of
// the Patient table; nothing checked.
std::vector<SelectionRow> PatientSelectionList(Database& db);
// Whether the patient's inquiry is marked special.
bool IsSpecialPatient(Database& db, const std::string& fullName);

// Rows for the selection: everyone under "All patients", else the special patients under
// "Special View patients", else the checked names; each new row goes on top.
QuickViewSet BuildQuickView(Database& db, const std::vector<SelectionRow>& selection,
                            const ReportPeriod& period);

}  // namespace meridane
