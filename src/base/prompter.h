#pragma once
// Messages and questions the core needs answered. The window answers through message boxes,
// the command line through --yes/--no, tests through a script.
#include <deque>
#include <string>
#include <vector>

namespace meridane {

enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptIcon { None, Exclamation, Information, Question };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptRequest {
  std::string text;
  std::string caption = "Warning";
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::Exclamation;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual PromptAnswer Ask(const PromptRequest& request) = 0;

  // A plain message with one OK button.
  void Message(const std::string& text, const std::string& caption = "Warning",
               PromptIcon icon = PromptIcon::Exclamation);
  // A question; true for Yes (YesNo) or OK (OkCancel).
  bool Confirm(const std::string& text, PromptButtons buttons = PromptButtons::YesNo,
               const std::string& caption = "Warning",
               PromptIcon icon = PromptIcon::Exclamation);
};

// Answers from a script, in order; when the script runs out, the fallback answer
// (Yes/OK by default). Records everything it was asked.
class ScriptedPrompter : public Prompter {
 public:
  explicit ScriptedPrompter(bool fallbackAccept = true) : fallbackAccept_(fallbackAccept) {}
  PromptAnswer Ask(const PromptRequest& request) override;

  void Push(PromptAnswer answer) { script_.push_back(answer); }
  const std::vector<PromptRequest>& asked() const { return asked_; }
  std::vector<std::string> texts() const;
  void Clear() { asked_.clear(); script_.clear(); }

 private:
  bool fallbackAccept_;
  std::deque<PromptAnswer> script_;
  std::vector<PromptRequest> asked_;
};

}  // namespace meridane
