#pragma once
// The "Add" medicines dialog's store: a custom insulin or oral medicine added straight into
// the current patient's Medications row, outside the patient form.
#include <string>

#include "store/database.h"
#include "store/medication_store.h"

namespace meridane {

enum class AddMedicineResult {
  Added,
  AlreadyListed,  // the patient already has a medicine of that name in the list
  NoFreeSlot,     // all four custom entries are taken
  InvalidName,    // empty, too long, or the patient is unknown
  Failed,         // a statement failed; nothing was written
};

// Takes the first free custom entry of the list, names it, checks it and marks it chosen;
// updates the row, or inserts one and switches medicationEnable on, in one transaction.
AddMedicineResult AddCustomMedicine(Database& db, const std::string& idNo, bool insulin,
                                    const std::string& name);

}  // namespace meridane
