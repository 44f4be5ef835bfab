#include "gui/main/welcome.h"

#include <QLabel>
#include <QPushButton>

#include "gui/main/book_choice.h"
#include "gui/main/gui_support.h"
#include "gui/main/patient_main.h"
#include "base/text_lookup.h"
#include "store/schema.h"

namespace meridane {

CWelcome::CWelcome(AppState& state, Prompter& prompter, PageRunner runner,
                   const ScreenMetrics& screen, QWidget* parent)
    : CPageFrame(screen, parent), state_(state), prompter_(prompter), runner_(std::move(runner)) {
  canvas()->SetShowsName(true);
  // The page is as large as the main window, so any screen too small for that scrolls;
  // the 120-DPI 800 x 600 screen always does.
  const MainWindowPlacement placement = PlaceMainWindow(screen);
  Place(placement, HomePageScrolls(screen) || placement.resolutionWarning);
  SetLeastCanvasSize(kLeastCentredPage);
  auto big = [&](const QString& text, int x) {
    auto* b = new QPushButton(text, canvas()->centred());
    b->setGeometry(x, 300, 380, 120);
    b->setFont(UiFont(14, QFont::Bold));
    b->setAutoDefault(false);
    FitTextToBox(b);
    return b;
  };
  individual_ = big(Text("Label", "Individual", "INDIVIDUAL MANAGEMENT"), 100);
  multiple_ = big(Text("Label", "Multiple", "MULTIPLE MANAGEMENT"), 544);
  auto note = [&](const QString& text, int x, int y, int w) {
    auto* l = new QLabel(text, canvas()->centred());
    l->setGeometry(x, y, w, 48);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    l->setFont(UiFont(10, QFont::Normal));
    FitTextToBox(l);
    return l;
  };
  note(Text("Label", "ChooseMode", "Please choose how the readings are managed."), 100, 220, 824);
  note(Text("Label", "IndividualNote", "One patient with a personal meter."), 100, 430, 380);
  note(Text("Label", "MultipleNote", "A clinic meter shared by many patients."), 544, 430, 380);
  auto* help = new QPushButton(Text("Label", "Help", "Help"), canvas()->centred());
  help->setGeometry(884, 640, 100, 36);
  help->setAutoDefault(false);
  FitTextToBox(help);
  connect(individual_, &QPushButton::clicked, this, [this] { OnManagement(kIndividual); });
  connect(multiple_, &QPushButton::clicked, this, [this] { OnManagement(kMultiple); });
  book_ = new QPushButton(Text("BookChoice", "Button", "Patient book..."), canvas()->centred());
  book_->setGeometry(40, 640, 220, 36);
  book_->setAutoDefault(false);
  FitTextToBox(book_);
  connect(help, &QPushButton::clicked, this, &CWelcome::OnHelp);
  connect(book_, &QPushButton::clicked, this, &CWelcome::OnBookChoice);
}

void CWelcome::OnManagement(int mode) {
  CPatientMain page(mode, state_, prompter_, runner_, screen(), this);
  int result = runner_(page);
  if (result >= kResultDownload && result <= kResultQuickView) {
    action_ = result;
    mode_ = mode;
    accept();
  }
}

void CWelcome::OnHelp() { OpenUserGuide(prompter_); }

void CWelcome::OnBookChoice() {
  CBookChoice choice(prompter_, this);
  if (runner_(choice) != QDialog::Accepted) return;
  canvas()->ShowBookInUse();
  // The new book's failure is told even when the old one's was.
  ResetDatabaseFailureNotice();
  if (auto db = OpenDatabaseOrTell(prompter_)) CreateSchema(*db);
}

void CWelcome::reject() {
  if (prompter_.Confirm(LookupText("OpMsg", "OpMsg1", "Are you sure to leave Meridane?"),
                        PromptButtons::OkCancel, WarningCaption()))
    QDialog::reject();
}

}  // namespace meridane
