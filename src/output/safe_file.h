#pragma once
// Every file the program writes for the user (CSV, archive databases, PDF documents) goes
// through here: it is written as a new file beside the target and renamed into place only
// when complete, so a full disk, a failure or a kill never leaves a truncated file where the
// old one was. A symbolic link, a folder or a file of another user at the target is never
// written through or replaced.
#include <string>
#include <string_view>
#include <vector>

namespace meridane {

// Why a path may not be written; Ok when it may.
enum class TargetProblem {
  Ok,
  PatientDatabase,  // the patient database or one of its journals
  NotAFile,         // a folder, a device, a symbolic link …
  OtherOwner,       // a file another user created there (a shared folder)
};
TargetProblem CheckWriteTarget(const std::string& path);

// True when `path` names the patient database or one of its journal files ("-journal",
// "-wal", "-shm"), existing or not: a stray file there would be replayed into the book.
bool IsPatientDatabaseFile(const std::string& path);

// The new file beside a target. Construct, check ok(), write through fd() or let SQLite
// open tempPath(), then Commit(). Leaving scope uncommitted removes the new file (and a
// journal SQLite may have left beside it); the target is untouched until Commit.
class SafeFileWriter {
 public:
  explicit SafeFileWriter(std::string target);
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  bool ok() const { return fd_ >= 0; }
  TargetProblem problem() const { return problem_; }
  const std::string& target() const { return target_; }
  const std::string& tempPath() const { return temp_; }

  // Appends bytes to the new file; false (and the file to be discarded) on any failure.
  bool Write(std::string_view bytes);
  // Flushes the new file to disk, gives it the mode the user's umask allows and renames it
  // over the target. False when any step failed; the new file is then removed.
  bool Commit();

 private:
  void Discard();
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  bool failed_ = false;
  TargetProblem problem_ = TargetProblem::Ok;
};

// Writes the bytes whole through a SafeFileWriter.
bool WriteFileWhole(const std::string& path, const std::vector<unsigned char>& bytes);

// The mode a new document gets: 0666 less the process's umask.
unsigned DocumentFileMode();

}  // namespace meridane
