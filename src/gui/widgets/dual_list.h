#pragma once
// Two lists side by side, offered and chosen, with ">>" and "<<" between them. Each item
// keeps its index in a fixed list; renamable items may be edited in the chosen list.
#include <QString>
#include <QWidget>
#include <vector>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace meridane {

struct DualListItem {
  int index = 0;
  QString text;  // as shown
  bool renamable = false;
  // The text as the store holds it, where the shown one is its translation; empty when the
  // shown text is the stored one. Renaming the item clears it.
  QString stored;
  QString StoredText() const { return stored.isEmpty() ? text : stored; }
};

class CDualList : public QWidget {
  Q_OBJECT
 public:
  CDualList(const QString& offeredTitle, const QString& chosenTitle, QWidget* parent = nullptr);

  void SetItems(const std::vector<DualListItem>& offered, const std::vector<DualListItem>& chosen);
  std::vector<DualListItem> Chosen() const;
  void SetMaxNameLength(int n) { maxName_ = n; }

  QListWidget* offeredList() const { return offered_; }
  QListWidget* chosenList() const { return chosen_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }

 public slots:
  void MoveSelected(bool toChosen);

 signals:
  void Changed();

 private:
  QListWidgetItem* MakeItem(const DualListItem& d, bool inChosen) const;
  std::vector<DualListItem> ItemsOf(QListWidget* list) const;
  void Place(QListWidget* list, QListWidgetItem* item);

  QListWidget* offered_;
  QListWidget* chosen_;
  QPushButton* add_;
  QPushButton* remove_;
  int maxName_ = 20;
};

}  // namespace meridane
