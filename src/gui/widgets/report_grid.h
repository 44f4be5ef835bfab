#pragma once
// The report grid: shows a core GridSet as it stands (texts, text colours, backgrounds,
// column titles, widths and alignment). A double-click on a reading row names the reading.
#include <QTableView>
#include <cstddef>
#include <vector>

#include "reports/report_sets.h"

namespace meridane {

class CGridModel;

class CReportGrid : public QTableView {
  Q_OBJECT
 public:
  explicit CReportGrid(QWidget* parent = nullptr);

  // Replaces what the grid shows; the grid keeps its own copy and scrolls to the top.
  void SetGrid(GridSet set);
  const GridSet& grid() const;

  // The column specification's alignment flag as shown: 0 left, 1 centred, 2 right.
  static Qt::Alignment AlignmentOf(int flag);
  // The set's column widths spread over `room` pixels in proportion when they fit in less;
  // as they stand otherwise (the grid then scrolls sideways).
  static std::vector<int> FitColumns(const std::vector<int>& widths, int room);

 signals:
  // A row that carries a reading was double-clicked: its index in ReadingTable::entries.
  void readingActivated(std::size_t readingIndex);

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void SpreadColumns();
  CGridModel* model_;
};

}  // namespace meridane
