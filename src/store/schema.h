#pragma once
#include <string>
#include <vector>

#include "store/database.h"

namespace meridane {

// Creates the nine tables, upgrading an older Patient table (meterSN varchar(10)) first.
// Idempotent; runs at every start of the window and before every CLI command. A connection
// that did not open is left alone (its failure was reported once, by the open); false
// then or when a statement failed.
bool CreateSchema(Database& db);

// The book's tables besides the readings, each with its columns in their order: the same on
// a file and on a server (where Patient has two more of its own at the end).
struct BookTable {
  std::string name;
  std::vector<std::string> columns;
};
const std::vector<BookTable>& BookTables();

}  // namespace meridane
