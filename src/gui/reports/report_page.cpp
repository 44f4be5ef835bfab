#include "gui/reports/report_page.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/main/gui_support.h"
#include "gui/reports/summary_checks.h"
#include "reports/report_sets.h"
#include "gui/widgets/pie_view.h"
#include "gui/widgets/profile_view.h"
#include "output/report_model.h"
#include "gui/widgets/report_grid.h"
#include "gui/widgets/value_chart.h"

namespace meridane {

namespace {
// "LogBook" … "Summary Checks", then the glucose profile: the list's entries by type.
constexpr int kListedReports[] = {kReportLogBook,     kReportTrend,         kReportPie,
                                  kReportStandardDay, kReportDayAverage,    kReportWeekAverage,
                                  kReportHistogram,   kReportDataList,      kReportSummary,
                                  kReportGlucoseProfile};
bool IsListedReport(int type) {
  return std::find(std::begin(kListedReports), std::end(kListedReports), type) !=
         std::end(kListedReports);
}
constexpr int kPeriodEntries = 5;

QDateEdit* MakePicker() {
  auto* d = new QDateEdit;
  d->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
  d->setCalendarPopup(true);
  // Typing a date asks once, when the entry is done, not at every digit.
  d->setKeyboardTracking(false);
  d->setMinimumWidth(140);
  return d;
}
}  // namespace

CReportPage::CReportPage(AppState& state, Prompter& prompter, QWidget* parent)
    : CAreaPage(parent), state_(state), prompter_(prompter) {
  reportList_ = new QComboBox;
  for (int t : kListedReports) reportList_->addItem(QString::fromStdString(ReportListText(t)), t);
  periodList_ = new QComboBox;
  for (int e = 0; e < kPeriodEntries; ++e)
    periodList_->addItem(QString::fromStdString(PeriodListText(e)));
  // The lists are as wide as their entries where there is room, and give some up before
  // a long entry (a translation) widens the bar past the window; open, each shows its
  // entries whole.
  for (QComboBox* list : {reportList_, periodList_}) {
    list->setMinimumWidth(list->fontMetrics().averageCharWidth() * 12 + 40);
    list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + 24);
  }
  from_ = MakePicker();
  to_ = MakePicker();

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->addWidget(new QLabel(Text("Label", "ReportList", "Report:")));
  bar->addWidget(reportList_);
  bar->addSpacing(16);
  bar->addWidget(new QLabel(Text("Label", "PeriodList", "Period:")));
  bar->addWidget(periodList_);
  bar->addSpacing(16);
  bar->addWidget(new QLabel(Text("Label", "From", "From")));
  bar->addWidget(from_);
  bar->addWidget(new QLabel(Text("Label", "To", "To")));
  bar->addWidget(to_);
  bar->addStretch(1);

  views_ = new QStackedWidget;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addLayout(bar);
  layout->addWidget(views_, 1);

  connect(reportList_, &QComboBox::activated, this,
          [this](int index) { OnReportChosen(reportList_->itemData(index).toInt()); });
  connect(periodList_, &QComboBox::activated, this, &CReportPage::OnPeriodChosen);
  connect(from_, &QDateEdit::dateChanged, this, &CReportPage::OnDatesPicked);
  connect(to_, &QDateEdit::dateChanged, this, &CReportPage::OnDatesPicked);
}

CReportGrid* CReportPage::grid() {
  if (!grid_) {
    grid_ = new CReportGrid;
    views_->addWidget(grid_);
    connect(grid_, &CReportGrid::readingActivated, this, [this](std::size_t index) {
      if (index < state_.readings.count() && detailEditor_(index)) Redraw();
    });
  }
  return grid_;
}

CValueChart* CReportPage::chart(int type) {
  if (type < kReportTrend || type > kReportHistogram || type == kReportPie) return nullptr;
  if (!charts_[type]) {
    const CValueChart::Kind kind = type == kReportHistogram ? CValueChart::Kind::Histogram
                                   : type == kReportDayAverage || type == kReportWeekAverage
                                       ? CValueChart::Kind::Bars
                                       : CValueChart::Kind::Points;
    charts_[type] = new CValueChart(kind);
    views_->addWidget(charts_[type]);
  }
  return charts_[type];
}

CPieView* CReportPage::pies() {
  if (!pies_) {
    pies_ = new CPieView;
    views_->addWidget(pies_);
  }
  return pies_;
}

QScrollArea* CReportPage::AddScrolled(QWidget* view) {
  auto* scroll = new QScrollArea;
  scroll->setWidget(view);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  views_->addWidget(scroll);
  return scroll;
}

