#include "gui/output/io_file.h"

#include <QDateEdit>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "gui/main/gui_support.h"
#include "output/archive_common.h"
#include "output/fhir_export.h"
#include "store/patient_store.h"
#include "store/database.h"

namespace meridane {

namespace {

constexpr int kKeyRole = Qt::UserRole;      // full name
constexpr int kIdRole = Qt::UserRole + 1;   // IDNo

// Messages of a run on the worker thread are kept and shown afterwards on this one.
class CollectingPrompter : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest& r) override {
    requests.push_back(r);
    return PromptAnswer::Ok;
  }
  std::vector<PromptRequest> requests;
};

}  // namespace

FileChooser SystemFileChooser(QWidget* parent) {
  return [parent](const FileChoice& c) {
    QFileDialog d(parent, c.caption, c.defaultName, c.filter);
    d.setAcceptMode(c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(c.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d.setDefaultSuffix(c.defaultSuffix);
    d.setOption(QFileDialog::DontConfirmOverwrite, !c.save);
    if (!c.save) d.selectFile(QString());
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return QString();
    return d.selectedFiles().front();
  };
}

CIOFile::CIOFile(Prompter& prompter, FileChooser chooser, QWidget* parent)
    : QWidget(parent), prompter_(prompter), chooser_(std::move(chooser)) {
  tabs_ = new QTabBar(this);
  for (const QString& t :
       {Text("Label", "Archive", "Archive"), Text("Label", "Retrieve", "Retrieve"),
        Text("Label", "Export", "Export"), Text("Label", "Import", "Import")})
    tabs_->addTab(t);
  list_ = new QTreeWidget(this);
  list_->setHeaderLabels({Text("Label", "PatientName", "Patient Name")});
  list_->setColumnWidth(0, 664);
  list_->setRootIsDecorated(false);
  choice_ = new QComboBox(this);
  choice_->setPlaceholderText(Text("Label", "ChoosePatient", "Choose a patient"));
  from_ = new QDateEdit(QDate::currentDate(), this);
  to_ = new QDateEdit(QDate::currentDate(), this);
  for (QDateEdit* d : {from_, to_}) {
    d->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
    d->setCalendarPopup(true);
  }
  pathEdit_ = new QLineEdit(this);
  browse_ = new QPushButton(Text("Label", "Browse", "Browse..."), this);
  format_ = new QComboBox(this);
  dateOrder_ = new QComboBox(this);
  dateOrder_->addItems({Text("Label", "OrderFromData", "Date order: from the data"),
                        Text("Label", "OrderDmy", "Day/Month/Year"),
                        Text("Label", "OrderMdy", "Month/Day/Year"),
                        Text("Label", "OrderYmd", "Year-Month-Day")});
  unit_ = new QComboBox(this);
  unit_->addItems({Text("Label", "UnitFromFile", "Unit: from the file"), QStringLiteral("mg/dL"),
                   QStringLiteral("mmol/L")});
  previewButton_ = new QPushButton(Text("Label", "Preview", "Preview"), this);
  preview_ = new QTreeWidget(this);
  preview_->setRootIsDecorated(false);
  preview_->setHeaderLabels({Text("Label", "Line", "Line"), Text("Label", "DateTime", "Date and time"),
                             Text("Label", "Glucose", "Glucose (mg/dL)"),
                             Text("Label", "WillBe", "Will be")});
  preview_->setColumnWidth(0, 60);
  preview_->setColumnWidth(1, 160);
  preview_->setColumnWidth(2, 120);
  summary_ = new QLabel(this);
  summary_->setWordWrap(true);
  csvBox_ = new QWidget(this);
  auto* csvOptions = new QHBoxLayout;
  csvOptions->setContentsMargins(0, 0, 0, 0);
  csvOptions->addWidget(dateOrder_);
  csvOptions->addWidget(unit_);
  csvOptions->addStretch(1);
  csvOptions->addWidget(previewButton_);
  auto* csvLayout = new QVBoxLayout(csvBox_);
  csvLayout->setContentsMargins(0, 0, 0, 0);
  csvLayout->addLayout(csvOptions);
  csvLayout->addWidget(summary_);
  csvLayout->addWidget(preview_, 1);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Text("Label", "From", "From:"), this), 0, 0);
  grid->addWidget(from_, 0, 1);
  grid->addWidget(new QLabel(Text("Label", "To", "To:"), this), 0, 2);
  grid->addWidget(to_, 0, 3);
  grid->addWidget(new QLabel(Text("Label", "File", "File:"), this), 1, 0);
  grid->addWidget(pathEdit_, 1, 1, 1, 3);
  grid->addWidget(browse_, 1, 4);
  auto* box = new QVBoxLayout(this);
  box->addWidget(tabs_);
  box->addWidget(list_, 100);
  box->addWidget(choice_);
  box->addWidget(format_);
  box->addLayout(grid);
  box->addWidget(csvBox_, 100);
  // With the list hidden (Export, Import) the controls stay at the top.
  box->addStretch(1);

  connect(tabs_, &QTabBar::currentChanged, this, &CIOFile::SetMode);
  connect(browse_, &QPushButton::clicked, this, &CIOFile::Browse);
  connect(format_, &QComboBox::currentIndexChanged, this, [this] {
    path_.clear();
    pathEdit_->clear();
    UpdateFormatControls();
  });
  connect(previewButton_, &QPushButton::clicked, this, [this] { ShowCsvPreview(); });
  FillPatients();
  SetMode(0);
}

