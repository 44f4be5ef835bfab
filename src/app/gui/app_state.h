#pragma once
// The process-wide state the main window owns and the pages share.
#include <array>
#include <functional>

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
  // Chart target bands in mg/dL: before meal low/high, after meal low/high.
  std::array<double, 4> targets{70, 130, 70, 180};
};

// Runs a page modally and returns its result code; tests drive the page instead.
using PageRunner = std::function<int(QDialog&)>;
PageRunner ModalRunner();

}  // namespace meridane
