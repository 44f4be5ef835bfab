#pragma once
// A patient's Medications row read and written on its own, outside the patient form: the
// "Add" medicines dialog changes one list of it at a time.
#include <string>

#include "store/database.h"
#include "store/patient_profile.h"

namespace meridane {

// Reads the patient's row, or the defaults when there is none.
Medications ReadMedications(Database& db, const std::string& idNo, bool* hasRow = nullptr);

// Writes one list of `m` (insulin or oral: its chosen entries, four custom names and four
// checks) into the patient's existing row; the other list is left as stored.
bool UpdateMedicationList(Database& db, const std::string& idNo, const Medications& m,
                          bool insulin);

// Inserts the patient's row holding `m` and switches the patient's medicationEnable on.
// Run inside the caller's transaction so that both or neither are written.
bool InsertMedications(Database& db, const std::string& idNo, const Medications& m);

}  // namespace meridane
