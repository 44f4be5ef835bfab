#pragma once
// The summary checks page: the fields of the printed summary, day averages without their
// "/N days" suffix, and beside them the glucose profile of the same period.
#include <QWidget>
#include <map>

#include "reports/summary.h"

class QLabel;
class QGridLayout;

namespace meridane {

class CSummaryChecks : public QWidget {
  Q_OBJECT
 public:
  explicit CSummaryChecks(QWidget* parent = nullptr);

  void Show(const SummaryFields& fields, const GlucoseProfileSet& profile);

  // The value shown under a caption ("Average:", "Day Average:" 0..4, "Time 70–180" …).
  QString valueOf(const QString& caption, int index = 0) const;

 private:
  QLabel* AddRow(QGridLayout* grid, int row, int column, const QString& caption);

  std::map<std::pair<QString, int>, QLabel*> values_;
  QLabel* profileRanges_ = nullptr;
};

}  // namespace meridane