CSummaryChecks* CReportPage::summary() {
  if (!summary_) {
    summary_ = new CSummaryChecks;
    summaryScroll_ = AddScrolled(summary_);
  }
  return summary_;
}

CProfileView* CReportPage::profile() {
  if (!profile_) {
    // Never drawn smaller than the paper page: a small window scrolls instead.
    profile_ = new CProfileView;
    profileScroll_ = AddScrolled(profile_);
  }
  return profile_;
}

QWidget* CReportPage::currentView() const {
  QWidget* w = views_->currentWidget();
  if (w && w == profileScroll_) return profile_;
  return w == summaryScroll_ && summaryScroll_ ? summary_ : w;
}

CPrintableReport* CReportPage::shownReport() {
  QWidget* w = views_->currentWidget();
  if (w && w == pies_) return pies_;
  if (w && w == profileScroll_) return profile_;
  return dynamic_cast<CValueChart*>(w);
}

void CReportPage::Refresh() {
  if (!IsListedReport(state_.reportType)) state_.reportType = kReportLogBook;
  reportList_->setCurrentIndex(reportList_->findData(state_.reportType));
  periodList_->setCurrentIndex(std::clamp(state_.periodEntry, 0, kPeriodEntries - 1));
  ShowPeriodInPickers();
  Redraw();
}

void CReportPage::OnReportChosen(int type) {
  state_.reportType = type;
  Redraw();
}

void CReportPage::OnPeriodChosen(int entry) {
  state_.periodEntry = entry;
  state_.ResetReportPeriod();
  ShowPeriodInPickers();
  Redraw();
}

void CReportPage::OnDatesPicked() {
  const Date first = FromQDate(from_->date()), last = FromQDate(to_->date());
  if (first == state_.period.first && last == state_.period.last) return;
  // A refusal has told the user and left the period as it was: the pickers go back to it.
  if (PickPeriod(first, last, state_.period, prompter_)) Redraw();
  ShowPeriodInPickers();
}

void CReportPage::ShowPeriodInPickers() {
  const QSignalBlocker a(from_), b(to_);
  from_->setDate(ToQDate(state_.period.first));
  to_->setDate(ToQDate(state_.period.last));
}

void CReportPage::Redraw() {
  const CPatientProfile& p = state_.current;
  const ReadingTable& r = state_.readings;
  const ReportPeriod& period = state_.period;
  const ReportTargets& t = state_.targets;
  QWidget* view = nullptr;
  switch (state_.reportType) {
    case kReportTrend: {
      const TrendSet s = BuildTrendSet(p, r, period, t, state_.today());
      chart(kReportTrend)->ShowPoints(s.frame, s.labels, s.points, true);
      view = chart(kReportTrend);
      break;
    }
    case kReportStandardDay: {
      const StandardDaySet s = BuildStandardDaySet(p, r, period, t);
      chart(kReportStandardDay)->ShowPoints(s.frame, s.labels, s.points, false);
      view = chart(kReportStandardDay);
      break;
    }
    case kReportDayAverage:
      chart(kReportDayAverage)->ShowAverages(BuildDayAverageSet(p, r, period, t));
      view = chart(kReportDayAverage);
      break;
    case kReportWeekAverage:
      chart(kReportWeekAverage)->ShowAverages(BuildWeekAverageSet(p, r, period, t));
      view = chart(kReportWeekAverage);
      break;
    case kReportHistogram:
      chart(kReportHistogram)->ShowHistogram(BuildHistogramSet(p, r, period, t));
      view = chart(kReportHistogram);
      break;
    case kReportPie:
      pies()->SetPies(BuildPieSet(p, r, period, t));
      view = pies_;
      break;
    case kReportDataList:
      grid()->SetGrid(BuildDataListSet(p, r, period, t));
      view = grid_;
      break;
    case kReportGlucoseProfile:
      profile()->SetPage(LayOutGlucoseProfile(
          ReportContextFor(p, period, t), BuildGlucoseProfile(r, period, t.mmol, p.timeUnit)));
      view = profileScroll_;
      break;
    case kReportSummary:
      summary()->Show(BuildSummaryChecks(p, r, period, t, state_.today()),
                      BuildGlucoseProfileSet(r, period, t));
      view = summaryScroll_;
      break;
    default:
      grid()->SetGrid(BuildLogBookSet(p, r, period, t));
      view = grid_;
      break;
  }
  views_->setCurrentWidget(view);
}

}  // namespace meridane
