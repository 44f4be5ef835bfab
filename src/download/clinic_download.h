#pragma once
// The clinic ("Download Data") run: the worker reads a clinic meter into the table, the
// Multiple Download list shows its readings, and leaving that page files each reading
// under the patient whose medical record number it carries.
#include <array>
#include <string>
#include <vector>

#include "download/single_download.h"
#include "reports/report_sets.h"

namespace meridane {

// Empties the table and runs the clinic worker, showing its message, if any.
DownloadReport RunClinicDownload(DownloadSession& session, const DownloadHooks& hooks,
                                 ReadingTable& table);

// The list rows of the table's readings, in table order. The date takes the 24-hour form
// only when a patient is current and uses it.
std::vector<MultipleDownloadRow> MultipleDownloadRows(Database& db, const ReadingTable& table,
                                                      const CPatientProfile& current);

// "HI" above 600, "LO" below 20, else the number.
std::string GlucoseCellText(int gluco);
// "MM/DD/YYYY  HH:MM" (24-hour) or with " am"/" pm" and hours 0 and 12 shown as 12.
std::string TestingDateText(const DateTime& at, bool hours24);

struct ClinicStoreReport {
  int inserted = 0;
  int duplicates = 0;     // already stored for that patient
  int unassigned = 0;     // no patient has the reading's medical record number
  int shared = 0;         // several patients have it: filed under none of them
  int futureDated = 0;    // filed readings dated after today
  int insertFailures = 0; // set when the database failed (its text was shown): then
                          // nothing was filed and this counts every reading of the table
};

// Files every reading of the table under the patient with its medical record number (a
// number several patients have files nothing),
// skipping readings that patient already has, in one write transaction: all or nothing.
// Marks are adjusted against the slots in the table once the readings are filed. Storing the same readings again inserts nothing.
ClinicStoreReport StoreClinicReadings(Database& db, ReadingTable& table);

// "shared by Ann, Bob": the list's name cell for a number several patients have.
std::string SharedByText(const std::vector<PatientChoice>& owners);
// What the user is told after filing: damaged records skipped, readings dated after today,
// readings left unfiled for a shared number. Empty when nothing needs saying.
std::string ClinicNoticeText(const ClinicStoreReport& report, int skipped);

}  // namespace meridane
