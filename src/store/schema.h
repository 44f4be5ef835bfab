#pragma once
#include "store/database.h"

namespace meridane {

// Creates the nine tables, upgrading an older Patient table (meterSN varchar(10)) first.
// Idempotent; runs at every start of the window and before every CLI command. A connection
// that did not open is left alone (its failure was reported once, by the open); false
// then or when a statement failed.
bool CreateSchema(Database& db);
bool CreateSchema();

}  // namespace meridane
