#include "gui/main/patient_main.h"

#include <QLabel>
#include <QPushButton>

#include "gui/main/gui_support.h"
#include "base/text_lookup.h"
#include "gui/patients/add_edit.h"
#include "gui/widgets/id_entry.h"

namespace meridane {

CPatientMain::CPatientMain(int mode, AppState& state, Prompter& prompter, PageRunner runner,
                           const ScreenMetrics& screen, QWidget* parent)
    : CPageFrame(screen, parent),
      mode_(mode),
      state_(state),
      prompter_(prompter),
      runner_(std::move(runner)),
      id_(new CIdEntry(canvas()->centred())) {
  const MainWindowPlacement placement = PlaceMainWindow(screen);
  Place(placement, placement.resolutionWarning);
  SetLeastCanvasSize(kLeastCentredPage);
  auto* title = new QLabel(mode == kIndividual
                               ? Text("Label", "Individual", "INDIVIDUAL MANAGEMENT")
                               : Text("Label", "Multiple", "MULTIPLE MANAGEMENT"),
                           canvas()->centred());
  title->setFont(UiFont(14, QFont::Bold));
  QPalette pal = title->palette();
  pal.setColor(QPalette::WindowText, QColor(0x12, 0x77, 0xB9));
  title->setPalette(pal);
  title->setGeometry(100, 160, 824, 40);
  FitTextToBox(title);
  auto* idLabel = new QLabel(Text("Label", "IDNo", "ID No. :"), canvas()->centred());
  idLabel->setFont(UiFont(11, QFont::Normal));
  idLabel->setGeometry(260, 250, 140, 34);
  FitTextToBox(idLabel);
  id_->setFont(UiFont(11, QFont::Normal));
  id_->setGeometry(400, 250, 300, 34);
  RefreshIds();

  auto button = [&](const QString& text, int row, auto slot) {
    auto* b = new QPushButton(text, canvas()->centred());
    b->setFont(UiFont(11, QFont::Bold));
    b->setGeometry(362, 320 + row * 64, 300, 48);
    b->setAutoDefault(false);
    FitTextToBox(b);
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };
  if (mode == kIndividual) {
    button(Text("Label", "Download", "Download"), 0, &CPatientMain::OnDownload);
    button(Text("Label", "ViewReport", "View Report"), 1, &CPatientMain::OnViewReport);
    button(Text("Label", "AddEdit", "Add/Edit"), 2, &CPatientMain::OnAddEdit);
  } else {
    button(Text("Label", "DownloadData", "Download Data"), 0, &CPatientMain::OnDownloadData);
    button(Text("Label", "QuickView", "Quick View"), 1, &CPatientMain::OnQuickView);
  }
  auto* home = new QPushButton(Text("Label", "Home", "Home"), canvas()->centred());
  home->setGeometry(884, 640, 100, 36);
  home->setAutoDefault(false);
  FitTextToBox(home);
  connect(home, &QPushButton::clicked, this, &CPatientMain::OnHome);
}

void CPatientMain::RefreshIds() {
  QStringList ids;
  if (auto db = OpenDatabaseOrTell(prompter_))
    for (const auto& id : ListPatientIds(*db)) ids << QString::fromStdString(id);
  id_->SetIds(ids);
}

std::string CPatientMain::EnteredId() const { return id_->text().trimmed().toStdString(); }

bool CPatientMain::RequireExisting(std::optional<Database>& db, const std::string& id) {
  if (!db) return false;  // the failed open has been told already
  if (PatientIdExists(*db, id)) return true;
  prompter_.Confirm(LookupText("ErrMsg", "IdMsg", "This user's ID is NOT existed."),
                    PromptButtons::OkCancel, WarningCaption());
  return false;
}

void CPatientMain::OnDownload() {
  std::string id = EnteredId();
  if (id.empty()) {
    // The download finds the patient by the meter's serial number.
    state_.current.Clear();
    done(kResultDownload);
    return;
  }
  auto db = OpenDatabaseOrTell(prompter_);
  if (!RequireExisting(db, id)) return;
  state_.current.IDNo = id;
  done(kResultDownload);
}

void CPatientMain::OnViewReport() {
  std::string id = EnteredId();
  if (id.empty()) {
    prompter_.Message(LookupText("ErrMsg", "SelMsg", "Please select a patient or enter a user's ID."),
                      WarningCaption());
    return;
  }
  auto db = OpenDatabaseOrTell(prompter_);
  if (!RequireExisting(db, id)) return;
  LoadPatient(*db, id, state_.current);
  done(kResultViewReport);
}

void CPatientMain::OnAddEdit() {
  std::string id = EnteredId();
  bool edit = false;
  if (!id.empty()) {
    auto db = OpenDatabaseOrTell(prompter_);
    if (!RequireExisting(db, id)) return;
    LoadPatient(*db, id, state_.current);
    edit = true;
  } else {
    state_.current.Clear();
  }
  CAddEdit form(edit, state_, prompter_, runner_, this);
  int r = runner_(form);
  RefreshIds();
  if (r == QDialog::Accepted) done(kResultViewReport);
}

}  // namespace meridane
