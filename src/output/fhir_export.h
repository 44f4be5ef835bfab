#pragma once
// A patient's readings of a period as one FHIR R4 JSON Bundle of type "collection", for
// records systems: the Patient, the meter as a Device and one Observation per reading.
#include <string>

#include "base/prompter.h"
#include "output/archive_common.h"
#include "store/database.h"
#include "store/date_time.h"

namespace meridane {

// "+HH:MM"/"-HH:MM": the local offset from UTC in force at that local date and time, so a
// summer reading and a winter reading of the same clock time differ across a DST change.
std::string LocalUtcOffset(const DateTime& at);

// A UUID made from `seed` alone: the same patient and reading give the same entry names in
// every export, so two exports of one period can be compared.
std::string StableUuid(const std::string& seed);

struct FhirBundle {
  bool found = false;       // the key matched a patient
  bool readFailed = false;  // a statement failed: the bundle is incomplete, never to be written
  int observations = 0;
  std::string json;
};

// The bundle of the patient `key` for the readings `period` contains.
FhirBundle BuildFhirBundle(Database& patients, const PatientKey& key, const TransferPeriod& period);

// Writes the bundle to `path` through the safe file writing. An unknown patient writes
// nothing and is refused with a message.
TransferResult ExportFhir(Database& patients, const PatientKey& key, const TransferPeriod& period,
                          const std::string& path, Prompter& prompter);

}  // namespace meridane
