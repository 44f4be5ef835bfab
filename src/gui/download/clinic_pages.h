#pragma once
// The two clinic pages the main window hosts: the Multiple Download list of the clinic
// meter's readings (filed when the page is left), and the Multiple Quick View with its
// patient selection and period.
#include "gui/main/app_state.h"
#include "gui/main/area_page.h"
#include "base/prompter.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace meridane {

class CReportGrid;

class CMultipleDownloadPage : public CAreaPage {
  Q_OBJECT
 public:
  CMultipleDownloadPage(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
  // Lists the table's readings in image order, with the names their numbers belong to.
  void Refresh() override;

  CReportGrid* grid() const { return grid_; }
  QLabel* summary() const { return summary_; }

 private:
  AppState& state_;
  Prompter& prompter_;
  QLabel* summary_;
  CReportGrid* grid_;
};

class CQuickViewPage : public CAreaPage {
  Q_OBJECT
 public:
  CQuickViewPage(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
  // Refills the selection list (checks kept by name) and the grid.
  void Refresh() override;

  QTreeWidget* selection() const { return selection_; }
  QDateEdit* from() const { return from_; }
  QDateEdit* to() const { return to_; }
  QPushButton* viewButton() const { return view_; }
  CReportGrid* grid() const { return grid_; }
  // Checks or clears the selection row with this text ("All patients", a name).
  void SetChecked(const QString& text, bool checked);

 public slots:
  // Builds the grid for the checked rows and the period.
  void OnView();

 private:
  void ReadSelection();

  AppState& state_;
  Prompter& prompter_;
  QTreeWidget* selection_;
  QDateEdit* from_;
  QDateEdit* to_;
  QPushButton* view_;
  QLabel* note_;
  CReportGrid* grid_;
  bool periodShown_ = false;
};

}  // namespace meridane
