#pragma once
// The process-wide state the main window owns and the pages share.
#include <functional>
#include <optional>

#include "download/clinic_download.h"
#include "reports/quick_view.h"
#include "reports/report_period.h"
#include "reports/statistics.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"
#include "store/patient_store.h"

class QDialog;

namespace meridane {

enum PageResult {
  kNoAction = 0,
  kResultDownload = 1,
  kResultViewReport = 2,
  kResultClinicDownload = 3,
  kResultQuickView = 4,
  kResultLeave = 5,
};

enum ManagementMode { kIndividual = 0, kMultiple = 1 };

struct AppState {
  CPatientProfile current;
  ProfileEditorState editor;  // the staging copy and what the editor confirmed
  ReadingTable readings;
  bool editMode = false;
  bool dataChanged = false;
  int managementMode = kIndividual;
  int pageResult = kNoAction;

  // The report on show and its period: what the report page draws and what Save PDF and
  // Print produce.
  int reportType = kReportLogBook;
  int periodEntry = 0;  // the period list: 0 "Latest 7 days" … 4 "Latest 90 days"
  ReportPeriod period;
  // Thresholds, unit, unit caption and value axis of the current patient's reports.
  ReportTargets targets;
  // The clinic lists on show: the Multiple Download rows as listed, and the quick view with
  // its patient selection. Save PDF and Print produce types 9 and 10 from these.
  std::vector<MultipleDownloadRow> multipleDownloadRows;
  std::vector<SelectionRow> quickViewSelection;
  QuickViewSet quickView;
  // Pinned by tests, screenshots and benchmarks; the calendar day otherwise.
  std::optional<Date> fixedToday;

  Date today() const { return fixedToday ? *fixedToday : Today(); }
  // After the patient's profile is (re)loaded.
  void ReloadReportTargets() { targets = LoadReportTargets(current); }
  // After the readings are (re)loaded or the period list changes: the newest reading's day
  // and the entry's days before it.
  void ResetReportPeriod() { period = DefaultPeriod(readings, periodEntry, today()); }
};

// Runs a page modally and returns its result code; tests drive the page instead.
using PageRunner = std::function<int(QDialog&)>;
PageRunner ModalRunner();

}  // namespace meridane
