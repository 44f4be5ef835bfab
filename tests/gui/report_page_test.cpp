// The report page on the demo patients: each kind of widget (grid, chart, pies, profile page,
// summary) against the core data set of the same period, the period list and pickers with
// the refusal, and the detail hook naming the reading of the row clicked.
#include "gui/reports/report_page.h"
#include "gui/reports/summary_checks.h"
#include "gui/widgets/pie_view.h"
#include "gui/widgets/profile_view.h"
#include "gui/widgets/value_chart.h"
#include "gui_fixture.h"

using namespace meridane;

namespace {

QVariant Data(const CReportGrid& g, int row, int col, int role = Qt::DisplayRole) {
  return g.model()->data(g.model()->index(row, col), role);
}

// A cell's colour as the model gives it and as the set asks for it ("" for none).
QString Shade(const QVariant& v) { return v.isValid() ? v.value<QColor>().name() : QString(); }
QString Shade(const std::optional<Rgb>& c) {
  return c ? QColor(c->r, c->g, c->b).name() : QString();
}

// Picks report `type` from the list as a user does; the page must then show `view`.
void Choose(CReportPage& page, int type, QWidget* view) {
  const int index = page.reportList()->findData(type);
  page.reportList()->setCurrentIndex(index);
  emit page.reportList()->activated(index);
  QCOMPARE(page.currentView(), view);
}

void CheckGrid(CReportGrid* g, const GridSet& set) {
  QCOMPARE(g->model()->rowCount(), int(set.rows.size()));
  QCOMPARE(g->model()->columnCount(), int(set.columns.size()));
  for (std::size_t c = 0; c < set.columns.size(); ++c)
    QCOMPARE(g->model()->headerData(int(c), Qt::Horizontal).toString().toStdString(),
             set.columns[c].title);
  for (std::size_t r = 0; r < set.rows.size(); ++r)
    for (std::size_t c = 0; c < set.columns.size(); ++c) {
      const GridCell& cell = set.rows[r][c];
      QCOMPARE(Data(*g, int(r), int(c)).toString().toStdString(), cell.text);
      QCOMPARE(Shade(Data(*g, int(r), int(c), Qt::ForegroundRole)), Shade(cell.color));
      QCOMPARE(Shade(Data(*g, int(r), int(c), Qt::BackgroundRole)), Shade(cell.background));
    }
}

// The chart plots the set's own points under its title (the figures are the core's).
void CheckPoints(CValueChart* c, const TrendSet& s) {
  QCOMPARE(c->chart()->title().replace("&nbsp;", " ").toStdString(), s.frame.title);
  QCOMPARE(c->valueRange(), std::make_pair(s.frame.yMin, s.frame.yMax));
  QCOMPARE(c->points().size(), s.points.size());
  for (std::size_t i = 0; i < s.points.size(); ++i)
    QCOMPARE(c->points()[i], QPointF(s.points[i].x, s.points[i].y));
}

// The demo patients' book and a report page shown at the window's opening size.
struct DemoPage {
  test::DataFolder folder;
  const bool added = test::AddDemoPatients(folder.path());
  ScriptedPrompter prompter;
  AppState s;
  CReportPage page{s, prompter};
  DemoPage() {
    page.resize(980, 560);
    page.show();
  }
};

}  // namespace

