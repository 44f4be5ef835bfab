#pragma once
// A page the main window hosts in one of its report areas (report page, download list,
// clinic list, quick view).
#include <QWidget>

namespace meridane {

class CPrintableReport;

class CAreaPage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  // Called each time the main window shows this area: a patient was loaded, the Report
  // button was pressed, the profile form closed, a download ended. Redraw from AppState.
  virtual void Refresh() {}
  // The report on show, for printing; nullptr when the page shows none that draws itself.
  virtual CPrintableReport* shownReport() { return nullptr; }
};

}  // namespace meridane
