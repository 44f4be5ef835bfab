#include "gui/main/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>

#include "base/data_paths.h"
#include "gui/main/gui_support.h"
#include "gui/main/patient_main.h"
#include "gui/main/welcome.h"
#include "base/text_lookup.h"
#include "gui/download/clinic_pages.h"
#include "gui/download/window_downloads.h"
#include "reports/classification.h"
#include "gui/reports/record_detail.h"
#include "gui/reports/report_page.h"
#include "reports/statistics.h"
#include "gui/patients/add_edit.h"
#include "gui/widgets/printable_report.h"
#include "store/patient_store.h"
#include "store/reading_store.h"
#include "store/schema.h"
#include "gui/widgets/page_icons.h"
#include "gui/widgets/step_scroller.h"

namespace meridane {

namespace {

// The least canvas the header and a usable report area need.
constexpr int kLeastCanvasWidth = 760;
constexpr int kLeastCanvasHeight = 480;

struct ButtonInfo {
  TextId tooltip;
  PageIcon icon;
};
constexpr ButtonInfo kButtons[kPageButtonCount] = {
    {TextId{"Label", "Home", "Home"}, PageIcon::Home},
    {TextId{"Label", "Patients", "Patients"}, PageIcon::Patients},
    {TextId{"Label", "Profile", "Profile"}, PageIcon::Profile},
    {TextId{"Label", "Report", "Report"}, PageIcon::Report},
    {TextId{"Label", "Save PDF", "Save PDF"}, PageIcon::SavePdf},
    {TextId{"Label", "Print", "Print"}, PageIcon::Print},
    {TextId{"Label", "Import/Export", "Import/Export"}, PageIcon::ImportExport},
    {TextId{"Label", "Help", "Help"}, PageIcon::Help}};

}  // namespace

CMeridDemoXDlg::CMeridDemoXDlg(Prompter& prompter, const ScreenMetrics& screen, PageRunner runner,
                               QWidget* parent)
    : CPageFrame(screen, parent),
      prompter_(prompter),
      runner_(std::move(runner)),
      downloads_(std::make_unique<CWindowDownloads>(state_, prompter_, runner_, this)),
      output_(SystemOutputSeams(this)),
      fileChooser_(SystemFileChooser(this)) {
  patientLabel_ = new QLabel(canvas());
  unitLabel_ = new QLabel(canvas());
  area_ = new QStackedWidget(canvas());
  // Every area starts blank; the report, clinic and quick-view areas get their pages below.
  for (int i = 0; i <= kAreaQuickView; ++i) area_->addWidget(new QWidget(area_));
  reportPage_ = new CReportPage(state_, prompter_);
  // The reading detail editor opens from the log book and the data list.
  reportPage_->SetDetailEditor([this](std::size_t index) {
    return EditReadingDetails(this, state_, index, prompter_);
  });
  SetAreaPage(kAreaReport, reportPage_);
  SetAreaPage(kAreaClinic, new CMultipleDownloadPage(state_, prompter_));
  SetAreaPage(kAreaQuickView, new CQuickViewPage(state_, prompter_));
  CreatePageButtons();
  // The header keeps its height and the report area gives up room down to what its pages
  // need; only below that do scroll bars appear.
  const QSize need = area_->minimumSizeHint();
  SetLeastCanvasSize(QSize(std::max(kLeastCanvasWidth, need.width() + 44),
                           std::max(kLeastCanvasHeight, need.height() + 188)));
  canvas()->SetRelayout([this](const QSize& size) { LayOutCanvas(size); });
}

CMeridDemoXDlg::~CMeridDemoXDlg() = default;

void CMeridDemoXDlg::CreatePageButtons() {
  for (int i = 0; i < kPageButtonCount; ++i) {
    auto* b = new QPushButton(canvas());
    const QString tip = Text(kButtons[i].tooltip);  // dynamic text
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setIcon(MakePageIcon(kButtons[i].icon, 64));
    b->setAutoDefault(false);
    b->setFlat(true);
    buttons_[i] = b;
  }
  connect(buttons_[kBtnHome], &QPushButton::clicked, this, &CMeridDemoXDlg::OnHome);
  connect(buttons_[kBtnPatients], &QPushButton::clicked, this, &CMeridDemoXDlg::OnPatients);
  connect(buttons_[kBtnProfile], &QPushButton::clicked, this, &CMeridDemoXDlg::OnProfile);
  connect(buttons_[kBtnReport], &QPushButton::clicked, this, &CMeridDemoXDlg::OnReport);
  connect(buttons_[kBtnSavePdf], &QPushButton::clicked, this, &CMeridDemoXDlg::OnSavePdf);
  connect(buttons_[kBtnPrint], &QPushButton::clicked, this, &CMeridDemoXDlg::OnPrint);
  connect(buttons_[kBtnImportExport], &QPushButton::clicked, this,
          &CMeridDemoXDlg::OnImportExport);
  connect(buttons_[kBtnHelp], &QPushButton::clicked, this, &CMeridDemoXDlg::OnHelp);

  // Print Preview has no button of its own: it sits beside Print, on the Print button's
  // right-click menu and the window's, and on Ctrl+Shift+P (Ctrl+P prints).
  auto* print = new QAction(Text("Label", "PrintMenu", "&Print..."), this);
  print->setShortcut(QKeySequence::Print);
  connect(print, &QAction::triggered, this, &CMeridDemoXDlg::OnPrint);
  auto* preview = new QAction(Text("Label", "PrintPreview", "Print Pre&view..."), this);
  preview->setObjectName(QStringLiteral("printPreview"));
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  connect(preview, &QAction::triggered, this, &CMeridDemoXDlg::OnPrintPreview);
  buttons_[kBtnPrint]->addAction(print);
  buttons_[kBtnPrint]->addAction(preview);
  buttons_[kBtnPrint]->setContextMenuPolicy(Qt::ActionsContextMenu);
  addAction(print);
  addAction(preview);
  LayOutPageButtons(false);
}

void CMeridDemoXDlg::LayOutPageButtons(bool largeDpi) {
  largeDpi_ = largeDpi;
  LayOutCanvas(canvas()->size());
}

// At 1024 x 738 everything sits where it always has; a larger window keeps the page buttons
// at its right edge and gives the report area the rest of the room.
void CMeridDemoXDlg::LayOutCanvas(const QSize& canvasSize) {
  const int dx = canvasSize.width() - kCanvasWidth, dy = canvasSize.height() - kCanvasHeight;
  const int size = largeDpi_ ? 52 : 48, x0 = (largeDpi_ ? 550 : 556) + dx, y = 20, pitch = 57;
  for (int i = 0; i < kPageButtonCount; ++i) {
    buttons_[i]->setGeometry(x0 + i * pitch, y, size, size);
    buttons_[i]->setIconSize(QSize(size - 8, size - 8));
  }
  const int labelWidth = std::max(120, 430 + dx);
  patientLabel_->setGeometry(100, 30, labelWidth, 28);
  unitLabel_->setGeometry(100, 70, labelWidth, 24);
  // Both chart areas (and the report area that holds them) move with the large layout.
  if (largeDpi_) area_->setGeometry(20, 145, 980 + dx, 550 + dy);
  else area_->setGeometry(20, 150, 980 + dx, 560 + dy);
}

void CMeridDemoXDlg::Initialise() {
  // Linux windows have no system menu of their own: the entry lives in the context menu.
  auto* sep = new QAction(this);
  sep->setSeparator(true);
  auto* about = new QAction(Text("Label", "About", "&About Meridane..."), this);
  connect(about, &QAction::triggered, this, &CMeridDemoXDlg::OnAbout);
  addAction(sep);
  addAction(about);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  setWindowIcon(MakePageIcon(PageIcon::Report, 64));

  EnsureDataFolder();  // a failure shows when the database is opened

  placement_ = PlaceMainWindow(screen());
  Place(placement_, false);
  hide();
  const std::string caption = WarningCaption();
  if (placement_.dpiWarning)
    prompter_.Message(
        LookupText("ScreenMsg", "DpiMsg1", "DPI 120 can be acceptable, but the best DPI is 96."),
        caption);
  if (placement_.resolutionWarning) {
    prompter_.Message(LookupText("ScreenMsg", "ResMsg",
                                 "The best display resolution is 1024 X 768. Other resolution can "
                                 "be acceptable, but the lowest resolution is 800 X 600."),
                      caption);
    scroller()->ShowScrollBars(true);
  }
  LayOutPageButtons(placement_.largeDpiLayout);

  if (auto db = OpenDatabaseOrTell(prompter_)) CreateSchema(*db);

  patientLabel_->setFont(UiFont(10, 600));
  unitLabel_->setFont(UiFont(10, 400));
  ShowArea(kAreaEmpty);
  // The first leave after start-up always asks.
  changedMark_ = true;
}

bool CMeridDemoXDlg::EnterHomePage() {
  return RunPages(true);
}

int CMeridDemoXDlg::reportArea() const { return area_->currentIndex(); }

void CMeridDemoXDlg::SetAreaPage(ReportArea area, CAreaPage* page) {
  QWidget* old = area_->widget(area);
  const bool current = area_->currentIndex() == area;
  area_->insertWidget(area, page);
  area_->removeWidget(old);
  old->deleteLater();
  if (current) area_->setCurrentIndex(area);
}

CAreaPage* CMeridDemoXDlg::areaPage(ReportArea area) const {
  return qobject_cast<CAreaPage*>(area_->widget(area));
}

void CMeridDemoXDlg::ShowArea(ReportArea area) {
  // Leaving the clinic list for any other view files its readings, without a question.
  if (area != kAreaClinic && downloads_->clinicPending()) downloads_->StorePendingClinic();
  area_->setCurrentIndex(area);
  if (CAreaPage* page = areaPage(area)) page->Refresh();
}

void CMeridDemoXDlg::SavePendingEdits() {
  if (state_.current.IDNo.empty() || state_.readings.count() == 0) return;
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return;
  const PatientCheck check = SaveReadingEdits(*db, state_.current, state_.readings);
  if (check != PatientCheck::ChangedElsewhere && check != PatientCheck::Deleted) return;
  // Another desk saved or deleted the patient: say so and show what the book holds now.
  TellPatientCheck(prompter_, check, state_.current.fullName);
  const std::string id = state_.current.IDNo;
  if (check == PatientCheck::Deleted || !LoadPatient(*db, id, state_.current)) {
    state_.current.Clear();
    state_.readings.Clear();
    return;
  }
  LoadReadings(*db, state_.current, state_.readings, &ClassifyReadingSlot);
}

void CMeridDemoXDlg::LeaveFor(bool home) {
  if (!clinicView_ && (changedMark_ || state_.dataChanged)) {
    if (prompter_.Confirm(LookupText("ScreenMsg", "DpiMsg2",
                                     "Do you want to save data and leave this page?"),
                          PromptButtons::YesNo, WarningCaption()))
      SavePendingEdits();
  }
  changedMark_ = false;
  state_.dataChanged = false;
  if (!RunPages(home)) {
    exitMark_ = true;
    emit ExitRequested();
    close();
  }
}

bool CMeridDemoXDlg::RunPages(bool home) {
  hide();
  scroller()->ResetPositions();
  clinicView_ = false;
  ShowArea(kAreaEmpty);
  state_.current.Clear();
  state_.readings.Clear();
  if (!home) {
    CPatientMain page(state_.managementMode, state_, prompter_, runner_, screen(), this);
    int r = runner_(page);
    if (r >= kResultDownload && r <= kResultQuickView) {
      ActOn(r, state_.managementMode);
      return true;
    }
    state_.current.Clear();
  }
  CWelcome welcome(state_, prompter_, runner_, screen(), this);
  if (runner_(welcome) != QDialog::Accepted) return false;
  ActOn(welcome.action(), welcome.mode());
  return true;
}

void CMeridDemoXDlg::ActOn(int result, int mode) {
  state_.pageResult = result;
  state_.managementMode = mode;
  show();
  raise();
  activateWindow();
  switch (result) {
    case kResultDownload:
      RunDownload();
      break;
    case kResultViewReport:
      LoadCurrentPatient();
      ShowArea(kAreaReport);
      break;
    case kResultClinicDownload:
      clinicView_ = true;
      RunClinicDownload();
      break;
    case kResultQuickView:
      clinicView_ = true;
      ShowArea(kAreaQuickView);
      break;
    default:
      break;
  }
  ShowPatient();
}

void CMeridDemoXDlg::RunDownload() {
  downloads_->RunSingle();
  // The stored readings, new ones included, sorted and classified as every view expects,
  // shown in the log book over the period that ends with the newest of them.
  LoadCurrentPatient();
  state_.reportType = kReportLogBook;
  ShowArea(kAreaReport);
}

void CMeridDemoXDlg::RunClinicDownload() {
  for (QPushButton* b : buttons_) b->setEnabled(false);
  downloads_->RunClinic();
  for (QPushButton* b : buttons_) b->setEnabled(true);
  ShowArea(kAreaClinic);
}

void CMeridDemoXDlg::LoadCurrentPatient() {
  state_.readings.Clear();
  if (state_.current.IDNo.empty()) return;
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return;
  const std::string id = state_.current.IDNo;
  LoadPatient(*db, id, state_.current);
  LoadReadings(*db, state_.current, state_.readings, &ClassifyReadingSlot);
  state_.ReloadReportTargets();
  state_.ResetReportPeriod();
}

void CMeridDemoXDlg::ShowPatient() {
  const CPatientProfile& p = state_.current;
  if (p.fullName.empty()) {
    patientLabel_->clear();
  } else {
    patientLabel_->setText(QStringLiteral("%1 (%2)").arg(
        QString::fromStdString(p.fullName),
        p.medicalNo.empty() ? QStringLiteral("---") : QString::fromStdString(p.medicalNo)));
  }
  // The thresholds never stay those of a previous patient.
  state_.ReloadReportTargets();
  unitLabel_->setText(QString::fromStdString(state_.targets.unitCaption));
}

void CMeridDemoXDlg::OnProfile() {
  bool edit = !state_.current.IDNo.empty() || !state_.current.fullName.empty();
  if (!edit) state_.current.Clear();
  {
    CAddEdit form(edit, state_, prompter_, runner_, this);
    runner_(form);
  }
  if (!state_.current.IDNo.empty()) {
    if (auto db = OpenDatabaseOrTell(prompter_)) {
      const std::string id = state_.current.IDNo;
      LoadPatient(*db, id, state_.current);
    }
  } else if (reportArea() == kAreaReport) {
    ShowArea(kAreaEmpty);  // the patient was deleted
  }
  ShowPatient();
  if (reportArea() == kAreaReport) ShowArea(kAreaReport);
}

void CMeridDemoXDlg::OnReport() {
  ShowArea(state_.managementMode == kMultiple ? kAreaQuickView : kAreaReport);
  clinicView_ = state_.managementMode == kMultiple;
}

std::optional<ReportModel> CMeridDemoXDlg::ShownReport() const {
  switch (reportArea()) {
    case kAreaClinic:
      return MultipleDownloadModel(state_.multipleDownloadRows, state_.period);
    case kAreaQuickView:
      return QuickViewModel(state_.quickView, state_.period);
    case kAreaReport:
      if (state_.current.fullName.empty()) return std::nullopt;
      return BuildReportModel(state_.reportType, state_.current, state_.readings, state_.period,
                              state_.targets, state_.today());
    default:
      return std::nullopt;
  }
}

namespace {

std::string NoReportText() {
  return LookupText("OutMsg", "NoReport", "Please show a report first.");
}

// The chart or pie on show, which prints itself.
CPrintableReport* ShownChart(CAreaPage* page) { return page ? page->shownReport() : nullptr; }

void PreparePrinter(QPrinter& printer, const ReportModel& model) {
  printer.setDocName(QString::fromStdString(PrintDocumentName(model.type)));
  // Grid pages and the summary are portrait; the charts are wider than high.
  printer.setPageOrientation(IsLaidOutForPrint(model.type) ? QPageLayout::Portrait
                                                           : QPageLayout::Landscape);
}

}  // namespace

void CMeridDemoXDlg::OnSavePdf() {
  const auto model = ShownReport();
  if (!model) return prompter_.Message(NoReportText(), WarningCaption());
  const QString chosen = output_.askPdfPath ? output_.askPdfPath() : QString();
  if (chosen.isEmpty()) return;
  SavePdfReport(chosen.toStdString(), *model, prompter_, output_.viewer.get());
}

std::optional<ReportModel> CMeridDemoXDlg::PrintableReport(CPrintableReport*& chart) {
  auto model = ShownReport();
  chart = ShownChart(areaPage(static_cast<ReportArea>(reportArea())));
  if (!model || (!IsLaidOutForPrint(model->type) && !chart)) {
    prompter_.Message(NoReportText(), WarningCaption());
    return std::nullopt;
  }
  return model;
}

void CMeridDemoXDlg::OnPrint() {
  CPrintableReport* chart = nullptr;
  const auto model = PrintableReport(chart);
  if (!model) return;
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer, *model);
  if (!output_.printDialog || !output_.printDialog(printer)) return;
  PrintReport(printer, *model, chart);
}

