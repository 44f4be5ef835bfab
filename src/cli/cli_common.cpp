#include "cli/cli_common.h"

#include <cstdint>
#include <fstream>
#include <iostream>

#include "reports/classification.h"
#include "reports/report_period.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane::cli {

std::vector<Registrar>& Registrars() {
  static std::vector<Registrar> list;
  return list;
}

Register::Register(Registrar r) { Registrars().push_back(r); }

PromptAnswer CliPrompter::Ask(const PromptRequest& request) {
  lastText_ = request.text;
  lastPrinted_ = false;
  if (request.buttons == PromptButtons::Ok) {
    messages_.push_back(request.text);
    std::cerr << request.text << "\n";
    lastPrinted_ = true;
    return PromptAnswer::Ok;
  }
  bool yesNo = request.buttons == PromptButtons::YesNo;
  if (ctx_.yes) return yesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  if (ctx_.no) return yesNo ? PromptAnswer::No : PromptAnswer::Cancel;
  throw CliExit{1, request.text};
}

void CliPrompter::FailWithLastRequest(const std::string& fallback) const {
  if (lastText_.empty()) throw CliExit{1, fallback};
  throw CliExit{1, lastPrinted_ ? std::string() : lastText_};
}

Database OpenDatabaseOrExit(const Context& ctx) {
  Database db = OpenPatientDatabase();
  if (!db.ok()) throw CliExit{1, ""};
  ReportToRun(db, ctx);
  return db;
}

void ReportToRun(Database& db, const Context& ctx) {
  db.ReportFailuresTo([&ctx](const std::string& message) {
    ++ctx.statementFailures;
    std::cerr << message << "\n";
  });
}

void LoadPatientOrExit(Database& db, const std::string& idNo, CPatientProfile& out) {
  if (idNo.empty() || !PatientIdExists(db, idNo) || !LoadPatient(db, idNo, out))
    throw CliExit{1, kIdNotExisted};
  out.IDNo = idNo;
}

void LoadReadingsOrExit(Database& db, const CPatientProfile& patient, ReadingTable& table) {
  if (!LoadReadings(db, patient, table, ClassifyReadingSlot))
    throw CliExit{1, FillText(LookupText("Cli", "ReadingsUnread",
                                         "The readings of {id} could not be read; nothing was done."),
                              {{"id", patient.IDNo}})};
}

nlohmann::json ReadJsonFile(const std::string& path, const char* option) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CliExit{2, std::string(option) + ": cannot read '" + path + "'"};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The whole file is the document: a NUL byte or anything after the object refuses it,
  // rather than a part of it being taken.
  if (text.find('\0') != std::string::npos)
    throw CliExit{2, std::string(option) + ": '" + path + "' holds a NUL byte"};
  auto j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object())
    throw CliExit{2, std::string(option) + ": '" + path + "' is not a JSON object"};
  return j;
}

size_t CharacterCount(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

Date ParseDateArg(const std::string& text, const char* option) {
  auto d = ParseDate(text);
  if (!d || !IsValidDate(*d) || text.size() != 10)
    throw CliExit{2, std::string(option) + ": expected a date YYYY-MM-DD, got '" + text + "'"};
  return *d;
}

DateTime ParseDateTimeArg(const std::string& text, const char* option) {
  auto dt = ParseDateTime(text);
  if (!dt || !IsValidDateTime(*dt))
    throw CliExit{2, std::string(option) + ": expected YYYY-MM-DD HH:MM, got '" + text + "'"};
  return *dt;
}

Period ResolvePeriod(const std::string& from, const std::string& to, int latestDays,
                     const ReadingTable* readings) {
  if (latestDays > 0) {
    if (!from.empty() || !to.empty()) throw CliExit{2, "give either --from/--to or --latest"};
    ReportPeriod p = LatestPeriod(readings ? *readings : ReadingTable{}, latestDays);
    return {p.first, p.last};
  }
  if (from.empty() || to.empty()) throw CliExit{2, "a period needs --from and --to, or --latest"};
  return {ParseDateArg(from, "--from"), ParseDateArg(to, "--to")};
}

Period ResolveReportPeriod(const std::string& from, const std::string& to, int latestDays,
                           const ReadingTable* readings) {
  if (latestDays < 0) throw CliExit{2, "--latest: expected a positive number of days"};
  const Period p = ResolvePeriod(from, to, latestDays, readings);
  if (p.to < p.from) throw CliExit{1, PeriodRefusalText()};
  return p;
}

void PrintJson(const nlohmann::json& j) { std::cout << j.dump(2) << "\n"; }

void PrintRow(const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i) std::cout << '\t';
    std::cout << cells[i];
  }
  std::cout << '\n';
}

namespace {
template <class... F>
struct Overload : F... {
  using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;
}  // namespace

nlohmann::json ColumnToJson(const ColumnRef& c) {
  return std::visit(Overload{
                        [](int* v) { return nlohmann::json(*v); },
                        [](double* v) { return nlohmann::json(*v); },
                        [](std::string* v) { return nlohmann::json(*v); },
                        [](bool* v) { return nlohmann::json(*v); },
                        [](Date* v) { return nlohmann::json(FormatDate(*v)); },
                        [](TimeOfDay* v) { return nlohmann::json(FormatTimeOfDay(*v)); },
                    },
                    c.field);
}

void ColumnFromJson(const ColumnRef& c, const nlohmann::json& v, const std::string& where,
                    size_t maxChars) {
  auto bad = [&](const std::string& expected) -> CliExit {
    return CliExit{2, where + ": expected " + expected + ", got " + v.dump()};
  };
  std::visit(Overload{
                 [&](int* f) {
                   if (!v.is_number_integer() || v < INT32_MIN || v > INT32_MAX)
                     throw bad("a whole number");
                   *f = v.get<int>();
                 },
                 [&](double* f) {
                   if (!v.is_number()) throw bad("a number");
                   *f = v.get<double>();
                 },
                 [&](std::string* f) {
                   if (!v.is_string()) throw bad("a text");
                   std::string text = v.get<std::string>();
                   if (maxChars && CharacterCount(text) > maxChars)
                     throw bad("at most " + std::to_string(maxChars) + " characters");
                   *f = text;
                 },
                 [&](bool* f) {
                   if (v.is_boolean())
                     *f = v.get<bool>();
                   else if (v.is_number_integer() && (v == 0 || v == 1))
                     *f = v == 1;
                   else
                     throw bad("true, false, 0 or 1");
                 },
                 [&](Date* f) {
                   std::optional<Date> d;
                   if (v.is_string()) d = ParseDate(v.get<std::string>());
                   if (!d || !IsValidDate(*d)) throw bad("a date YYYY-MM-DD");
                   *f = *d;
                 },
                 [&](TimeOfDay* f) {
                   std::optional<TimeOfDay> t;
                   if (v.is_string()) t = ParseTimeOfDay(v.get<std::string>());
                   if (!t || !IsValidTime(*t))
                     throw bad("a time HH:MM");
                   *f = *t;
                 },
             },
             c.field);
}

}  // namespace meridane::cli
