#include "gui/widgets/id_entry.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
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

// A list that offers only what is already typed in full is closed at once: open, it would
// take the next click for itself, and "View Report" clicked after typing an ID would do
// nothing the first time.
void CIdEntry::keyPressEvent(QKeyEvent* event) {
  QLineEdit::keyPressEvent(event);
  QCompleter* c = completer();
  if (c && c->popup()->isVisible() && c->completionCount() == 1 &&
      c->currentCompletion().compare(text(), Qt::CaseInsensitive) == 0)
    c->popup()->hide();
}

}  // namespace meridane
