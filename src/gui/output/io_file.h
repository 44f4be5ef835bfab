#pragma once
// The Import/Export page: CInOut hosts CIOFile, which holds the four tabs' controls and
// runs Archive, Retrieve, Export and Import through the core.
#include <QDialog>
#include <QString>
#include <functional>

#include "gui/main/app_state.h"
#include "base/prompter.h"
#include "output/archive_runs.h"
#include "output/csv_import.h"

class QDateEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTreeWidget;

namespace meridane {

// What a browse dialog is asked for; the window answers with QFileDialog, tests with a path.
struct FileChoice {
  bool save = true;
  QString caption;
  QString defaultName;    // "Archive", "Export", "*.db"
  QString defaultSuffix;  // "CSV", "db"
  QString filter;         // "CSV (*.csv);;DB (*.db)" or "DB (*.db)"
};
using FileChooser = std::function<QString(const FileChoice&)>;  // "" when cancelled
FileChooser SystemFileChooser(QWidget* parent);

class CIOFile : public QWidget {
  Q_OBJECT
 public:
  CIOFile(Prompter& prompter, FileChooser chooser, QWidget* parent = nullptr);

  // Selects tab n (0 "Archive", 1 "Retrieve", 2 "Export", 3 "Import").
  void SetMode(int mode);
  int mode() const { return mode_; }
  // The file dialog of the mode; on OK its path is kept and shown in the edit box.
  void Browse();
  // The OK button. Returns true when the page should close.
  bool Run();
  // A run changed the patient database: the window reloads the current patient.
  bool dataChanged() const { return dataChanged_; }
  const TransferResult& lastResult() const { return last_; }

  QTabBar* tabs() const { return tabs_; }
  QTreeWidget* patientList() const { return list_; }
  QComboBox* patientChoice() const { return choice_; }
  QDateEdit* fromDate() const { return from_; }
  QDateEdit* toDate() const { return to_; }
  QLineEdit* pathEdit() const { return pathEdit_; }
  QPushButton* browseButton() const { return browse_; }
  const QString& chosenPath() const { return path_; }
  // Export: 0 CSV or archive by the file's extension, 1 FHIR R4 JSON. Import: 0 archive
  // database, 1 CSV/TSV file.
  QComboBox* formatChoice() const { return format_; }
  QComboBox* dateOrderChoice() const { return dateOrder_; }
  QComboBox* unitChoice() const { return unit_; }
  QTreeWidget* previewList() const { return preview_; }
  QLabel* previewSummary() const { return summary_; }
  // Reads the chosen CSV file and shows what an import would file, skip and refuse.
  // Returns true when the file can be filed.
  bool ShowCsvPreview();

 private:
  void FillPatients();
  TransferRequest Request() const;
  TransferResult RunInBackground(const TransferRequest& request);
  void UpdateFormatControls();
  bool csvImport() const;
  bool RunCsvImport();
  bool RunFhirExport();
  CsvImportOptions ImportOptions() const;

  Prompter& prompter_;
  FileChooser chooser_;
  int mode_ = 0;
  QString path_;  // the path chosen in the file dialog
  bool dataChanged_ = false;
  TransferResult last_;
  QTabBar* tabs_;
  QTreeWidget* list_;
  QComboBox* choice_;
  QDateEdit* from_;
  QDateEdit* to_;
  QLineEdit* pathEdit_;
  QPushButton* browse_;
  QComboBox* format_;
  QComboBox* dateOrder_;
  QComboBox* unit_;
  QPushButton* previewButton_;
  QTreeWidget* preview_;
  QLabel* summary_;
  QWidget* csvBox_;
  // The plan last shown; OK files it when the file and choices are still the same.
  CsvImportPlan plan_;
  QString planKey_;
};

class CInOut : public QDialog {
  Q_OBJECT
 public:
  CInOut(Prompter& prompter, FileChooser chooser, QWidget* parent = nullptr);
  CIOFile* ioFile() const { return io_; }
  QPushButton* okButton() const { return ok_; }

 private:
  CIOFile* io_;
  QPushButton* ok_;
};

}  // namespace meridane
