#include "profile/add_medicine.h"

#include "profile/profile_rules.h"
#include "store/patient_store.h"

namespace meridane {

AddMedicineResult AddCustomMedicine(Database& db, const std::string& idNo, bool insulin,
                                    const std::string& name) {
  if (idNo.empty() || name.empty() || name.size() > kMaxCustomMedicineName)
    return AddMedicineResult::InvalidName;
  if (!db.ok()) return AddMedicineResult::Failed;
  if (!PatientIdExists(db, idNo)) return AddMedicineResult::InvalidName;

  // The list is read under the write lock: another desk adding a medicine at the same
  // moment is waited for, and its name is kept, not written over.
  Database::Transaction tx(db);
  if (!tx.ok()) return AddMedicineResult::Failed;
  bool hasRow = false;
  Medications m = ReadMedications(db, idNo, &hasRow);
  std::vector<ListEntry> offered, chosen;
  SplitMedicines(m, insulin, offered, chosen);
  for (const auto& e : chosen)
    if (e.text == name) return AddMedicineResult::AlreadyListed;
  const int firstCustom = insulin ? 7 : 17;
  auto& checks = insulin ? m.insulinCheck : m.oralCheck;
  int slot = -1;
  for (int k = 0; k < 4 && slot < 0; ++k)
    if (!checks[k]) slot = k;
  if (slot < 0) return AddMedicineResult::NoFreeSlot;
  chosen.push_back({firstCustom + slot, name, true});
  SetChosenMedicines(chosen, insulin, m);

  // Without a row, `m` holds the defaults apart from the list just changed.
  // Counted as a save of the patient: a desk holding an older copy of the profile is told
  // when it saves, instead of writing its list over the medicine added here.
  const bool ok =
      (hasRow ? UpdateMedicationList(db, idNo, m, insulin) : InsertMedications(db, idNo, m)) &&
      CountPatientSave(db, idNo);
  if (!ok || !tx.Commit()) return AddMedicineResult::Failed;
  return AddMedicineResult::Added;
}

}  // namespace meridane
