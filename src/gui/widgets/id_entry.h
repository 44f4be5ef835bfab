#pragma once
// The patient ID entry: a line edit that completes from the stored IDs.
#include <QLineEdit>
#include <QStringList>

class QKeyEvent;
class QStringListModel;

namespace meridane {

class CIdEntry : public QLineEdit {
  Q_OBJECT
 public:
  explicit CIdEntry(QWidget* parent = nullptr);
  void SetIds(const QStringList& ids);
  QStringList Ids() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QStringListModel* model_;
};

}  // namespace meridane
