#include "support/book.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <utility>

#include "base/data_paths.h"
#include "base/prompter.h"
#include "store/patient_store.h"
#include "store/schema.h"

// Forms are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane::test {

bool ServerBookWanted() {
  const char* server = std::getenv("MERIDANE_TEST_SERVER");
  const char* book = std::getenv("MERIDANE_TEST_BOOK");
  return server && *server && book && std::string(book) == "server";
}

std::string NewServerBookUri() {
  static std::atomic<int> counter{0};
  const std::string base = std::getenv("MERIDANE_TEST_SERVER");
  const std::string schema =
      "t" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" +
      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
  Database admin = Database::OpenServer(base);
  if (!admin.ok() || !admin.Exec("CREATE SCHEMA " + schema + ";")) return base;
  return base + (base.find('?') == std::string::npos ? "?" : "&") +
         "options=-csearch_path%3D" + schema;
}

namespace {
// Each data folder a test points at is one installation, with a book of its own.
void UseBookOf(const std::string& folder) {
  static std::map<std::string, std::string> books;
  if (!ServerBookWanted()) return;
  if (folder.empty()) {
    unsetenv("MERIDANE_BOOK");
    return;
  }
  auto [it, added] = books.try_emplace(folder);
  if (added) it->second = NewServerBookUri();
  setenv("MERIDANE_BOOK", it->second.c_str(), 1);
}
}  // namespace

DataFolderOverride::~DataFolderOverride() {
  SetDataFolderOverride("");
  UseBookOf("");
}

void DataFolderOverride::Switch(const std::string& folder) {
  SetDataFolderOverride(folder);
  UseBookOf(folder);
}

namespace {
thread_local StatementErrors* g_collector = nullptr;
}  // namespace

StatementErrors::StatementErrors() : outer_(std::exchange(g_collector, this)) {}

StatementErrors::~StatementErrors() { g_collector = outer_; }

void StatementErrors::Collect(Database& db) {
  db.ReportFailuresTo([this](const std::string& m) { list.push_back(m); });
}

Database FreshDatabase() {
  Database db = OpenPatientDatabase();
  if (g_collector) g_collector->Collect(db);
  if (db.ok()) CreateSchema(db);
  return db;
}

Database FreshDatabaseFile(const std::string& path) {
  Database db = Database::OpenFile(path);
  if (g_collector) g_collector->Collect(db);
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
  const PatientFormValues f{
      .fullName = name, .IDNo = id, .medicalNo = medicalNo, .meterSN = meterSN};
  CPatientProfile scratch;
  return SavePatientForm(db, yes, f, false, {}, scratch) == FormSaveOutcome::Saved;
}

}  // namespace meridane::test
