#include "gui/widgets/report_grid.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

namespace meridane {

namespace {
QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }
}  // namespace

// A read-only model over one GridSet; cells are formatted by the core, never here.
class CGridModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void Set(GridSet set) {
    beginResetModel();
    set_ = std::move(set);
    endResetModel();
  }
  const GridSet& set() const { return set_; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : int(set_.rows.size());
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : int(set_.columns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || std::size_t(index.row()) >= set_.rows.size()) return {};
    const GridRow& row = set_.rows[index.row()];
    if (std::size_t(index.column()) >= row.size()) return {};
    const GridCell& cell = row[index.column()];
    switch (role) {
      case Qt::DisplayRole:
        return QString::fromStdString(cell.text);
      case Qt::ForegroundRole:
        return cell.color ? QVariant(ToQColor(*cell.color)) : QVariant();
      case Qt::BackgroundRole:
        return cell.background ? QVariant(ToQColor(*cell.background)) : QVariant();
      case Qt::TextAlignmentRole:
        return int(CReportGrid::AlignmentOf(set_.columns[index.column()].align));
      default:
        return {};
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || std::size_t(section) >= set_.columns.size())
      return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(set_.columns[section].title);
    if (role == Qt::TextAlignmentRole)
      return int(CReportGrid::AlignmentOf(set_.columns[section].align));
    return {};
  }

 private:
  GridSet set_;
};

CReportGrid::CReportGrid(QWidget* parent) : QTableView(parent), model_(new CGridModel(this)) {
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  verticalHeader()->hide();
  // Fixed row heights keep ten thousand rows as cheap as ten.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    const GridSet& g = model_->set();
    const std::size_t row = std::size_t(index.row());
    if (index.isValid() && row < g.readingRows && row < g.readingIndex.size())
      emit readingActivated(g.readingIndex[row]);
  });
}

void CReportGrid::SetGrid(GridSet set) {
  model_->Set(std::move(set));
  SpreadColumns();
  scrollToTop();
}

void CReportGrid::resizeEvent(QResizeEvent* e) {
  QTableView::resizeEvent(e);
  SpreadColumns();
}

std::vector<int> CReportGrid::FitColumns(const std::vector<int>& widths, int room) {
  long long sum = 0;
  for (int w : widths) sum += std::max(0, w);
  if (sum <= 0 || room <= sum) return widths;
  std::vector<int> out(widths.size());
  // Running totals, so rounding never leaves the last column short or the row too wide.
  long long before = 0;
  int placed = 0;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    before += std::max(0, widths[c]);
    const int edge = int(before * room / sum);
    out[c] = widths[c] > 0 ? edge - placed : widths[c];
    placed = edge;
  }
  return out;
}

void CReportGrid::SpreadColumns() {
  const GridSet& g = model_->set();
  std::vector<int> widths;
  // A column is never narrower than its title (a translation may be longer than the
  // English the widths were chosen for).
  const QFontMetrics titles(horizontalHeader()->font());
  const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 6;
  for (const GridColumn& c : g.columns)
    widths.push_back(c.width > 0 ? std::max(c.width, titles.horizontalAdvance(
                                                         QString::fromStdString(c.title)) + margin)
                                 : c.width);
  // The room without a sideways bar, less the upright bar when the rows overflow.
  const QSize room = maximumViewportSize();
  const int rowsHeight = verticalHeader()->defaultSectionSize() * int(g.rows.size());
  const bool upright = rowsHeight > room.height() - horizontalHeader()->height();
  const int bar = upright ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  widths = FitColumns(widths, room.width() - bar);
  for (std::size_t c = 0; c < widths.size(); ++c)
    if (widths[c] > 0) setColumnWidth(int(c), widths[c]);
}

const GridSet& CReportGrid::grid() const { return model_->set(); }

Qt::Alignment CReportGrid::AlignmentOf(int flag) {
  switch (flag) {
    case 1:
      return Qt::AlignCenter;
    case 2:
      return Qt::AlignRight | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace meridane
