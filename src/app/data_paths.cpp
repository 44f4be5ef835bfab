#include "app/data_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace meridane {

namespace {
std::string& Override() {
  static std::string folder;
  return folder;
}
}  // namespace

void SetDataFolderOverride(std::string folder) { Override() = std::move(folder); }

std::string DataFolder() {
  if (!Override().empty()) return Override();
  const char* home = std::getenv("USERPROFILE");
  if (!home || !*home) home = std::getenv("HOME");
  // With neither set (a service, a stripped environment) the account's home directory
  // still gives a per-user folder instead of one at the file system root.
  if (!home || !*home) {
    const passwd* pw = getpwuid(getuid());
    home = pw && pw->pw_dir ? pw->pw_dir : ".";
  }
  return std::string(home) + "/MeridData_Pro";
}

std::string PatientDatabasePath() { return DataFolder() + "/Patients.db"; }

bool EnsureDataFolder(std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(DataFolder(), ec);
  if (ec) {
    if (error) *error = ec.message();
    return false;
  }
  return true;
}

}  // namespace meridane
