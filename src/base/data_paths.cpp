#include "base/data_paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

namespace {
// Takes group and other bits away from a file or folder of ours; others' are left alone.
void TakeAwayOthersAccess(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode) || st.st_uid != geteuid()) return;
  if ((st.st_mode & 077) != 0) chmod(path.c_str(), st.st_mode & 07700);
}
}  // namespace

bool EnsureDataFolder(std::string* error) {
  const std::string folder = DataFolder();
  std::error_code ec;
  if (!std::filesystem::exists(folder, ec)) {
    // Parents as the user's umask makes them; the data folder itself private.
    std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      if (error) *error = std::generic_category().message(errno);
      return false;
    }
  }
  TakeAwayOthersAccess(folder);
  return true;
}

void MakePrivateFile(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) TakeAwayOthersAccess(path + suffix);
}

}  // namespace meridane
