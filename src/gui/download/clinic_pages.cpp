#include "gui/download/clinic_pages.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

#include "gui/main/gui_support.h"
#include "gui/widgets/report_grid.h"

namespace meridane {
namespace {

// A grid of plain texts under a column specification.
template <typename Row>
GridSet TextGrid(const std::string& spec, const std::vector<Row>& rows) {
  GridSet g;
  g.columnSpec = spec;
  g.columns = ParseColumnSpec(spec);
  for (const Row& row : rows) {
    GridRow& cells = g.rows.emplace_back();
    for (const std::string& text : row) cells.push_back({text, std::nullopt, std::nullopt});
    cells.resize(g.columns.size());
  }
  return g;
}

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setFont(UiFont(12, QFont::DemiBold));
  return l;
}

QDateEdit* DateEntry(QWidget* parent) {
  auto* d = new QDateEdit(parent);
  d->setCalendarPopup(true);
  d->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
  return d;
}

}  // namespace

// ---- Multiple Download ----

CMultipleDownloadPage::CMultipleDownloadPage(AppState& state, Prompter& prompter, QWidget* parent)
    : CAreaPage(parent), state_(state), prompter_(prompter) {
  summary_ = new QLabel(this);
  summary_->setWordWrap(true);
  grid_ = new CReportGrid(this);
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(0, 0, 0, 0);
  all->addWidget(Heading(Text("Label", "MultipleDownload", "Multiple Download"), this));
  all->addWidget(summary_);
  all->addWidget(grid_, 1);
}

void CMultipleDownloadPage::Refresh() {
  state_.reportType = kReportMultipleDownload;
  state_.multipleDownloadRows.clear();
  if (state_.readings.count() > 0) {
    if (auto db = OpenDatabaseOrTell(prompter_))
      state_.multipleDownloadRows = MultipleDownloadRows(*db, state_.readings, state_.current);
  }
  grid_->SetGrid(TextGrid(MultipleDownloadColumnSpec(), state_.multipleDownloadRows));
  grid_->setColumnHidden(0, true);  // the list's untitled spacer
  // The date column takes what the area leaves, so the list never scrolls sideways.
  if (grid_->model()->columnCount() > 1)
    grid_->horizontalHeader()->setSectionResizeMode(grid_->model()->columnCount() - 1,
                                                    QHeaderView::Stretch);

  int unassigned = 0;
  for (const MultipleDownloadRow& row : state_.multipleDownloadRows) unassigned += row[2].empty();
  QString text;
  if (state_.multipleDownloadRows.empty()) {
    text = Text("Label", "ClinicNone", "No readings were downloaded from the clinic meter.");
  } else {
    text = Text("Label", "ClinicCount",
                "%1 readings from the clinic meter. They are filed under their patients when "
                "you leave this page.")
               .arg(state_.multipleDownloadRows.size());
    if (unassigned > 0)
      text += QLatin1Char(' ') + Text("Label", "ClinicUnassigned",
                                      "%1 of them carry a medical record number no patient has "
                                      "and are not filed.")
                                     .arg(unassigned);
  }
  summary_->setText(text);
}

// ---- Multiple Quick View ----

CQuickViewPage::CQuickViewPage(AppState& state, Prompter& prompter, QWidget* parent)
    : CAreaPage(parent), state_(state), prompter_(prompter) {
  selection_ = new QTreeWidget(this);
  selection_->setColumnCount(1);
  selection_->setHeaderLabels({Text("Label", "SelectPatient", "Select Patient Name")});
  selection_->setRootIsDecorated(false);
  selection_->header()->setSectionsClickable(false);
  selection_->setMaximumHeight(170);
  from_ = DateEntry(this);
  to_ = DateEntry(this);
  view_ = new QPushButton(Text("Label", "View", "View"), this);
  view_->setAutoDefault(false);
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  grid_ = new CReportGrid(this);

  auto* top = new QHBoxLayout;
  top->addWidget(Heading(Text("Label", "MultipleQuickView", "Multiple Quick View"), this));
  top->addStretch();
  top->addWidget(new QLabel(Text("Label", "From", "From"), this));
  top->addWidget(from_);
  top->addSpacing(8);
  top->addWidget(new QLabel(Text("Label", "To", "To"), this));
  top->addWidget(to_);
  top->addSpacing(8);
  top->addWidget(view_);
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(0, 0, 0, 0);
  all->addLayout(top);
  all->addWidget(selection_);
  all->addWidget(note_);
  all->addWidget(grid_, 1);
  connect(view_, &QPushButton::clicked, this, &CQuickViewPage::OnView);
}

void CQuickViewPage::ReadSelection() {
  for (int i = 0; i < selection_->topLevelItemCount() &&
                  std::size_t(i) < state_.quickViewSelection.size();
       ++i)
    state_.quickViewSelection[i].checked =
        selection_->topLevelItem(i)->checkState(0) == Qt::Checked;
}

void CQuickViewPage::SetChecked(const QString& text, bool checked) {
  for (int i = 0; i < selection_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = selection_->topLevelItem(i);
    if (item->text(0) == text) item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
  }
}

void CQuickViewPage::Refresh() {
  state_.reportType = kReportQuickView;
  if (!periodShown_) {
    // The clinic has no readings of its own: the period list's days up to today.
    state_.period = DefaultPeriod(ReadingTable{}, state_.periodEntry, state_.today());
    periodShown_ = true;
  }
  from_->setDate(ToQDate(state_.period.first));
  to_->setDate(ToQDate(state_.period.last));

  // The names may have changed since: keep what was checked, by its text.
  std::set<std::string> checked;
  for (const SelectionRow& r : state_.quickViewSelection)
    if (r.checked) checked.insert(r.text);
  state_.quickViewSelection.clear();
  if (auto db = OpenDatabaseOrTell(prompter_))
    state_.quickViewSelection = PatientSelectionList(*db);
  selection_->clear();
  for (SelectionRow& r : state_.quickViewSelection) {
    r.checked = checked.count(r.text) > 0;
    auto* item = new QTreeWidgetItem(selection_, {QString::fromStdString(r.text)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(0, r.checked ? Qt::Checked : Qt::Unchecked);
  }
  OnView();
}

void CQuickViewPage::OnView() {
  ReadSelection();
  ReportPeriod period = state_.period;
  if (!PickPeriod(FromQDate(from_->date()), FromQDate(to_->date()), period, prompter_)) return;
  state_.period = period;
  state_.quickView = {};
  if (auto db = OpenDatabaseOrTell(prompter_))
    state_.quickView = BuildQuickView(*db, state_.quickViewSelection, period);
  std::vector<std::array<std::string, kQuickViewColumns>> rows;
  for (const QuickViewRow& r : state_.quickView.rows) rows.push_back(r.cells);
  grid_->SetGrid(TextGrid(state_.quickView.columnSpec, rows));
  note_->setText(rows.empty() ? Text("Label", "QuickViewHint",
                                     "Check \"All patients\", \"Special View patients\" or "
                                     "patients' names, then press View.")
                              : QString());
}

}  // namespace meridane
