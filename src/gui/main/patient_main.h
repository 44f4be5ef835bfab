#pragma once
// The patient page: an ID with completion and the actions of the management mode. Returns
// its page result (1 download, 2 view report, 3 clinic download, 4 quick view) or 0.
#include "gui/main/app_state.h"
#include "gui/main/page_frame.h"
#include <optional>

#include "base/prompter.h"
#include "store/database.h"

class QPushButton;

namespace meridane {

class CIdEntry;

class CPatientMain : public CPageFrame {
  Q_OBJECT
 public:
  CPatientMain(int mode, AppState& state, Prompter& prompter, PageRunner runner,
               const ScreenMetrics& screen, QWidget* parent = nullptr);

  CIdEntry* idEntry() const { return id_; }
  // Refills the completion list from the stored IDs.
  void RefreshIds();

 public slots:
  void OnDownload();
  void OnViewReport();
  void OnDownloadData() { done(kResultClinicDownload); }
  void OnQuickView() { done(kResultQuickView); }
  void OnAddEdit();
  void OnHome() { done(kNoAction); }

 private:
  std::string EnteredId() const;
  // The ID must exist; otherwise "This user's ID is NOT existed." and false.
  bool RequireExisting(std::optional<Database>& db, const std::string& id);

  int mode_;
  AppState& state_;
  Prompter& prompter_;
  PageRunner runner_;
  CIdEntry* id_;
};

}  // namespace meridane