void CIOFile::FillPatients() {
  list_->clear();
  choice_->clear();
  // The row's text only: the first row stands for every patient by its place.
  auto* all = new QTreeWidgetItem(list_, {Text("IoFile", "AllPatients", "All patients")});
  all->setCheckState(0, Qt::Unchecked);
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return;
  // Each row keeps its patient's ID: two patients may share a name.
  for (const PatientKey& k : AllPatientKeys(*db)) {
    const QString name = QString::fromStdString(k.fullName);
    auto* item = new QTreeWidgetItem(list_, {name});
    item->setCheckState(0, Qt::Unchecked);
    item->setData(0, kKeyRole, name);
    item->setData(0, kIdRole, QString::fromStdString(k.IDNo));
    item->setToolTip(0, Text("IoFile", "IdTip", "ID No.: %1").arg(QString::fromStdString(k.IDNo)));
    choice_->addItem(name, QString::fromStdString(k.IDNo));
  }
  choice_->setCurrentIndex(-1);
}

void CIOFile::SetMode(int mode) {
  mode_ = mode;
  if (tabs_->currentIndex() != mode) tabs_->setCurrentIndex(mode);
  pathEdit_->clear();
  path_.clear();
  const bool many = mode == 0 || mode == 1;
  list_->setVisible(many);
  choice_->setVisible(!many);
  const QSignalBlocker quiet(format_);
  format_->clear();
  if (mode == 2)
    format_->addItems({Text("Label", "FormatCsvDb", "CSV or archive database (by the file's extension)"),
                       Text("Label", "FormatFhir", "FHIR R4 Bundle (JSON), for records systems")});
  if (mode == 3)
    format_->addItems({Text("Label", "FormatArchive", "Archive database (.db)"),
                       Text("Label", "FormatCsv", "Readings from a CSV or TSV file")});
  format_->setVisible(mode >= 2);
  UpdateFormatControls();
}

bool CIOFile::csvImport() const { return mode_ == 3 && format_->currentIndex() == 1; }

void CIOFile::UpdateFormatControls() {
  csvBox_->setVisible(csvImport());
  // A CSV import files whatever the file holds: no period applies.
  from_->setEnabled(!csvImport());
  to_->setEnabled(!csvImport());
  preview_->clear();
  summary_->clear();
  planKey_.clear();
}

void CIOFile::Browse() {
  FileChoice c;
  c.save = mode_ == 0 || mode_ == 2;
  if (mode_ == 2 && format_->currentIndex() == 1) {
    c.defaultName = QStringLiteral("Export");
    c.defaultSuffix = QStringLiteral("json");
    c.filter = QStringLiteral("FHIR JSON (*.json)");
  } else if (csvImport()) {
    c.defaultName = QString();
    c.defaultSuffix = QStringLiteral("csv");
    c.filter =
        QStringLiteral("CSV (*.csv *.tsv *.txt);;") + Text("IoFile", "AllFiles", "All files (*)");
  } else if (c.save) {
    c.defaultName = mode_ == 0 ? QStringLiteral("Archive") : QStringLiteral("Export");
    c.defaultSuffix = QStringLiteral("CSV");
    c.filter = QStringLiteral("CSV (*.csv);;DB (*.db)");
  } else {
    c.defaultName = QStringLiteral("*.db");
    c.defaultSuffix = QStringLiteral("db");
    c.filter = QStringLiteral("DB (*.db)");
  }
  c.caption = tabs_->tabText(mode_);
  const QString chosen = chooser_(c);
  if (chosen.isEmpty()) return;
  path_ = chosen;
  pathEdit_->setText(chosen);
  if (csvImport()) ShowCsvPreview();
}

