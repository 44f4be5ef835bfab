#include "base/prompter.h"

namespace meridane {

void Prompter::Message(const std::string& text, const std::string& caption, PromptIcon icon) {
  Ask({text, caption, PromptButtons::Ok, icon});
}

bool Prompter::Confirm(const std::string& text, PromptButtons buttons, const std::string& caption,
                       PromptIcon icon) {
  PromptAnswer a = Ask({text, caption, buttons, icon});
  return a == PromptAnswer::Yes || a == PromptAnswer::Ok;
}

PromptAnswer ScriptedPrompter::Ask(const PromptRequest& request) {
  asked_.push_back(request);
  if (!script_.empty()) {
    PromptAnswer a = script_.front();
    script_.pop_front();
    return a;
  }
  switch (request.buttons) {
    case PromptButtons::Ok:
      return PromptAnswer::Ok;
    case PromptButtons::OkCancel:
      return fallbackAccept_ ? PromptAnswer::Ok : PromptAnswer::Cancel;
    case PromptButtons::YesNo:
      return fallbackAccept_ ? PromptAnswer::Yes : PromptAnswer::No;
  }
  return PromptAnswer::Cancel;
}

std::vector<std::string> ScriptedPrompter::texts() const {
  std::vector<std::string> out;
  for (const auto& r : asked_) out.push_back(r.text);
  return out;
}

}  // namespace meridane
