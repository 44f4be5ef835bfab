#pragma once
// Archive files: encrypted databases keyed like the patient database, holding the profile
// tables and one joined readings table per patient (each reading with its details inline,
// no idx). Written by Export and Archive, merged back by Retrieve and Import.
#include <string>
#include <vector>

#include "app/prompter.h"
#include "output/archive_common.h"
#include "store/database.h"

namespace meridane {

// Writes `names` (in order, each once) from the patient database into a new archive file at
// `path`; an existing file there is deleted first. Readings are taken by whole days.
TransferResult WriteArchive(Database& patients, const std::vector<std::string>& names,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter);

// Merges `names` from the archive file at `path` into the patient database: the patient
// matched by full name, its sections by the archive's flags, and the readings of the range's
// whole days, a reading with the same value and date-time as a stored one counting as that
// reading. Each patient is merged in one transaction: a failure leaves it as it was.
TransferResult MergeArchive(Database& patients, const std::vector<std::string>& names,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter);

}  // namespace meridane
