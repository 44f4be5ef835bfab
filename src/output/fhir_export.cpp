#include "output/fhir_export.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "base/text_lookup.h"
#include "reports/classification.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane {

namespace {

using nlohmann::json;

constexpr const char* kLoinc = "http://loinc.org";
constexpr const char* kUcum = "http://unitsofmeasure.org";
constexpr const char* kGlucoseCode = "41653-7";
constexpr const char* kGlucoseDisplay = "Glucose [Mass/volume] in Capillary blood by Glucometer";
constexpr int kLowest = 20;
constexpr int kHighest = 600;

uint64_t Fnv1a(const std::string& text, uint64_t seed) {
  uint64_t h = seed;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001b3ULL;
  }
  return h;
}

std::string UrnOf(const std::string& seed) { return "urn:uuid:" + StableUuid(seed); }

std::string EffectiveTime(const DateTime& at) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:00", at.year, at.month, at.day,
                at.hour, at.minute);
  return buf + LocalUtcOffset(at);
}

json Entry(const std::string& urn, json resource) {
  resource["id"] = urn.substr(9);  // the UUID itself, a valid resource id
  return {{"fullUrl", urn}, {"resource", std::move(resource)}};
}

json PatientResource(const CPatientProfile& p) {
  json ids = json::array();
  ids.push_back({{"type", {{"text", "ID No."}}}, {"value", p.IDNo}});
  if (!p.medicalNo.empty())
    ids.push_back({{"type",
                    {{"coding", json::array({{{"system", "http://terminology.hl7.org/CodeSystem/v2-0203"},
                                              {"code", "MR"}}})},
                     {"text", "Medical Record No."}}},
                   {"value", p.medicalNo}});
  json r = {{"resourceType", "Patient"},
            {"identifier", ids},
            {"name", json::array({{{"text", p.fullName}}})},
            {"gender", p.gender == 1 ? "female" : "male"}};
  if (IsValidDate(p.birth)) r["birthDate"] = FormatDate(p.birth);
  return r;
}

json Notes(const GlucoDetailRecord& d) {
  json notes = json::array();
  const std::pair<const char*, const std::string*> texts[] = {
      {"", &d.comment},
      {"Insulin: ", &d.commentIns},
      {"Oral medicine: ", &d.commentOra},
      {"Exercise: ", &d.commentExe},
      {"Food: ", &d.commentFoo}};
  for (const auto& [label, text] : texts)
    if (!text->empty()) notes.push_back({{"text", std::string(label) + *text}});
  return notes;
}

json ObservationResource(const GlucoReading& r, const CPatientProfile& p,
                         const std::string& patientUrn, const std::string& deviceUrn) {
  json quantity = {{"unit", "mg/dL"}, {"system", kUcum}, {"code", "mg/dL"}};
  // Outside the meters' range only the bound is known: "HI" is more than 600, "LO" less than 20.
  if (r.gluco > kHighest) {
    quantity["value"] = kHighest;
    quantity["comparator"] = ">";
  } else if (r.gluco < kLowest) {
    quantity["value"] = kLowest;
    quantity["comparator"] = "<";
  } else {
    quantity["value"] = r.gluco;
  }
  json code = {{"coding", json::array({{{"system", kLoinc},
                                        {"code", kGlucoseCode},
                                        {"display", kGlucoseDisplay}}})},
               {"text", kGlucoseDisplay}};
  json o = {{"resourceType", "Observation"},
            {"status", "final"},
            {"code", code},
            {"subject", {{"reference", patientUrn}}},
            {"effectiveDateTime", EffectiveTime(r.at)},
            {"valueQuantity", quantity}};
  if (!deviceUrn.empty()) o["device"] = {{"reference", deviceUrn}};
  const std::string slot = SlotName(r.slot, p.mealEnable);
  if (!slot.empty())
    o["component"] = json::array(
        {{{"code", {{"text", "Meal slot"}}}, {"valueString", slot}}});
  json notes = Notes(r.detail);
  if (!notes.empty()) o["note"] = notes;
  return o;
}

}  // namespace

