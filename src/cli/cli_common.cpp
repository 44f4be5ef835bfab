#include "cli/cli_common.h"

#include <iostream>

namespace meridane::cli {

std::vector<Registrar>& Registrars() {
  static std::vector<Registrar> list;
  return list;
}

Register::Register(Registrar r) { Registrars().push_back(r); }

PromptAnswer CliPrompter::Ask(const PromptRequest& request) {
  if (request.buttons == PromptButtons::Ok) {
    messages_.push_back(request.text);
    std::cerr << request.text << "\n";
    return PromptAnswer::Ok;
  }
  bool yesNo = request.buttons == PromptButtons::YesNo;
  if (ctx_.yes) return yesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  if (ctx_.no) return yesNo ? PromptAnswer::No : PromptAnswer::Cancel;
  throw CliExit{1, request.text};
}

Date ParseDateArg(const std::string& text, const char* option) {
  auto d = ParseDate(text);
  if (!d || !IsValidDate(*d) || text.size() != 10)
    throw CliExit{2, std::string(option) + ": expected a date YYYY-MM-DD, got '" + text + "'"};
  return *d;
}

DateTime ParseDateTimeArg(const std::string& text, const char* option) {
  auto dt = ParseDateTime(text);
  if (!dt || !IsValidDate(dt->date()) || dt->hour < 0 || dt->hour > 23 || dt->minute < 0 ||
      dt->minute > 59)
    throw CliExit{2, std::string(option) + ": expected YYYY-MM-DD HH:MM, got '" + text + "'"};
  return *dt;
}

Period ResolvePeriod(const std::string& from, const std::string& to, int latestDays) {
  if (latestDays > 0) {
    if (!from.empty() || !to.empty()) throw CliExit{2, "give either --from/--to or --latest"};
    Date today = Today();
    return {AddDays(today, -(latestDays - 1)), today};
  }
  if (from.empty() || to.empty()) throw CliExit{2, "a period needs --from and --to, or --latest"};
  return {ParseDateArg(from, "--from"), ParseDateArg(to, "--to")};
}

void PrintJson(const nlohmann::json& j) { std::cout << j.dump(2) << "\n"; }

void PrintRow(const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i) std::cout << '\t';
    std::cout << cells[i];
  }
  std::cout << '\n';
}

}  // namespace meridane::cli