CsvImportOptions CIOFile::ImportOptions() const {
  CsvImportOptions o;
  const DateOrder orders[] = {DateOrder::Unknown, DateOrder::DayMonthYear, DateOrder::MonthDayYear,
                              DateOrder::YearMonthDay};
  o.dateOrder = orders[std::max(0, dateOrder_->currentIndex())];
  const GlucoseUnit units[] = {GlucoseUnit::Unknown, GlucoseUnit::MgDl, GlucoseUnit::MmolL};
  o.unit = units[std::max(0, unit_->currentIndex())];
  return o;
}

bool CIOFile::ShowCsvPreview() {
  preview_->clear();
  planKey_.clear();
  if (choice_->currentIndex() < 0 || path_.isEmpty()) {
    summary_->setText(Text("FileMsg", "ChooseFirst", "Choose a patient and a file."));
    return false;
  }
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return false;
  const std::string idNo = choice_->currentData().toString().toStdString();
  plan_ = PlanCsvImport(*db, idNo, path_.toStdString(), ImportOptions());
  // The first rows as they will be read, every duplicate and every refused line, in the
  // order of the file.
  constexpr size_t kFirstRows = 12;
  struct Row {
    int line;
    QStringList cells;
    bool refused;
  };
  std::vector<Row> rows;
  auto reading = [&rows](const ImportedReading& r, const QString& what) {
    rows.push_back({r.line, {QString::number(r.line), QString::fromStdString(ImportTimeText(r.at)),
                             QString::number(r.gluco), what}, false});
  };
  for (size_t i = 0; i < plan_.readings.size() && i < kFirstRows; ++i)
    reading(plan_.readings[i], Text("FileMsg", "ToFile", "filed"));
  for (const ImportedReading& r : plan_.duplicates)
    reading(r, Text("FileMsg", "Duplicate", "skipped: already stored or twice in the file"));
  for (const RefusedLine& r : plan_.refused)
    rows.push_back(
        {r.line,
         {QString::number(r.line), QString(), QString(),
          Text("FileMsg", "RefusedLine", "refused: %1").arg(QString::fromStdString(r.reason))},
         true});
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.line < b.line; });
  for (const Row& r : rows) {
    auto* item = new QTreeWidgetItem(preview_, r.cells);
    if (r.refused) item->setForeground(3, QColor(170, 0, 0));
  }
  preview_->resizeColumnToContents(3);
  QString text = Text("FileMsg", "PlanCounts",
                      "Readings to file: %1. Duplicates to skip: %2. Lines refused: %3.")
                     .arg(plan_.readings.size())
                     .arg(plan_.duplicates.size())
                     .arg(plan_.refused.size());
  if (!plan_.ok) text = QString::fromStdString(plan_.message) + QStringLiteral("\n") + text;
  else text += Text("FileMsg", "PressOk", " Press OK to file them.");
  summary_->setText(text);
  if (!plan_.ok) return false;
  planKey_ = path_ + QLatin1Char('|') + choice_->currentData().toString() + QLatin1Char('|') +
             QString::number(dateOrder_->currentIndex()) + QString::number(unit_->currentIndex());
  return true;
}

bool CIOFile::RunCsvImport() {
  const QString key = path_ + QLatin1Char('|') + choice_->currentData().toString() +
                      QLatin1Char('|') + QString::number(dateOrder_->currentIndex()) +
                      QString::number(unit_->currentIndex());
  // Nothing is filed before the user has seen what will be.
  if (planKey_ != key) {
    ShowCsvPreview();
    return false;
  }
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return false;
  CPatientProfile patient;
  if (!LoadPatient(*db, choice_->currentData().toString().toStdString(), patient)) return false;
  // Read again: the file or the stored readings may have changed since the preview.
  CsvImportPlan plan = PlanCsvImport(*db, patient.IDNo, path_.toStdString(), ImportOptions());
  if (!plan.ok) {
    last_ = FailedRun(prompter_, plan.message);
    return false;
  }
  const int filed = plan.readings.empty() ? 0 : FileImportedReadings(*db, patient, plan.readings);
  if (filed < 0) {
    last_ = FailedRun(prompter_, LookupText("FileMsg", "ImportMsg1", "No reading was imported: the database "
                                                        "refused the change."));
    return false;
  }
  last_ = TransferResult{};
  last_.patients = 1;
  last_.readingsAdded = filed;
  last_.readingsSkipped = static_cast<int>(plan.duplicates.size() + plan.refused.size());
  last_.dataChanged = filed > 0;
  dataChanged_ = dataChanged_ || filed > 0;
  prompter_.Message(
      Text("FileMsg", "FiledCounts", "%1 readings filed, %2 duplicates skipped, %3 lines refused.")
          .arg(filed)
          .arg(plan.duplicates.size())
          .arg(plan.refused.size())
          .toStdString(),
      "Meridane");
  return true;
}