std::string LocalUtcOffset(const DateTime& at) {
  std::tm t{};
  t.tm_year = at.year - 1900;
  t.tm_mon = at.month - 1;
  t.tm_mday = at.day;
  t.tm_hour = at.hour;
  t.tm_min = at.minute;
  t.tm_isdst = -1;  // let the zone rules decide whether summer time applies then
  std::mktime(&t);
  long offset = t.tm_gmtoff;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  // Zones lie within a day of UTC.
  const int hours = static_cast<int>(offset / 3600 % 24);
  const int minutes = static_cast<int>(offset / 60 % 60);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%02d:%02d", sign, hours, minutes);
  return buf;
}

std::string StableUuid(const std::string& seed) {
  uint64_t hi = Fnv1a(seed, 0xcbf29ce484222325ULL);
  uint64_t lo = Fnv1a(seed, hi ^ 0x9e3779b97f4a7c15ULL);
  hi = (hi & ~0xF000ULL) | 0x5000ULL;                              // version 5 layout
  lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;       // RFC 4122 variant
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(hi >> 32),
                static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                static_cast<unsigned>(lo >> 48),
                static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
  return buf;
}

FhirBundle BuildFhirBundle(Database& patients, const PatientKey& key,
                           const TransferPeriod& period) {
  FhirBundle out;
  FailureWatch watch(patients);
  // The patient's row, profile and readings from one moment, whatever other desks file.
  Database::ReadSnapshot snapshot(patients);
  if (!snapshot.ok()) {
    out.readFailed = true;
    return out;
  }
  auto row = ReadPatientRow(patients, key);
  if (!row) {
    out.readFailed = watch.failed();
    return out;
  }
  CPatientProfile patient;
  if (!LoadPatient(patients, RawText(*row, kPatIDNo), patient)) {
    out.readFailed = watch.failed();
    return out;
  }
  out.found = true;
  ReadingTable table;
  if (!LoadReadings(patients, patient, table, &ClassifyReadingSlot) || watch.failed()) {
    out.readFailed = true;
    return out;
  }

  const std::string patientUrn = UrnOf("patient/" + patient.IDNo);
  json entries = json::array();
  entries.push_back(Entry(patientUrn, PatientResource(patient)));
  std::string deviceUrn;
  if (!patient.meterSN.empty()) {
    deviceUrn = UrnOf("device/" + patient.IDNo + "/" + patient.meterSN);
    entries.push_back(Entry(deviceUrn, {{"resourceType", "Device"},
                                        {"serialNumber", patient.meterSN},
                                        {"type", {{"text", "Blood glucose meter"}}},
                                        {"patient", {{"reference", patientUrn}}}}));
  }
  for (const GlucoReading& r : table.entries) {
    if (!period.Contains(r.at)) continue;
    ++out.observations;
    const std::string urn = UrnOf("reading/" + patient.IDNo + "/" + std::to_string(r.idx));
    entries.push_back(Entry(urn, ObservationResource(r, patient, patientUrn, deviceUrn)));
  }
  json bundle = {{"resourceType", "Bundle"}, {"type", "collection"}, {"entry", entries}};
  out.json = bundle.dump(1, '\t', false, json::error_handler_t::replace) + "\n";
  return out;
}

TransferResult ExportFhir(Database& patients, const PatientKey& key, const TransferPeriod& period,
                          const std::string& path, Prompter& prompter) {
  if (!patients.ok()) return FailedRun(prompter, {});
  FhirBundle bundle = BuildFhirBundle(patients, key, period);
  if (bundle.readFailed) return FailedRun(prompter, ReadFailedText(key.fullName));
  if (!bundle.found)
    return FailedRun(prompter, LookupText("FileMsg", "FhirMsg1", "No patient of that name was found; nothing was written."));
  SafeFileWriter out(path);
  if (!out.ok())
    return FailedRun(prompter, WriteTargetText(out.problem(), LookupText("FileMsg", "FhirMsg2", "The file cannot be created there.")));
  if (!out.Write(bundle.json) || !out.Commit())
    return FailedRun(prompter, LookupText("FileMsg", "FhirMsg3", "The file could not be written completely; nothing was kept."));
  TransferResult result;
  result.patients = 1;
  result.readingsWritten = bundle.observations;
  return result;
}

}  // namespace meridane
