#pragma once
// The report page of individual management: the report list, the period list, the two
// date pickers and the view of the chosen report, redrawn from AppState.
#include <QPointer>
#include <functional>

#include "gui/main/app_state.h"
#include "gui/main/area_page.h"
#include "base/prompter.h"

class QComboBox;
class QDateEdit;
class QScrollArea;
class QStackedWidget;

namespace meridane {

class CPieView;
class CProfileView;
class CReportGrid;
class CSummaryChecks;
class CValueChart;

class CReportPage : public CAreaPage {
  Q_OBJECT
 public:
  CReportPage(AppState& state, Prompter& prompter, QWidget* parent = nullptr);

  // Opens the detail editor on a reading (index into AppState::readings); true when the
  // reading was changed, after which the report is redrawn.
  using DetailEditor = std::function<bool(std::size_t readingIndex)>;
  void SetDetailEditor(DetailEditor editor) { detailEditor_ = std::move(editor); }

  void Refresh() override;
  CPrintableReport* shownReport() override;

  QComboBox* reportList() const { return reportList_; }
  QComboBox* periodList() const { return periodList_; }
  QDateEdit* fromPicker() const { return from_; }
  QDateEdit* toPicker() const { return to_; }
  // The views (created on first use).
  CReportGrid* grid();
  CValueChart* chart(int reportType);
  CPieView* pies();
  CSummaryChecks* summary();
  CProfileView* profile();
  QWidget* currentView() const;

 public slots:
  void OnReportChosen(int type);
  void OnPeriodChosen(int entry);
  void OnDatesPicked();

 private:
  void ShowPeriodInPickers();
  // A view in a frameless scroll area of its own, added to the stack.
  QScrollArea* AddScrolled(QWidget* view);
  void Redraw();

  AppState& state_;
  Prompter& prompter_;
  DetailEditor detailEditor_ = [](std::size_t) { return false; };
  QComboBox* reportList_;
  QComboBox* periodList_;
  QDateEdit* from_;
  QDateEdit* to_;
  QStackedWidget* views_;
  CReportGrid* grid_ = nullptr;
  CValueChart* charts_[kReportTypeCount] = {};
  CPieView* pies_ = nullptr;
  CProfileView* profile_ = nullptr;
  QScrollArea* profileScroll_ = nullptr;
  CSummaryChecks* summary_ = nullptr;
  QScrollArea* summaryScroll_ = nullptr;
};

}  // namespace meridane
