#include "output/csv_export.h"

#include <cstdio>
#include <memory>
#include <unordered_map>

#include "base/text_lookup.h"
#include "output/safe_file.h"
#include "reports/report_period.h"
#include "reports/statistics.h"
#include "store/reading_store.h"

namespace meridane {

namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kColumnsLine =
    "Item No.,Date,time,Glucose data,comments,Insulin type,Insulin Units,Oral Type,Oral "
    "amounts,Exercise duration,Exercise Intensity,Food carbs,Food Fats,Food Calories,Food "
    "Protiens";

template <typename... Args>
void AppendF(std::string& out, const char* fmt, Args... args) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, fmt, args...);
  if (n > 0) out.append(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

// "MM/dd/yyyy,HH:mm", the time as the report grids write it.
void AppendDateTime(std::string& out, const DateTime& at, bool clock24) {
  AppendMonthDayYear(out, at.date());
  out += ',';
  AppendTimeOfDayText(out, at.time(), clock24);
}

const char* IntensityText(int intensity) {
  switch (intensity) {
    case 0:
      return "Mild";
    case 1:
      return "Moderate";
    case 2:
      return "Hard";
    default:
      return "";
  }
}

void AppendDetails(std::string& out, const GlucoDetailRecord& d) {
  std::string comments;
  for (const std::string* c : {&d.comment, &d.commentIns, &d.commentOra, &d.commentExe,
                               &d.commentFoo}) {
    if (!c->empty()) comments += *c + ";";
  }
  out += CsvField(comments);
  out += ',';
  out += CsvField(d.insulin);
  out += ',';
  if (d.insulinAmount != 0) AppendF(out, "%.1f", d.insulinAmount);
  out += ',';
  out += CsvField(d.oral);
  out += ',';
  if (d.oralAmount != 0) AppendF(out, "%.1f", d.oralAmount);
  out += ',';
  if (d.exerciseHour != 0 || d.exerciseMinute != 0)
    AppendF(out, "%02d:%02d", d.exerciseHour, d.exerciseMinute);
  out += ',';
  AppendF(out, "%s,%d,%d,%d,%d", IntensityText(d.intensity), d.carbs, d.fats, d.carlories,
          d.proteins);
}

std::string NoPathText() {
  return LookupText("FileMsg", "CsvMsg1", "Error: cannot create CSV object. The specified path does not exist.");
}
std::string WriteFailedText() { return LookupText("FileMsg", "CsvMsg2", "Error: cannot create CSV object."); }

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

namespace {

CsvBlock ReadCsvBlock(Database& patients, const PatientKey& key,
                      const TransferPeriod& period, const Date& today) {
  CsvBlock block;
  auto row = ReadPatientRow(patients, key);
  if (!row) return block;
  block.found = true;
  const std::string idNo = RawText(*row, kPatIDNo);
  const bool clock24 = RawText(*row, kPatTimeUnit) == "1";

  // No HealthRecord row means mg/dL; a stored unit counts as mg/dL unless it is "0", so the
  // header line and the values always agree.
  bool mmol = false;
  if (auto unit = ReadRawRow(patients, "SELECT glucoUnit FROM HealthRecord WHERE IDNo=?;", {idNo}))
    mmol = !RawFlag(*unit, 0);

  const std::vector<StoredReading> stored = ReadStoredReadings(patients, idNo);
  block.hasRows = !stored.empty();

  std::string lines;
  if (block.hasRows) {
    std::unordered_map<int, GlucoDetailRecord> details;
    for (auto& d : LoadDetails(patients, idNo)) details.emplace(d.idx, std::move(d));
    lines.reserve(stored.size() * 48);
    for (const StoredReading& r : stored) {
      if (!period.Contains(r.at)) continue;
      ++block.kept;
      AppendF(lines, "%d,", block.kept);
      AppendDateTime(lines, r.at, clock24);
      lines += ',';
      lines += GlucoseText(r.gluco, mmol);
      lines += ',';
      if (auto it = details.find(r.idx); it != details.end()) AppendDetails(lines, it->second);
      lines += kEol;
    }
  }

  std::string& out = block.text;
  out.reserve(lines.size() + 512);
  AppendF(out, "Meridane Rev: %s", kVersionText);
  out += kEol;
  out += mmol ? "mmol/L" : "mg/dL";
  out += kEol;
  out += clock24 ? "Time Format:24:00" : "Time Format:am/pm";
  out += kEol;
  AppendF(out, "Total Number of Readings in Data File:%d", block.kept);
  out += kEol;
  out += "Export Date:";
  AppendMonthDayYear(out, today);
  out += kEol;
  out += CsvField("Patinet Name:" + RawText(*row, kPatFullName));
  out += kEol;
  out += CsvField("ID No.:" + idNo);
  out += kEol;
  out += CsvField("Meter Serial No.:" + RawText(*row, kPatMeterSN));
  out += kEol;
  out += CsvField("Medical Record No.:" + RawText(*row, kPatMedicalNo));
  out += kEol;
  out += kColumnsLine;
  out += kEol;
  out += lines;
  return block;
}

}  // namespace

CsvBlock BuildCsvBlock(Database& patients, const PatientKey& key,
                       const TransferPeriod& period, const Date& today) {
  FailureWatch watch(patients);
  // The patient's row, readings and details from one moment, whatever other desks file.
  Database::ReadSnapshot snapshot(patients);
  CsvBlock block = snapshot.ok() ? ReadCsvBlock(patients, key, period, today) : CsvBlock{};
  block.readFailed = watch.failed() || !snapshot.ok();
  return block;
}

TransferResult ExportCsv(Database& patients, const PatientKey& key,
                         const TransferPeriod& period, const std::string& path, Prompter& prompter,
                         const Date& today) {
  if (!patients.ok()) return FailedRun(prompter, {});
  CsvBlock block = BuildCsvBlock(patients, key, period, today);
  if (block.readFailed) return FailedRun(prompter, ReadFailedText(key.fullName));
  TransferResult result;
  if (!block.found) {
    // Nothing to export leaves no file of that name, as ever; only a plain file of ours goes.
    if (CheckWriteTarget(path) == TargetProblem::Ok) std::remove(path.c_str());
    return result;
  }
  SafeFileWriter out(path);
  if (!out.ok()) return FailedRun(prompter, WriteTargetText(out.problem(), NoPathText()));
  if (!out.Write(block.text) || !out.Commit()) return FailedRun(prompter, WriteFailedText());
  result.patients = 1;
  result.readingsWritten = block.kept;
  return result;
}

TransferResult ArchiveCsv(Database& patients, const std::vector<PatientKey>& keys,
                          const TransferPeriod& period, const std::string& path,
                          Prompter& prompter, const Date& today) {
  if (!patients.ok()) return FailedRun(prompter, {});
  SafeFileWriter out(path);
  if (!out.ok()) return FailedRun(prompter, WriteTargetText(out.problem(), NoPathText()));
  // On a server the whole run reads one moment of the book: no patient renamed meanwhile is
  // left out or written twice.
  Database::ReadSnapshot snapshot(patients, Database::ReadSnapshot::kLongRun);
  if (!snapshot.ok()) return FailedRun(prompter, OpenFailText(patients));
  TransferResult result;
  for (const PatientKey& key : CollectPatients(patients, keys)) {
    CsvBlock block = BuildCsvBlock(patients, key, period, today);
    // A half-read patient would pass for a complete one: the file is not written at all.
    if (block.readFailed) return FailedRun(prompter, ReadFailedText(key.fullName));
    if (!block.found) continue;
    bool written = out.Write(block.text);
    if (block.hasRows) written = written && out.Write("\r\n\r\n\r\n\r\n");
    if (!written) return FailedRun(prompter, WriteFailedText());
    ++result.patients;
    result.readingsWritten += block.kept;
  }
  if (!out.Commit()) return FailedRun(prompter, WriteFailedText());
  return result;
}

}  // namespace meridane