void CMeridDemoXDlg::OnPrintPreview() {
  CPrintableReport* chart = nullptr;
  const auto model = PrintableReport(chart);
  if (!model) return;
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer, *model);
  QPrintPreviewDialog preview(&printer, this);
  preview.setWindowTitle(Text("Label", "PrintPreviewTitle", "Print Preview"));
  const ReportModel shown = *model;
  connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
          [&shown, chart](QPrinter* p) { PrintReport(*p, shown, chart); });
  preview.resize(900, 700);
  runner_(preview);
}

void CMeridDemoXDlg::OnImportExport() {
  if (state_.managementMode == kIndividual && state_.dataChanged) {
    if (prompter_.Confirm(LookupText("ScreenMsg", "DpiMsg3",
                                     "Do you want to save data before leave this page?"),
                          PromptButtons::YesNo, WarningCaption())) {
      SavePendingEdits();
      state_.dataChanged = false;
    } else {
      LoadCurrentPatient();  // drops the unsaved edits
    }
  }
  CInOut page(prompter_, fileChooser_, this);
  runner_(page);
  if (page.ioFile()->dataChanged() && !state_.current.IDNo.empty()) {
    LoadCurrentPatient();
    ShowPatient();
    if (reportArea() == kAreaReport) ShowArea(kAreaReport);
  }
}

void CMeridDemoXDlg::OnHelp() { OpenUserGuide(prompter_); }

void CMeridDemoXDlg::OnAbout() {
  QMessageBox box(QMessageBox::Information, Text("Label", "AboutTitle", "About Meridane"),
                  QStringLiteral("Meridane %1\n\n%2")
                      .arg(QString::fromLatin1(kVersionText),
                           Text("Label", "AboutText",
                                "Blood glucose records, reports and meter downloads for people "
                                "with diabetes and their clinics.")),
                  QMessageBox::Ok, this);
  runner_(box);
}

void CMeridDemoXDlg::closeEvent(QCloseEvent* e) {
  if (!exitMark_) {
    if (prompter_.Confirm(LookupText("ScreenMsg", "DpiMsg2",
                                     "Do you want to save data and leave Meridane?"),
                          PromptButtons::YesNo, WarningCaption())) {
      SavePendingEdits();
      downloads_->StorePendingClinic();  // before the reading table is cleared
    } else {
      downloads_->DropPendingClinic();
    }
    exitMark_ = true;
    emit ExitRequested();
  }
  e->accept();
}

}  // namespace meridane
