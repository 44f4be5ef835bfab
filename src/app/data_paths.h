#pragma once
// Where the program keeps its data: USERPROFILE where set, else HOME, plus /MeridData_Pro.
#include <string>

namespace meridane {

// The data folder, e.g. "/home/ann/MeridData_Pro". An override (the CLI's --data-dir,
// tests) replaces it for the whole process.
std::string DataFolder();
void SetDataFolderOverride(std::string folder);

// DataFolder() + "/Patients.db".
std::string PatientDatabasePath();

// Creates the data folder when missing. A failure is returned, never fatal.
bool EnsureDataFolder(std::string* error = nullptr);

}  // namespace meridane
