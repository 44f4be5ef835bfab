#pragma once
// The Import/Export page: CInOut hosts CIOFile, which holds the four tabs' controls and
// runs Archive, Retrieve, Export and Import through the core.
#include <QDialog>
#include <QString>
#include <functional>

#include "gui/main/app_state.h"
#include "base/prompter.h"
#include "output/archive_runs.h"

class QDateEdit;
class QComboBox;
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

 private:
  void FillPatients();
  TransferRequest Request() const;
  TransferResult RunInBackground(const TransferRequest& request);

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
