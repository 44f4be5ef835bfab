#include "store/medication_store.h"

namespace meridane {

namespace {
const char* FlagText(bool on) { return on ? "1" : "0"; }
}  // namespace

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

bool UpdateMedicationList(Database& db, const std::string& idNo, const Medications& m,
                          bool insulin) {
  const std::string l = insulin ? "insulin" : "oral";
  Statement up = db.Prepare("UPDATE Medications SET " + l + "=?, " + l + "1=?, " + l + "2=?, " +
                            l + "3=?, " + l + "4=?, " + l + "1Check=?," + l + "2Check=?," + l +
                            "3Check=?," + l + "4Check=? WHERE IDNo=?;");
  if (!up.ok()) return false;
  const auto& names = insulin ? m.insulinName : m.oralName;
  const auto& checks = insulin ? m.insulinCheck : m.oralCheck;
  up.Bind(1, std::to_string(insulin ? m.insulin : m.oral));
  for (int k = 0; k < 4; ++k) up.Bind(2 + k, names[k]);
  for (int k = 0; k < 4; ++k) up.Bind(6 + k, FlagText(checks[k]));
  up.Bind(10, idNo);
  return up.Run();
}

bool InsertMedications(Database& db, const std::string& idNo, const Medications& m) {
  // Column order: IDNo, insulin, oral, insulinPump, dietExercise, insulin1..4, oral1..4,
  // insulin1Check..4, oral1Check..4.
  Statement in =
      db.Prepare("INSERT INTO Medications VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);");
  if (!in.ok()) return false;
  in.Bind(1, idNo);
  in.Bind(2, std::to_string(m.insulin));
  in.Bind(3, std::to_string(m.oral));
  in.Bind(4, FlagText(m.insulinPump));
  in.Bind(5, FlagText(m.dietExercise));
  for (int k = 0; k < 4; ++k) {
    in.Bind(6 + k, m.insulinName[k]);
    in.Bind(10 + k, m.oralName[k]);
    in.Bind(14 + k, FlagText(m.insulinCheck[k]));
    in.Bind(18 + k, FlagText(m.oralCheck[k]));
  }
  if (!in.Run()) return false;
  Statement en = db.Prepare("UPDATE Patient SET medicationEnable='1' WHERE IDNo = ?;");
  return en.ok() && en.Bind(1, idNo).Run();
}

}  // namespace meridane