class ReportPageTest : public QObject {
  Q_OBJECT
 private slots:
  void everyReportShowsItsDataSet() {
    DemoPage demo;
    auto& [folder, added, prompter, s, page] = demo;
    QVERIFY(added);
    for (const char* id : {"DEMO-001", "DEMO-002"}) {  // mg/dL 24 h; mmol/L 12 h
      QVERIFY(test::OpenPatient(s, id));
      // The longest period, so every chart has something to show.
      page.Refresh();
      emit page.periodList()->activated(4);
      QCOMPARE(s.period, DefaultPeriod(s.readings, 4, s.today()));
      QCOMPARE(page.fromPicker()->date(), ToQDate(s.period.first));
      QCOMPARE(page.toPicker()->date(), ToQDate(s.period.last));
      const CPatientProfile& p = s.current;
      const ReportTargets& t = s.targets;
      QCOMPARE(t.mmol, std::string(id) == "DEMO-002");

      Choose(page, kReportLogBook, page.grid());
      const LogBookSet log = BuildLogBookSet(p, s.readings, s.period, t);
      QVERIFY(log.readingRows > 100);
      CheckGrid(page.grid(), log);
      // The profile page prints itself.
      Choose(page, kReportGlucoseProfile, page.profile());
      QVERIFY(page.shownReport() == page.profile() && !page.profile()->page().shapes.empty());

      Choose(page, kReportTrend, page.chart(kReportTrend));
      CheckPoints(page.chart(kReportTrend), BuildTrendSet(p, s.readings, s.period, t, s.today()));
      Choose(page, kReportPie, page.pies());
      const PieSet pies = BuildPieSet(p, s.readings, s.period, t);
      QCOMPARE(page.pies()->pies().title + page.pies()->pies().secondTitle,
               pies.title + pies.secondTitle);
      for (int i = 0; i < kPieCount; ++i)
        QCOMPARE(page.pies()->pies().pies[i].percentText, pies.pies[i].percentText);

      Choose(page, kReportSummary, page.summary());
      const SummaryFields f = BuildSummaryChecks(p, s.readings, s.period, t, s.today());
      CSummaryChecks* sum = page.summary();
      QCOMPARE(sum->valueOf("Standard Deviation:").toStdString(), f.standardDeviation);
      QCOMPARE(sum->valueOf("HbA1c:").toStdString(), f.hbA1c);
      QVERIFY(sum->valueOf("GMI:").isEmpty());  // not a figure of meter readings
      QCOMPARE(s.reportType, int(kReportSummary));  // what Save PDF and Print will produce
    }
  }

  void periodPickersAndDetailHook() {
    DemoPage demo;
    auto& [folder, added, prompter, s, page] = demo;
    QVERIFY(added && test::OpenPatient(s, "DEMO-003"));
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.Refresh();
    const ReportPeriod week = s.period;

    // A start after the end is refused and both pickers return to the period.
    page.fromPicker()->setDate(ToQDate(AddDays(week.last, 1)));
    QCOMPARE(prompter.texts(),
             Texts{"Please make sure your Start date is earlier than End date in the Time Blocks."});
    QCOMPARE(s.period, week);
    QCOMPARE(page.fromPicker()->date(), ToQDate(week.first));
    QCOMPARE(page.toPicker()->date(), ToQDate(week.last));
    // A good pick redraws the report for the new days.
    page.fromPicker()->setDate(ToQDate(AddDays(week.last, -2)));
    QCOMPARE(s.period, (ReportPeriod{AddDays(week.last, -2), week.last}));
    CheckGrid(page.grid(), BuildLogBookSet(s.current, s.readings, s.period, s.targets));

    // Double-clicking a reading opens the editor on that reading; a change redraws.
    std::vector<std::size_t> opened;
    page.SetDetailEditor([&](std::size_t i) {
      opened.push_back(i);
      s.readings.entries[i].detail.insulinAmount = 4;
      s.readings.entries[i].detail.insulin = "Rapid";
      return true;
    });
    const LogBookSet before = BuildLogBookSet(s.current, s.readings, s.period, s.targets);
    test::DoubleClickRow(*page.grid(), 1);
    QCOMPARE(opened, std::vector<std::size_t>{before.readingIndex[1]});
    QCOMPARE(Data(*page.grid(), 1, 8).toString(), QString("4.0,Rapid"));
    test::DoubleClickRow(*page.grid(), int(before.rows.size()) - 2);  // "In target": nothing
    QCOMPARE(opened.size(), std::size_t(1));
  }
};

MERIDANE_GUI_TEST(ReportPageTest)

#include "report_page_test.moc"
