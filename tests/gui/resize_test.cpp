// The resizable window: the opening size keeps every place, a larger window gives the report
// widgets the room; icons and pie labels fit the size and scale they get.
#include "gui/reports/report_page.h"
#include "gui/widgets/page_icons.h"
#include "gui/widgets/pie_view.h"
#include "gui_fixture.h"

using namespace meridane;

class ResizeTest : public QObject {
  Q_OBJECT
 private slots:
  void defaultPlacesThenReportWidgetsGrow() {
    test::DataFolder folder;
    QVERIFY(test::AddDemoPatients(folder.path()));
    ScriptedPrompter prompter;
    CMeridDemoXDlg w(prompter, {1920, 1080, 96});
    w.Initialise();
    AppState& s = w.state();
    QVERIFY(test::OpenPatient(s, "DEMO-001"));
    w.show();
    w.ShowArea(kAreaReport);
    QStackedWidget* area = w.canvas()->findChild<QStackedWidget*>();
    QCOMPARE(area->geometry(), QRect(20, 150, 980, 560));
    CReportGrid* grid = w.reportPage()->grid();
    const int narrowFirst = grid->columnWidth(0);
    const QSize narrow = w.reportPage()->pies()->size();

    w.resize(2540, 1380);
    QCoreApplication::processEvents();
    QCOMPARE(area->geometry(), QRect(20, 150, 2540 - 44, 1380 - 178));
    QCOMPARE(w.pageButton(kBtnHelp)->geometry().right(), 2540 - 22);  // at the right edge
    s.reportType = kReportLogBook;
    w.ShowArea(kAreaReport);
    QVERIFY(grid->columnWidth(0) > narrowFirst);
    QVERIFY(!grid->horizontalScrollBar()->isVisible());
    s.reportType = kReportPie;
    w.ShowArea(kAreaReport);
    QCoreApplication::processEvents();
    const QSize wide = w.reportPage()->pies()->size();
    QVERIFY(CPieView::PieRect(0, wide).width() > 2 * CPieView::PieRect(0, narrow).width());
  }

  void columnsSpreadInProportion() {
    using V = std::vector<int>;
    const struct {
      const char* name;
      V widths;
      int room;
      V spread;
    } cases[] = {{"doubled", {100, 200, 100}, 800, {200, 400, 200}},
                 {"too narrow", {300, 300}, 500, {300, 300}},
                 {"rounding fills the row", {1, 1, 1}, 10, {3, 3, 4}},
                 {"unsized kept", {0, 50, 50}, 200, {0, 100, 100}}};
    for (const auto& c : cases)
      QVERIFY2(CReportGrid::FitColumns(c.widths, c.room) == c.spread, c.name);
  }

  void iconsDrawnAtTheScreensScale() {
    const QIcon icon = MakePageIcon(PageIcon::Home, 64);
    for (qreal scale : {1.0, 1.25, 1.5, 2.0}) {
      const QPixmap pm = icon.pixmap(QSize(40, 40), scale);
      QVERIFY(pm.size() == QSize(qRound(40 * scale), qRound(40 * scale)) &&
              pm.deviceIndependentSize() == QSizeF(40, 40));
    }
  }

  void pieLabelsStayOutsideTheDiscAndInTheView() {
    const QSizeF view(980, 524), text(44, 14);
    const QRectF disc = CPieView::PieRect(0, view);  // the pie nearest the left edge
    for (double mid : {0.0, 45.0, 90.0, 180.0, 200.0, 270.0}) {
      const QRectF box = CPieView::LabelRect(disc, mid, text, view);
      QVERIFY(QRectF(QPointF(0, 0), view).contains(box));
      const QPointF c = disc.center();
      const QPointF nearest(std::clamp(c.x(), box.left(), box.right()),
                            std::clamp(c.y(), box.top(), box.bottom()));
      QVERIFY2(QLineF(c, nearest).length() >= disc.width() / 2, qPrintable(QString::number(mid)));
    }
  }
};

MERIDANE_GUI_TEST(ResizeTest)
#include "resize_test.moc"
