#include "gui/main/qt_prompter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <memory>

namespace meridane {

namespace {
// A Yes/No question is answered by choosing Yes or No. Qt would take Esc and the close box
// as No, so two Esc presses could answer "save and leave?" with No and drop every unsaved
// edit; here both do nothing, as the system message box this program was made for does.
class YesNoBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape) return e->accept();
    QMessageBox::keyPressEvent(e);
  }
  void closeEvent(QCloseEvent* e) override {
    if (!clickedButton()) return e->ignore();
    QMessageBox::closeEvent(e);
  }
};
}  // namespace

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
  const QString caption = QString::fromStdString(r.caption);
  const QString text = QString::fromStdString(r.text);
  std::unique_ptr<QMessageBox> box;
  if (r.buttons == PromptButtons::YesNo)
    box = std::make_unique<YesNoBox>(icon, caption, text, buttons, parent);
  else
    box = std::make_unique<QMessageBox>(icon, caption, text, buttons, parent);
  box->setDefaultButton(def);
  switch (box->exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: return r.buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
  }
}

}  // namespace meridane
