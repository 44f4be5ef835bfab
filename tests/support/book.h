#pragma once
// A patient book for tests and benchmarks: the data-folder override, the statement errors a
// test provoked, a fresh database with the schema, patients and readings, and whole tables
// read back as text.
#include <string>
#include <vector>

#include "store/database.h"
#include "store/gluco_reading.h"

namespace meridane::test {

// Points the program's data folder at `folder` while it lives; the default folder comes back
// afterwards.
class DataFolderOverride {
 public:
  explicit DataFolderOverride(const std::string& folder) { Switch(folder); }
  ~DataFolderOverride();
  DataFolderOverride(const DataFolderOverride&) = delete;
  DataFolderOverride& operator=(const DataFolderOverride&) = delete;
  // Moves the override elsewhere, so one test can play two installations.
  void Switch(const std::string& folder);
};

// Collects the statement failures of the connections FreshDatabase and FreshDatabaseFile
// open on this thread while it lives (the innermost one), or of any connection handed to
// Collect.
class StatementErrors {
 public:
  StatementErrors();
  ~StatementErrors();
  void Collect(Database& db);
  StatementErrors(const StatementErrors&) = delete;
  StatementErrors& operator=(const StatementErrors&) = delete;
  std::vector<std::string> list;

 private:
  StatementErrors* outer_;
};

// A keyed connection to the data folder's patient database (folder and file made when
// missing) with the schema; check ok() on the result.
Database FreshDatabase();
// The same for a database file at `path` (its folder must exist).
Database FreshDatabaseFile(const std::string& path);

// Every row of a query as texts ("<null>" for NULL), for comparing whole tables.
std::vector<std::vector<std::string>> Rows(Database& db, const std::string& sql);
// Every value of the first column of a query, as text.
std::vector<std::string> Column(Database& db, const std::string& sql);

// Stores a patient through the form's own save, answering Yes; false when it was not saved.
bool AddPatientByForm(Database& db, const std::string& name, const std::string& id,
                      const std::string& medicalNo = "", const std::string& meterSN = "");

inline DateTime At(int y, int mo, int d, int h = 12, int mi = 0) { return {y, mo, d, h, mi}; }

// One in-memory reading.
inline GlucoReading Reading(const DateTime& at, int gluco, int slot, int mark = 2) {
  return {0, at, gluco, slot, mark, 0, {}};
}

}  // namespace meridane::test

#include "support/server_book.h"
