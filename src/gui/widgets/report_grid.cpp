#include "gui/widgets/report_grid.h"

#include <QAbstractTableModel>
#include <QHeaderView>

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
  const GridSet& g = model_->set();
  for (std::size_t c = 0; c < g.columns.size(); ++c)
    if (g.columns[c].width > 0) setColumnWidth(int(c), g.columns[c].width);
  scrollToTop();
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