bool CIOFile::RunFhirExport() {
  if (choice_->currentIndex() < 0) return true;  // as the export run: no patient, nothing written
  if (IsPatientDatabase(path_.toStdString())) {
    last_ = FailedRun(prompter_, LookupText("FileMsg", "PathMsg2", "Cannot save data in the patient database "
                                                      "file itself."));
    return false;
  }
  auto db = OpenDatabaseOrTell(prompter_);
  if (!db) return false;
  const TransferRequest r = Request();
  last_ = ExportFhir(*db, r.patients.front(), r.period, r.path, prompter_);
  return last_.ok;
}

TransferRequest CIOFile::Request() const {
  TransferRequest r;
  r.mode = static_cast<TransferMode>(mode_);
  const QDateTime from(from_->date(), QTime(0, 0));
  const QDateTime to(to_->date(), QTime(23, 59, 59));
  r.period = TransferPeriod::WholeDays(FromQDate(from.date()), FromQDate(to.date()));
  if (mode_ == 0 || mode_ == 1) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = list_->topLevelItem(i);
      if (item->checkState(0) != Qt::Checked) continue;
      if (i == 0)
        r.all = true;
      else
        r.patients.emplace_back(item->data(0, kKeyRole).toString().toStdString(),
                                item->data(0, kIdRole).toString().toStdString());
    }
  } else if (choice_->currentIndex() >= 0) {
    r.patients.emplace_back(choice_->currentText().toStdString(),
                            choice_->currentData().toString().toStdString());
  }
  r.path = path_.toStdString();
  return r;
}

bool CIOFile::Run() {
  const QString text = pathEdit_->text();
  // A database file's path must be plain ASCII; the edit box is what the user sees.
  if (path_.endsWith(QLatin1Char('b')) && !IsLegalDatabasePath(text.toStdString())) {
    prompter_.Message(LookupText("FileMsg", "PathMsg1", "Cannot save data in a illegal file path."),
                      WarningCaption());
    pathEdit_->setFocus();
    pathEdit_->selectAll();
    return false;
  }
  if (text.isEmpty()) return true;
  // The run writes to the file chosen with Browse; a path typed in the box alone is not one.
  if (path_.isEmpty()) {
    prompter_.Message(LookupText("FileMsg", "PathMsg3", "Please choose the file with the Browse button."),
                      WarningCaption());
    browse_->setFocus();
    return false;
  }
  if (csvImport()) return RunCsvImport();
  if (mode_ == 2 && format_->currentIndex() == 1) return RunFhirExport();
  TransferRequest request = Request();
  const bool writes = request.mode == TransferMode::Archive || request.mode == TransferMode::Export;
  if (writes && IsPatientDatabase(request.path)) {
    last_ = FailedRun(prompter_, LookupText("FileMsg", "PathMsg2", "Cannot save data in the patient database "
                                                      "file itself."));
    return false;
  }
  // The run writes beside the chosen file and renames into place itself, refusing links,
  // folders and other users' files at the target.
  last_ = RunInBackground(request);
  dataChanged_ = dataChanged_ || last_.dataChanged ||
                 request.mode == TransferMode::Retrieve || request.mode == TransferMode::Import;
  return true;
}

TransferResult CIOFile::RunInBackground(const TransferRequest& request) {
  // The run's messages, its statements' failures among them, are kept and shown here
  // once it has ended.
  CollectingPrompter collected;
  std::atomic<bool> done{false};
  TransferResult result;
  std::thread worker([&] {
    result = RunTransfer(request, collected);
    done.store(true, std::memory_order_release);
  });
  // The window stays responsive while the files are written; a busy bar shows the work.
  QProgressDialog progress(Text("FileMsg", "Working", "Working, please wait..."), QString(), 0, 0,
                           this);
  progress.setWindowTitle(QStringLiteral("Meridane"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(400);
  QEventLoop loop;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done.load(std::memory_order_acquire)) loop.quit();
  });
  poll.start(20);
  if (!done.load(std::memory_order_acquire)) loop.exec();
  worker.join();
  progress.close();
  for (const PromptRequest& r : collected.requests) prompter_.Ask(r);
  return result;
}

CInOut::CInOut(Prompter& prompter, FileChooser chooser, QWidget* parent) : QDialog(parent) {
  setWindowTitle(Text("Label", "ImportExport", "Import/Export"));
  io_ = new CIOFile(prompter, std::move(chooser), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  auto* box = new QVBoxLayout(this);
  box->addWidget(io_, 1);
  box->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (io_->Run()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(720, 520);
}

}  // namespace meridane
