// The one way outputs reach the disk: whole or not at all, never through a link or into a
// file that is not ours, nothing left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "output/safe_file.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

namespace fs = std::filesystem;

class SafeFileTest : public test::DataFolderTest {
 protected:
  // Writes `text` over the target; afterwards it is the folder's only file.
  void ReplaceWhole(const std::string& target, const std::string& text) {
    SafeFileWriter w(target);
    ASSERT_TRUE(w.Write(text));
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(test::Slurp(target), text);
    EXPECT_EQ(Entries(), 1u);
  }
  // Runs `child` in a child process and returns its wait status.
  static int InChild(const std::function<void()>& child) {
    pid_t pid = fork();
    if (pid == 0) child();
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }
  size_t Entries() const {
    return std::distance(fs::directory_iterator(tmp_.root()), fs::directory_iterator());
  }
};

TEST_F(SafeFileTest, TheTargetChangesOnlyWhenTheNewFileIsComplete) {
  const std::string target = Path("out.csv");
  std::ofstream(target) << "old";
  {
    SafeFileWriter w(target);
    ASSERT_TRUE(w.ok());
    ASSERT_TRUE(w.Write("new "));
    EXPECT_EQ(test::Slurp(target), "old");  // still the old file while writing
  }  // abandoned: the old file stays, the new one is gone
  EXPECT_EQ(test::Slurp(target), "old");
  EXPECT_EQ(Entries(), 1u);

  ReplaceWhole(target, "new");
}

TEST_F(SafeFileTest, RefusesLinksFoldersAndThePatientDatabase) {
  const std::string victim = Path("victim");
  std::ofstream(victim) << "keep";
  fs::create_symlink(victim, Path("link"));
  fs::create_directory(Path("empty"));
  fs::create_directories(DataFolder());
  const std::string db = PatientDatabasePath();
  const struct {
    std::string path;
    TargetProblem problem;
  } cases[] = {
      {Path("link"), TargetProblem::NotAFile},
      {Path("empty"), TargetProblem::NotAFile},
      {db, TargetProblem::PatientDatabase},
      {db + "-journal", TargetProblem::PatientDatabase},
      {db + "-wal", TargetProblem::PatientDatabase},
      {Path("MeridData_Pro/../MeridData_Pro/Patients.db"), TargetProblem::PatientDatabase},
      {Path("new.csv"), TargetProblem::Ok},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckWriteTarget(c.path), c.problem) << c.path;
    SafeFileWriter w(c.path);
    EXPECT_EQ(w.ok(), c.problem == TargetProblem::Ok) << c.path;
  }
  EXPECT_EQ(test::Slurp(victim), "keep");
  EXPECT_TRUE(fs::is_directory(Path("empty")));
  EXPECT_FALSE(fs::exists(db + "-journal"));
}

TEST_F(SafeFileTest, AFullDiskLeavesTheOldFileAndNoPart) {
  const std::string target = Path("big.pdf");
  std::ofstream(target) << "old";
  // A file size limit stands in for a full disk: writes past it fail with EFBIG.
  const int status = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &lim);
    _exit(WriteFileWhole(target, std::vector<unsigned char>(64 * 1024, 'x')) ? 0 : 3);
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(test::Slurp(target), "old");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(SafeFileTest, AKilledWritersLeftoverIsClearedByTheNextWrite) {
  const std::string target = Path("a.db");
  // A writer that is killed mid-way leaves its new file (and an SQLite journal) behind.
  InChild([&] {
    SafeFileWriter w(target);
    w.Write("partial");
    std::ofstream(w.tempPath() + "-journal") << "j";
    raise(SIGKILL);
  });
  EXPECT_EQ(Entries(), 2u);
  ReplaceWhole(target, "whole");
}

}  // namespace
}  // namespace meridane
