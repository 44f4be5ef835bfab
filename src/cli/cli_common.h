#pragma once
// Shared plumbing of meridane-cli: the registry every command file adds itself to, the
// context of one run, and the prompter that answers by --yes/--no.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/prompter.h"
#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/date_time.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"

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
  // Statements that failed on the run's connections, each text already on stderr. Any of
  // them ends the run with status 1, whatever the command made of it: a read failure must
  // not pass for an empty result. Counted through a const Context by the connections.
  mutable int statementFailures = 0;
};

// Answers questions by --yes (Yes/OK) or --no (No/Cancel). Without either, a question
// ends the run with status 1 after printing it. Plain messages go to stderr.
class CliPrompter : public Prompter {
 public:
  explicit CliPrompter(const Context& ctx) : ctx_(ctx) {}
  PromptAnswer Ask(const PromptRequest& request) override;
  // Messages shown so far, in order (commands decide whether a message means failure).
  const std::vector<std::string>& messages() const { return messages_; }

  // Ends the run with status 1 after a refusal. An OK/Cancel message answered by
  // --yes/--no was not printed; it is printed now so the reason is never lost.
  [[noreturn]] void FailWithLastRequest(const std::string& fallback) const;

 private:
  const Context& ctx_;
  std::vector<std::string> messages_;
  std::string lastText_;
  bool lastPrinted_ = false;
};

// The message the window shows for an ID that no patient has.
inline constexpr const char* kIdNotExisted = "This user's ID is NOT existed.";

// A keyed connection to the patient database, or the end of the run (status 1; the
// open failure is already on stderr). Its failures are reported to the run (ReportToRun).
Database OpenDatabaseOrExit(const Context& ctx);
// Has each statement failure of `db` printed on stderr as it happens and counted in
// ctx.statementFailures.
void ReportToRun(Database& db, const Context& ctx);
// Loads the patient, or ends the run with status 1 and "This user's ID is NOT existed.".
void LoadPatientOrExit(Database& db, const std::string& idNo, CPatientProfile& out);

// LoadReadings, or the end of the run (status 1) when the readings could not all be read:
// nothing is printed or written from half-read data.
void LoadReadingsOrExit(Database& db, const CPatientProfile& patient, ReadingTable& table);

// Reads a JSON document from a file; status 2 when it is missing or malformed.
nlohmann::json ReadJsonFile(const std::string& path, const char* option);
// Length of a UTF-8 text in characters, as the window's entry fields count them.
size_t CharacterCount(const std::string& text);

// A stored column as JSON: numbers, true/false for flags, texts, "YYYY-MM-DD" dates and
// "HH:MM:00" times.
nlohmann::json ColumnToJson(const ColumnRef& c);
// Sets the column's field from JSON (flags also take 0/1, times "HH:MM" or "HH:MM:SS").
// A value of the wrong kind, or a text over maxChars (0: no limit), ends the run with
// status 2 naming `where`.
void ColumnFromJson(const ColumnRef& c, const nlohmann::json& v, const std::string& where,
                    size_t maxChars = 0);

using Registrar = void (*)(CLI::App& app, Context& ctx);
// Each command file has one static `Register` object naming its registrar.
struct Register {
  explicit Register(Registrar r);
};
std::vector<Registrar>& Registrars();

// Argument helpers: exit status 2 with a usage message when malformed.
Date ParseDateArg(const std::string& text, const char* option);
DateTime ParseDateTimeArg(const std::string& text, const char* option);

// A period from --from/--to or --latest DAYS. Either both dates or DAYS. --latest means
// what the report pages' default period means: the day of the newest reading (today when
// there is none, or when no readings are given) and the DAYS days before it.
struct Period {
  Date from;
  Date to;
};
Period ResolvePeriod(const std::string& from, const std::string& to, int latestDays,
                     const ReadingTable* readings = nullptr);
// The same for a report: a negative DAYS is bad usage, a start after the end is refused
// with the report pages' own message (status 1).
Period ResolveReportPeriod(const std::string& from, const std::string& to, int latestDays,
                           const ReadingTable* readings);

void PrintJson(const nlohmann::json& j);
// Tab-separated line on stdout.
void PrintRow(const std::vector<std::string>& cells);

}  // namespace meridane::cli
