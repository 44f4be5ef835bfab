#include "gui/main/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace meridane {

PromptAnswer QtPrompter::Ask(const PromptRequest& r) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (r.icon) {
    case PromptIcon::Exclamation: icon = QMessageBox::Warning; break;
    case PromptIcon::Information: icon = QMessageBox::Information; break;
    case PromptIcon::Question: icon = QMessageBox::Question; break;
    case PromptIcon::None: break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton def = QMessageBox::Ok;
  if (r.buttons == PromptButtons::OkCancel) {
    buttons = QMessageBox::Ok | QMessageBox::Cancel;
  } else if (r.buttons == PromptButtons::YesNo) {
    buttons = QMessageBox::Yes | QMessageBox::No;
    def = QMessageBox::Yes;
  }
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = parent_;
  QMessageBox box(icon, QString::fromStdString(r.caption), QString::fromStdString(r.text),
                  buttons, parent);
  box.setDefaultButton(def);
  switch (box.exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: return r.buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
  }
}

}  // namespace meridane
