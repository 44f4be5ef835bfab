#include "output/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/book_location.h"
#include "base/data_paths.h"

namespace meridane {

namespace {

namespace fs = std::filesystem;

// The path with its folder resolved (links and ".." included); the file name kept as given.
std::string ResolvedPath(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) return path;
  fs::path dir = fs::weakly_canonical(p.parent_path(), ec);
  if (ec) return p.string();
  return (dir / p.filename()).string();
}

// "folder/.name.<pid>.part-XXXXXX": hidden, and carrying the writer's process id so that a
// later writer can tell a file left by a killed run from one still being written.
std::string TempPrefix(const fs::path& target) {
  return "." + target.filename().string() + ".";
}

void RemoveWithJournal(const std::string& path) {
  unlink(path.c_str());
  unlink((path + "-journal").c_str());
}

// New files left beside the target by a run that was killed (its process is gone).
void RemoveLeftovers(const fs::path& target) {
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = TempPrefix(target);
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    size_t part = name.find(".part-", prefix.size());
    if (part == std::string::npos || name.find("-journal") != std::string::npos) continue;
    char* end = nullptr;
    long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (end != name.c_str() + part || pid <= 0) continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::string full = (dir / name).string();
    struct stat st;
    if (lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid())
      RemoveWithJournal(full);
  }
  closedir(d);
}

unsigned ReadUmask() {
  // /proc tells without changing it; the umask() call is the fallback.
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 6, "Umask:") == 0) return static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  mode_t old = umask(077);
  umask(old);
  return old;
}

}  // namespace

unsigned DocumentFileMode() { return 0666u & ~ReadUmask(); }

bool IsPatientDatabaseFile(const std::string& path) {
  // The book in use (--book may name another file) and the data folder's own are both kept.
  std::vector<std::string> books{PatientDatabasePath()};
  const BookLocation current = CurrentBookLocation();
  if (current.kind == BookLocation::Kind::File) books.push_back(current.where);
  const std::string p = ResolvedPath(path);
  for (const std::string& book : books) {
    const std::string db = ResolvedPath(book);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
      if (p == db + suffix) return true;
    // Another name for the same file (a hard link).
    std::error_code ec;
    if (fs::equivalent(path, book, ec) && !ec) return true;
  }
  return false;
}

TargetProblem CheckWriteTarget(const std::string& path) {
  if (IsPatientDatabaseFile(path)) return TargetProblem::PatientDatabase;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return TargetProblem::Ok;  // a new file
  if (!S_ISREG(st.st_mode)) return TargetProblem::NotAFile;
  if (st.st_uid != geteuid()) return TargetProblem::OtherOwner;
  return TargetProblem::Ok;
}

SafeFileWriter::SafeFileWriter(std::string target) : target_(std::move(target)) {
  problem_ = CheckWriteTarget(target_);
  if (problem_ != TargetProblem::Ok) return;
  const fs::path t(target_);
  RemoveLeftovers(t);
  const fs::path dir = t.has_parent_path() ? t.parent_path() : fs::path(".");
  temp_ = (dir / (TempPrefix(t) + std::to_string(getpid()) + ".part-XXXXXX")).string();
  // mkstemp creates with O_EXCL: never an existing file, never through a link.
  fd_ = mkstemp(temp_.data());
  if (fd_ < 0) temp_.clear();
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

void SafeFileWriter::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) RemoveWithJournal(temp_);
  temp_.clear();
}

bool SafeFileWriter::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SafeFileWriter::Commit() {
  if (fd_ < 0) return false;
  bool ok = !failed_ && fsync(fd_) == 0 && fchmod(fd_, DocumentFileMode()) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  // The target may have changed since the check (another user's file, a link put there).
  ok = ok && CheckWriteTarget(target_) == TargetProblem::Ok;
  ok = ok && std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    Discard();
    return false;
  }
  unlink((temp_ + "-journal").c_str());
  temp_.clear();
  const fs::path t(target_);
  int dfd = open((t.has_parent_path() ? t.parent_path() : fs::path(".")).c_str(),
                 O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);  // the rename itself survives a power loss
    close(dfd);
  }
  return true;
}

bool WriteFileWhole(const std::string& path, const std::vector<unsigned char>& bytes) {
  SafeFileWriter w(path);
  return w.ok() &&
         w.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) &&
         w.Commit();
}

}  // namespace meridane
