#pragma once
// Shared set-up for the window tests: a private data folder, a scripted prompter, and a
// page runner that hands each modal page to the test instead of running it.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <vector>

#include "base/data_paths.h"
#include "base/prompter.h"
#include "gui/main/app_state.h"
#include "gui/main/gui_support.h"
#include "gui/main/main_window.h"
#include "gui/main/patient_main.h"
#include "gui/main/welcome.h"
#include "gui/patients/add_edit.h"
#include "gui/widgets/id_entry.h"
#include "gui/widgets/report_grid.h"
#include "gui_test_registry.h"
#include "reports/classification.h"
#include "store/gluco_reading.h"
#include "store/patient_store.h"
#include "store/reading_store.h"
#include "store/schema.h"
#include "support/book.h"
#include "support/temp_folder.h"

// The texts a prompter was asked, in order.
using Texts = std::vector<std::string>;

namespace meridane::test {

// A fresh data folder with the schema, replaced for each test.
class DataFolder {
 public:
  DataFolder() {
    ResetDatabaseFailureNotice();
    FreshDatabase();
  }
  QString path() const { return QString::fromStdString(tmp_.root()); }

 private:
  TempFolder tmp_{"gui"};
  DataFolderOverride override_{tmp_.root()};
};

// Stores a patient through the form's own save, answering Yes.
inline void AddPatient(const std::string& name, const std::string& id,
                       const std::string& medicalNo = "", const std::string& meterSN = "") {
  Database db = OpenPatientDatabase();
  AddPatientByForm(db, name, id, medicalNo, meterSN);
}

inline CPatientProfile StoredPatient(const std::string& id) {
  Database db = OpenPatientDatabase();
  CPatientProfile p;
  LoadPatient(db, id, p);
  return p;
}

// The stored readings of patient `id`, in the book's order.
inline std::vector<GlucoReading> StoredReadings(const std::string& id) {
  Database db = OpenPatientDatabase();
  ReadingTable t;
  LoadReadings(db, StoredPatient(id), t);
  return t.entries;
}

// Makes stored patient `id` the current one with its readings, targets and default period.
inline bool OpenPatient(AppState& s, const std::string& id) {
  Database db = OpenPatientDatabase();
  s.current.Clear();
  if (!LoadPatient(db, id, s.current)) return false;
  LoadReadings(db, s.current, s.readings, &ClassifyReadingSlot);
  s.ReloadReportTargets();
  s.ResetReportPeriod();
  return true;
}

// Fills the data folder with the command line's demo patients: DEMO-001 (mg/dL, 24 hours),
// DEMO-002 (mmol/L, 12 hours, "Meal1".."Meal3"), DEMO-003.
inline bool AddDemoPatients(const QString& folder) {
  QProcess cli;
  cli.start(QStringLiteral(MERIDANE_CLI_PATH), {"--data-dir", folder, "demo"});
  return cli.waitForFinished(60000) && cli.exitStatus() == QProcess::NormalExit &&
         cli.exitCode() == 0;
}

// Double-clicks the first cell of a row as a user does; an item view opens on the
// double-click that follows a press on the same cell.
inline void DoubleClickRow(QAbstractItemView& view, int row) {
  const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
}

// Types a patient's name, ID and medical record number into the patient form.
inline void FillForm(CAddEdit& form, const QString& name, const QString& id,
                     const QString& medNo = {}) {
  form.fields().fullName->setText(name);
  form.fields().idNo->setText(id);
  form.fields().medicalNo->setText(medNo);
}

// Runs `act` on the modal dialog of kind W once it shows. A dialog the step left open (a
// failed check returns early) is closed, so a failing step cannot hang the test.
template <class W>
void WhenShown(std::function<void(W&)> act) {
  QTimer::singleShot(0, [act] {
    auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!w) return WhenShown<W>(act);
    act(*w);
    if (w->isVisible()) static_cast<QDialog*>(w)->done(QDialog::Rejected);
  });
}

// Each page met is handed to the next step in line; a page with no step left is closed
// without an action.
class PageScript {
 public:
  using Step = std::function<int(QDialog&)>;
  void Then(Step s) { steps_.push_back(std::move(s)); }
  // The home page goes to the patient page of `mode`, where `act` runs (none: the page is
  // left without an action).
  void ThenPatientPage(int mode, std::function<void(CPatientMain&)> act = {}) {
    Then([mode](QDialog& d) {
      static_cast<CWelcome&>(d).OnManagement(mode);
      return d.result();
    });
    Then([act](QDialog& d) {
      if (act) act(static_cast<CPatientMain&>(d));
      return d.result();
    });
  }
  // Home, individual management, then the report of patient `id`.
  void ThenReportOf(const char* id) {
    ThenPatientPage(kIndividual, [id](CPatientMain& p) {
      p.idEntry()->setText(id);
      p.OnViewReport();
    });
  }
  PageRunner Runner() {
    return [this](QDialog& d) {
      seen_.push_back(d.metaObject()->className());
      if (next_ >= steps_.size()) return 0;
      return steps_[next_++](d);
    };
  }
  const std::vector<std::string>& seen() const { return seen_; }
  // A step that fills the patient form with `name` and `id` and saves it.
  static Step SaveForm(const QString& name, const QString& id) {
    return [=](QDialog& d) {
      auto& form = static_cast<CAddEdit&>(d);
      FillForm(form, name, id);
      form.OnSave();
      return form.result();
    };
  }

 private:
  std::vector<Step> steps_;
  size_t next_ = 0;
  std::vector<std::string> seen_;
};

// What a page opened on its own needs.
struct PageKit {
  DataFolder folder;
  AppState state;
  ScriptedPrompter prompter;
  PageScript script;
};

// A started main window on a fresh data folder; its pages go to `script`.
struct MainWindow {
  DataFolder folder;
  ScriptedPrompter prompter;
  PageScript script;
  CMeridDemoXDlg w{prompter, {1280, 1024, 96}, script.Runner()};
  MainWindow() { w.Initialise(); }
};

}  // namespace meridane::test
