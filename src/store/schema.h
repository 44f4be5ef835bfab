#pragma once
#include "store/database.h"

namespace meridane {

// Creates the nine tables, upgrading an older Patient table (meterSN varchar(10)) first.
// Idempotent; runs at every start of the window and before every CLI command.
void CreateSchema(Database& db);
void CreateSchema();

}  // namespace meridane
