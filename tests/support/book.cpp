#include "support/book.h"

#include "base/data_paths.h"
#include "base/prompter.h"
#include "store/patient_store.h"
#include "store/schema.h"

namespace meridane::test {

DataFolderOverride::~DataFolderOverride() { SetDataFolderOverride(""); }

void DataFolderOverride::Switch(const std::string& folder) { SetDataFolderOverride(folder); }

StatementErrors::StatementErrors() {
  SetStatementErrorSink([this](const std::string& m) { list.push_back(m); });
}

StatementErrors::~StatementErrors() { SetStatementErrorSink(nullptr); }

Database FreshDatabase() {
  Database db = OpenPatientDatabase();
  if (db.ok()) CreateSchema(db);
  return db;
}

Database FreshDatabaseFile(const std::string& path) {
  Database db = Database::OpenFile(path);
  if (db.ok()) CreateSchema(db);
  return db;
}

std::vector<std::vector<std::string>> Rows(Database& db, const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  Statement st = db.Prepare(sql);
  while (st.Step()) {
    std::vector<std::string> row;
    for (int c = 0; c < st.ColumnCount(); ++c) row.push_back(st.IsNull(c) ? "<null>" : st.Text(c));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<std::string> Column(Database& db, const std::string& sql) {
  std::vector<std::string> out;
  Statement st = db.Prepare(sql);
  while (st.Step()) out.push_back(st.Text(0));
  return out;
}

bool AddPatientByForm(Database& db, const std::string& name, const std::string& id,
                      const std::string& medicalNo, const std::string& meterSN) {
  ScriptedPrompter yes;
  PatientFormValues f;
  f.fullName = name;
  f.IDNo = id;
  f.medicalNo = medicalNo;
  f.meterSN = meterSN;
  CPatientProfile scratch;
  return SavePatientForm(db, yes, f, false, {}, scratch) == FormSaveOutcome::Saved;
}

}  // namespace meridane::test
