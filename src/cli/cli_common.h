#pragma once
// Shared plumbing of meridane-cli: the registry every command file adds itself to, the
// context of one run, and the prompter that answers by --yes/--no.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/prompter.h"
#include "store/date_time.h"

namespace meridane::cli {

// Thrown by a command to end the run with a status; the message goes to stderr.
struct CliExit {
  int status;
  std::string message;
};

struct Context {
  std::string dataDir;
  bool yes = false;
  bool no = false;
};

// Answers questions by --yes (Yes/OK) or --no (No/Cancel). Without either, a question
// ends the run with status 1 after printing it. Plain messages go to stderr.
class CliPrompter : public Prompter {
 public:
  explicit CliPrompter(const Context& ctx) : ctx_(ctx) {}
  PromptAnswer Ask(const PromptRequest& request) override;
  // Messages shown so far, in order (commands decide whether a message means failure).
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  const Context& ctx_;
  std::vector<std::string> messages_;
};

using Registrar = void (*)(CLI::App& app, Context& ctx);
// Each command file has one static `Register` object naming its registrar.
struct Register {
  explicit Register(Registrar r);
};
std::vector<Registrar>& Registrars();

// Argument helpers: exit status 2 with a usage message when malformed.
Date ParseDateArg(const std::string& text, const char* option);
DateTime ParseDateTimeArg(const std::string& text, const char* option);

// A period from --from/--to or --latest DAYS (ending today). Either both dates or DAYS.
struct Period {
  Date from;
  Date to;
};
Period ResolvePeriod(const std::string& from, const std::string& to, int latestDays);

void PrintJson(const nlohmann::json& j);
// Tab-separated line on stdout.
void PrintRow(const std::vector<std::string>& cells);

}  // namespace meridane::cli
