#pragma once
// The main window: lives for the whole process, holds the process-wide state, carries the
// eight page buttons and acts on the modal pages' results.
#include <array>
#include <memory>

#include "gui/main/app_state.h"
#include "gui/main/area_page.h"
#include "gui/main/page_frame.h"
#include "base/prompter.h"
#include "gui/output/io_file.h"
#include "gui/output/report_output.h"
#include "output/report_model.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace meridane {

class CReportPage;
class CWindowDownloads;

enum PageButton { kBtnHome, kBtnPatients, kBtnProfile, kBtnReport, kBtnSavePdf, kBtnPrint,
                  kBtnImportExport, kBtnHelp, kPageButtonCount };

// What the report area shows.
enum ReportArea { kAreaEmpty, kAreaReport, kAreaDownload, kAreaClinic, kAreaQuickView };

class CMeridDemoXDlg : public CPageFrame {
  Q_OBJECT
 public:
  CMeridDemoXDlg(Prompter& prompter, const ScreenMetrics& screen, PageRunner runner = ModalRunner(),
                 QWidget* parent = nullptr);
  ~CMeridDemoXDlg() override;

  // Start-up from the data folder to the page buttons and the schema; the window stays
  // hidden. The home page follows with EnterHomePage().
  void Initialise();
  // The home page at the end of start-up; returns false when the user left the program.
  bool EnterHomePage();

  AppState& state() { return state_; }
  const MainWindowPlacement& placement() const { return placement_; }
  QPushButton* pageButton(PageButton b) const { return buttons_[b]; }
  QLabel* patientLabel() const { return patientLabel_; }
  QLabel* unitLabel() const { return unitLabel_; }
  int reportArea() const;
  bool exitRequested() const { return exitMark_; }
  bool clinicViewShown() const { return clinicView_; }
  // The downloads of this window (their session lives as long as the process).
  CWindowDownloads& downloads() { return *downloads_; }

  // Hosts `page` in `area` in place of what was there (the window owns it from now on);
  // the page is refreshed each time the area is shown.
  void SetAreaPage(ReportArea area, CAreaPage* page);
  // The page hosted in `area`; nullptr for an area without one.
  CAreaPage* areaPage(ReportArea area) const;
  CReportPage* reportPage() const { return reportPage_; }
  // Shows `area` and refreshes its page.
  void ShowArea(ReportArea area);

  // The dialogs and viewer of Save PDF, Print and Import/Export; tests replace them.
  void SetOutputSeams(OutputSeams seams) { output_ = std::move(seams); }
  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  // The report on show as every output draws it; nullopt when no report is shown.
  std::optional<ReportModel> ShownReport() const;

 public slots:
  void OnHome() { LeaveFor(true); }
  void OnPatients() { LeaveFor(false); }
  void OnProfile();
  void OnReport();
  void OnSavePdf();
  void OnPrint();
  // The shown report in a preview window titled "Print Preview".
  void OnPrintPreview();
  void OnImportExport();
  void OnHelp();
  void OnAbout();
  // Esc closes through the same question as the close box.
  void reject() override { close(); }

 signals:
  // The user chose to end the program.
  void ExitRequested();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void CreatePageButtons();
  void LayOutPageButtons(bool largeDpi);
  void LayOutCanvas(const QSize& canvasSize);
  void LeaveFor(bool home);
  // Runs the page (home, or the patient page of the current mode) until an action comes
  // back; false when the user left the program from the home page.
  bool RunPages(bool home);
  void ActOn(int result, int mode);
  void LoadCurrentPatient();
  void SavePendingEdits();
  void ShowPatient();
  void RunDownload();
  void RunClinicDownload();
  // The shown report and its chart view when it can be printed; else tells the user.
  std::optional<ReportModel> PrintableReport(CPrintableReport*& chart);

  AppState state_;
  Prompter& prompter_;
  PageRunner runner_;
  MainWindowPlacement placement_;
  std::array<QPushButton*, kPageButtonCount> buttons_{};
  QLabel* patientLabel_ = nullptr;
  QLabel* unitLabel_ = nullptr;
  QStackedWidget* area_ = nullptr;
  CReportPage* reportPage_ = nullptr;
  bool largeDpi_ = false;
  bool changedMark_ = false;
  bool exitMark_ = false;
  bool clinicView_ = false;
  std::unique_ptr<CWindowDownloads> downloads_;
  OutputSeams output_;
  FileChooser fileChooser_;
};

}  // namespace meridane
