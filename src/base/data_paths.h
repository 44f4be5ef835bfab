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

// Creates the data folder when missing, readable by its owner only (0700), and takes group
// and other access away from an existing one. A failure is returned, never fatal.
bool EnsureDataFolder(std::string* error = nullptr);

// Creates `path` empty with mode 0600 when it is missing (never through a symbolic link);
// an existing file of ours and its SQLite journals ("-journal", "-wal", "-shm") lose group
// and other access.
void MakePrivateFile(const std::string& path);

}  // namespace meridane
