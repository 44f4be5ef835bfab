#include "gui/widgets/dual_list.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"

namespace meridane {

namespace {
constexpr int kIndexRole = Qt::UserRole;
constexpr int kRenamableRole = Qt::UserRole + 1;
constexpr int kStoredRole = Qt::UserRole + 2;

DualListItem ItemOf(const QListWidgetItem* it) {
  return {it->data(kIndexRole).toInt(), it->text(), it->data(kRenamableRole).toBool(),
          it->data(kStoredRole).toString()};
}
}  // namespace

CDualList::CDualList(const QString& offeredTitle, const QString& chosenTitle, QWidget* parent)
    : QWidget(parent),
      offered_(new QListWidget(this)),
      chosen_(new QListWidget(this)),
      add_(new QPushButton(QStringLiteral(">>"), this)),
      remove_(new QPushButton(QStringLiteral("<<"), this)) {
  for (QListWidget* l : {offered_, chosen_}) l->setSelectionMode(QAbstractItemView::ExtendedSelection);
  chosen_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  for (QPushButton* b : {add_, remove_}) {
    b->setAutoDefault(false);
    b->setFixedWidth(48);
  }
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(new QLabel(offeredTitle, this), 0, 0);
  grid->addWidget(new QLabel(chosenTitle, this), 0, 2);
  grid->addWidget(offered_, 1, 0);
  auto* mid = new QVBoxLayout;
  mid->addStretch();
  mid->addWidget(add_);
  mid->addWidget(remove_);
  mid->addStretch();
  grid->addLayout(mid, 1, 1);
  grid->addWidget(chosen_, 1, 2);
  connect(add_, &QPushButton::clicked, this, [this] { MoveSelected(true); });
  connect(remove_, &QPushButton::clicked, this, [this] { MoveSelected(false); });
  connect(chosen_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    QString t = item->text().trimmed().left(maxName_);
    QString stored;
    // An emptied name falls back to the placeholder the store knows as unnamed.
    if (t.isEmpty()) {
      t = Text("Label", "Custom", "Custom");
      stored = QStringLiteral("Custom");
    }
    const QSignalBlocker quiet(chosen_);
    item->setData(kStoredRole, stored);
    if (t != item->text()) item->setText(t);
    emit Changed();
  });
}

QListWidgetItem* CDualList::MakeItem(const DualListItem& d, bool inChosen) const {
  auto* item = new QListWidgetItem(d.text);
  item->setData(kIndexRole, d.index);
  item->setData(kRenamableRole, d.renamable);
  item->setData(kStoredRole, d.stored);
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (inChosen && d.renamable) flags |= Qt::ItemIsEditable;
  item->setFlags(flags);
  return item;
}

// Keeps each list in the fixed order of the built-in list.
void CDualList::Place(QListWidget* list, QListWidgetItem* item) {
  int idx = item->data(kIndexRole).toInt();
  int row = 0;
  while (row < list->count() && list->item(row)->data(kIndexRole).toInt() < idx) ++row;
  list->insertItem(row, item);
}

void CDualList::SetItems(const std::vector<DualListItem>& offered,
                         const std::vector<DualListItem>& chosen) {
  QSignalBlocker b(chosen_);
  offered_->clear();
  chosen_->clear();
  for (const auto& d : offered) Place(offered_, MakeItem(d, false));
  for (const auto& d : chosen) Place(chosen_, MakeItem(d, true));
}

std::vector<DualListItem> CDualList::ItemsOf(QListWidget* list) const {
  std::vector<DualListItem> out;
  for (int i = 0; i < list->count(); ++i) {
    out.push_back(ItemOf(list->item(i)));
  }
  return out;
}

std::vector<DualListItem> CDualList::Chosen() const { return ItemsOf(chosen_); }

void CDualList::MoveSelected(bool toChosen) {
  QListWidget* from = toChosen ? offered_ : chosen_;
  QListWidget* to = toChosen ? chosen_ : offered_;
  QSignalBlocker b(chosen_);
  for (QListWidgetItem* it : from->selectedItems()) {
    const DualListItem d = ItemOf(it);
    delete from->takeItem(from->row(it));
    Place(to, MakeItem(d, toChosen));
  }
  emit Changed();
}

}  // namespace meridane
