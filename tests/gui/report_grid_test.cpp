// The ground the report areas stand on: the report grid against the core grid set, the
// main window's hosted area pages, and the report state kept in AppState.
#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include "gui/main/main_window.h"
#include "gui_fixture.h"
#include "gui_test_registry.h"
#include "gui/widgets/report_grid.h"

using namespace meridane;

namespace {

class CountingPage : public CAreaPage {
 public:
  void Refresh() override { ++refreshed; }
  int refreshed = 0;
};

QColor Role(const CReportGrid& g, int row, int col, int role) {
  return g.model()->data(g.model()->index(row, col), role).value<QColor>();
}

}  // namespace

class ReportGridTest : public QObject {
  Q_OBJECT
 private slots:
  void gridShowsTheSetAndNamesTheReading() {
    // Entries deliberately out of time order: the grid's rows are newest first and each
    // must still name its own entry.
    ReadingTable t;
    t.entries = {test::Reading({2025, 3, 10, 9, 15}, 120, 1, 1),
                 test::Reading({2025, 3, 8, 7, 0}, 650, 3, 2),
                 test::Reading({2025, 3, 9, 20, 0}, 200, 2, 0)};
    CPatientProfile p;
    p.timeUnit = true;
    const ReportPeriod period{{2025, 3, 1}, {2025, 3, 10}};
    const LogBookSet set = BuildLogBookSet(p, t, period, ReportTargets{});

    CReportGrid grid;
    grid.resize(600, 400);  // narrower than the columns: they keep the set's widths
    grid.SetGrid(set);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QCOMPARE(grid.model()->rowCount(), int(set.rows.size()));
    QCOMPARE(grid.model()->columnCount(), 9);
    for (int c = 0; c < 9; ++c) {
      QCOMPARE(grid.model()->headerData(c, Qt::Horizontal).toString().toStdString(),
               set.columns[c].title);
      QCOMPARE(grid.columnWidth(c), set.columns[c].width);
    }
    // Every cell against its set is compared on the report page (report_page_test); spot checks of what the eye sees: 200 after breakfast is above in grey (mark 0),
    // 650 is "HI" without a colour or background (mark 2), the date column is centred.
    QCOMPARE(grid.model()->data(grid.model()->index(1, 2)).toString(), QString("200"));
    QCOMPARE(Role(grid, 1, 2, Qt::ForegroundRole), QColor(193, 39, 45));
    QCOMPARE(Role(grid, 1, 2, Qt::BackgroundRole), QColor(200, 200, 200));
    QCOMPARE(grid.model()->data(grid.model()->index(2, 3)).toString(), QString("HI"));
    QVERIFY(!grid.model()->data(grid.model()->index(2, 3), Qt::BackgroundRole).isValid());
    QCOMPARE(Qt::Alignment(grid.model()->data(grid.model()->index(0, 0), Qt::TextAlignmentRole)
                               .toInt()),
             Qt::Alignment(Qt::AlignCenter));

    QSignalSpy opened(&grid, &CReportGrid::readingActivated);
    auto dclick = [&](int row) { test::DoubleClickRow(grid, row); };
    dclick(0);  // 10 March, entry 0
    dclick(2);  // 8 March, entry 1
    dclick(int(set.rows.size()) - 1);  // "# Result": no reading
    dclick(3);                         // the empty row
    QCOMPARE(opened.count(), 2);
    QCOMPARE(opened.at(0).at(0).value<std::size_t>(), std::size_t(0));
    QCOMPARE(opened.at(1).at(0).value<std::size_t>(), std::size_t(1));

    // A new set replaces the old one whole.
    grid.SetGrid(BuildDataListSet(p, t, period, ReportTargets{}));
    QCOMPARE(grid.model()->columnCount(), 8);
    QCOMPARE(grid.model()->rowCount(), 3);
  }

  void windowHostsAreaPagesAndKeepsReportState() {
    test::DataFolder folder;
    ScriptedPrompter prompter;
    test::PageScript script;
    CMeridDemoXDlg w(prompter, {1280, 1024, 96}, script.Runner());
    w.Initialise();
    QVERIFY(w.areaPage(kAreaDownload) == nullptr);  // placeholder text until a page is set

    auto* page = new CountingPage;
    w.SetAreaPage(kAreaDownload, page);
    QCOMPARE(w.areaPage(kAreaDownload), page);
    w.ShowArea(kAreaDownload);
    w.ShowArea(kAreaDownload);
    QCOMPARE(w.reportArea(), int(kAreaDownload));
    QCOMPARE(page->refreshed, 2);
    QVERIFY(page->isVisibleTo(&w));
    w.ShowArea(kAreaEmpty);
    QCOMPARE(page->refreshed, 2);
    // Replacing the page that is on show keeps its area on show.
    w.ShowArea(kAreaDownload);
    auto* second = new CountingPage;
    w.SetAreaPage(kAreaDownload, second);
    QCOMPARE(w.reportArea(), int(kAreaDownload));

    // Without readings the period is the week up to the pinned today; with them, up to the
    // newest reading's day. The unit comes from the patient's health record.
    AppState& s = w.state();
    s.fixedToday = Date{2026, 1, 10};
    s.ResetReportPeriod();
    QCOMPARE(s.period, (ReportPeriod{{2026, 1, 3}, {2026, 1, 10}}));
    s.readings.entries = {test::Reading({2025, 12, 24, 8, 0}, 100, 1)};
    s.periodEntry = 2;
    s.ResetReportPeriod();
    QCOMPARE(s.period, (ReportPeriod{{2025, 11, 24}, {2025, 12, 24}}));
    s.current.healthRecord.glucoUnit = 0;  // the conversions are the core's (tests/reports)
    s.ReloadReportTargets();
    QVERIFY(s.targets.mmol);
  }
};

MERIDANE_GUI_TEST(ReportGridTest)

#include "report_grid_test.moc"
