#pragma once
// Archive files: encrypted databases keyed like the patient database, holding the profile
// tables and one joined readings table per patient (each reading with its details inline,
// no idx). Written by Export and Archive, merged back by Retrieve and Import.
#include <string>
#include <vector>

#include "base/prompter.h"
#include "output/archive_common.h"
#include "store/database.h"

namespace meridane {

// Writes the patients `keys` (in order, each once) from the patient database into a new
// archive file at `path`; an existing file there is deleted first. Readings are taken by
// whole days.
TransferResult WriteArchive(Database& patients, const std::vector<PatientKey>& keys,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter);

// Merges the patients `keys` from the archive file at `path` into the patient database: each
// archived patient into the stored patient of its name and ID (or the chosen one, or the
// only one of its name, or a new one; never into a namesake by guess), its sections by the
// archive's flags, and the readings of the range's whole days, a reading with the same value
// and date-time as a stored one counting as that reading. Each patient is merged in one
// transaction: a failure leaves it as it was. A key without an IDNo stands for every
// archived patient of that name.
TransferResult MergeArchive(Database& patients, const std::vector<PatientKey>& keys,
                            const TransferPeriod& period, const std::string& path,
                            Prompter& prompter);

}  // namespace meridane
