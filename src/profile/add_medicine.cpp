#include "profile/add_medicine.h"

#include "profile/profile_rules.h"
#include "store/patient_store.h"

namespace meridane {

Medications ReadMedications(Database& db, const std::string& idNo, bool* hasRow) {
  Medications m;
  if (hasRow) *hasRow = false;
  Statement st = db.Prepare(
      "SELECT insulin, insulin1Check, insulin2Check, insulin3Check, insulin4Check,insulin1, "
      "insulin2, insulin3, insulin4, oral, oral1Check, oral2Check, oral3Check, oral4Check,oral1, "
      "oral2, oral3, oral4 FROM Medications WHERE IDNo = ?;");
  if (!st.ok()) return m;
  st.Bind(1, idNo);
  if (!st.Step()) return m;
  if (hasRow) *hasRow = true;
  auto flag = [&](int col) { return st.Text(col) != "0"; };
  m.insulin = static_cast<int>(st.Int(0));
  m.oral = static_cast<int>(st.Int(9));
  for (int k = 0; k < 4; ++k) {
    m.insulinCheck[k] = flag(1 + k);
    m.insulinName[k] = st.Text(5 + k);
    m.oralCheck[k] = flag(10 + k);
    m.oralName[k] = st.Text(14 + k);
  }
  return m;
}

AddMedicineResult AddCustomMedicine(Database& db, const std::string& idNo, bool insulin,
                                    const std::string& name) {
  if (idNo.empty() || name.empty() || name.size() > kMaxCustomMedicineName)
    return AddMedicineResult::InvalidName;
  if (!db.ok()) return AddMedicineResult::Failed;
  if (!PatientIdExists(db, idNo)) return AddMedicineResult::InvalidName;

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

  const char* listName = insulin ? "insulin" : "oral";
  const auto& names = insulin ? m.insulinName : m.oralName;
  Database::Transaction tx(db);
  bool ok = true;
  if (hasRow) {
    std::string l = listName;
    Statement up = db.Prepare("UPDATE Medications SET " + l + "=?, " + l + "1=?, " + l + "2=?, " +
                              l + "3=?, " + l + "4=?, " + l + "1Check=?," + l + "2Check=?," + l +
                              "3Check=?," + l + "4Check=? WHERE IDNo=?;");
    ok = up.ok();
    if (ok) {
      up.Bind(1, std::to_string(insulin ? m.insulin : m.oral));
      for (int k = 0; k < 4; ++k) up.Bind(2 + k, names[k]);
      for (int k = 0; k < 4; ++k) up.Bind(6 + k, checks[k] ? "1" : "0");
      up.Bind(10, idNo);
      ok = up.Run();
    }
  } else {
    // Column order: IDNo, insulin, oral, insulinPump, dietExercise, insulin1..4, oral1..4,
    // insulin1Check..4, oral1Check..4. The other list keeps its defaults.
    Statement in = db.Prepare(
        "INSERT INTO Medications VALUES(?,?,?,'0','0',?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);");
    ok = in.ok();
    if (ok) {
      Medications d;
      const Medications& ins = insulin ? m : d;
      const Medications& ora = insulin ? d : m;
      in.Bind(1, idNo);
      in.Bind(2, std::to_string(ins.insulin));
      in.Bind(3, std::to_string(ora.oral));
      for (int k = 0; k < 4; ++k) {
        in.Bind(4 + k, ins.insulinName[k]);
        in.Bind(8 + k, ora.oralName[k]);
        in.Bind(12 + k, ins.insulinCheck[k] ? "1" : "0");
        in.Bind(16 + k, ora.oralCheck[k] ? "1" : "0");
      }
      ok = in.Run();
    }
    if (ok) {
      Statement en = db.Prepare("UPDATE Patient SET medicationEnable='1' WHERE IDNo = ?;");
      ok = en.ok() && en.Bind(1, idNo).Run();
    }
  }
  if (!ok || !tx.Commit()) return AddMedicineResult::Failed;
  return AddMedicineResult::Added;
}

}  // namespace meridane
