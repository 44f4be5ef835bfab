#include "gui/widgets/id_entry.h"

#include <QCompleter>
#include <QStringListModel>

namespace meridane {

CIdEntry::CIdEntry(QWidget* parent) : QLineEdit(parent), model_(new QStringListModel(this)) {
  auto* c = new QCompleter(model_, this);
  c->setCaseSensitivity(Qt::CaseInsensitive);
  c->setCompletionMode(QCompleter::PopupCompletion);
  setCompleter(c);
  setMaxLength(12);
}

void CIdEntry::SetIds(const QStringList& ids) { model_->setStringList(ids); }

QStringList CIdEntry::Ids() const { return model_->stringList(); }

}  // namespace meridane
