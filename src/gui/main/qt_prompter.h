#pragma once
// Messages and questions as message boxes with the caption, icon and buttons asked for.
#include <QPointer>
#include <QWidget>

#include "base/prompter.h"

namespace meridane {

class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  PromptAnswer Ask(const PromptRequest& request) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace meridane
