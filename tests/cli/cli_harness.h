#pragma once
// Runs meridane-cli as a child process in a throw-away data folder, for end-to-end tests.
//
//   meridane::test::CliSandbox box;                  // fresh temporary HOME and data folder
//   auto r = box.Run({"patient", "add", "--name", "Ann", "--id", "A1"});
//   EXPECT_EQ(r.status, 0) << r.err;
//   auto j = box.Run({"patient", "show", "A1", "--json"}).Json();
//   std::string path = box.WriteFile("profile.json", "{...}");
//
// Run() puts `--data-dir <dataDir()>` before the arguments; RunWithoutDataDir() leaves it
// out, so the program's own folder (HOME + /MeridData_Pro) is used, with HOME pointing at
// the sandbox. The child never sees the developer's real HOME or USERPROFILE, and speaks
// English (LC_ALL=C.UTF-8).
#include <fcntl.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ranges>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/server_book.h"
#include "support/temp_folder.h"

extern char** environ;

namespace meridane::test {

using Rows = std::vector<std::vector<std::string>>;

inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct CliResult {
  int status = -1;  // exit status; 128 + signal when the child was killed
  std::string out;  // stdout
  std::string err;  // stderr

  // stdout parsed as one JSON document; a test failure (and null) when it is not one.
  nlohmann::json Json() const {
    auto j = nlohmann::json::parse(out, nullptr, false);
    if (j.is_discarded()) {
      ADD_FAILURE() << "stdout is not JSON:\n" << out << "\nstderr:\n" << err;
      return nullptr;
    }
    return j;
  }

  // stdout as tab-separated lines (empty lines left out).
  std::vector<std::vector<std::string>> Rows() const {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      if (line.empty()) continue;
      auto& cells = rows.emplace_back();  // a trailing tab ends in an empty cell
      for (auto cell : std::views::split(line, '\t')) cells.emplace_back(cell.begin(), cell.end());
    }
    return rows;
  }
};

// The run ended with `status` and wrote exactly `err` to stderr.
inline ::testing::AssertionResult Exited(const CliResult& r, int status, const std::string& err) {
  if (r.status == status && r.err == err) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "status " << r.status << ", stderr \"" << r.err
                                       << "\"; expected " << status << ", \"" << err << "\"";
}

// The run was refused (status 1) with `part` in its message.
inline ::testing::AssertionResult Refused(const CliResult& r, const std::string& part) {
  if (r.status == 1 && Has(r.err, part)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "status " << r.status << ", stderr \"" << r.err << "\"";
}

// A file command's arguments over the whole of 2024, then the file's path.
inline std::vector<std::string> WithYear(std::vector<std::string> head, const std::string& path) {
  for (const char* a : {"--from", "2024-01-01", "--to", "2024-12-31"}) head.push_back(a);
  head.push_back(path);
  return head;
}

class CliSandbox {
 public:
  // The sandbox folder (also the child's HOME) and the folder passed as --data-dir.
  const std::string& root() const { return root_.root(); }
  std::string dataDir() const { return root_.Path("data"); }
  std::string databasePath() const { return dataDir() + "/Patients.db"; }

  // killAfterMs > 0: the child is killed (SIGKILL) that long after it started.
  CliResult Run(const std::vector<std::string>& args, const std::string& stdinText = "",
                int killAfterMs = 0) const {
    std::vector<std::string> all{"--data-dir", dataDir()};
    all.insert(all.end(), args.begin(), args.end());
    return RunWithoutDataDir(all, stdinText, killAfterMs);
  }

  CliResult RunWithoutDataDir(const std::vector<std::string>& args,
                              const std::string& stdinText = "", int killAfterMs = 0) const {
    int n = counter_++;
    std::string inPath = root_.Write(".stdin" + std::to_string(n), stdinText);
    std::string outPath = root_.Path(".stdout" + std::to_string(n));
    std::string errPath = root_.Path(".stderr" + std::to_string(n));

    std::vector<std::string> argStore{MERIDANE_CLI_PATH};
    argStore.insert(argStore.end(), args.begin(), args.end());

    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e) {
      std::string kv = *e;
      if (kv.rfind("HOME=", 0) == 0 || kv.rfind("USERPROFILE=", 0) == 0) continue;
      if (kv.rfind("LC_ALL=", 0) == 0 || kv.rfind("LANGUAGE=", 0) == 0) continue;
      // On a server run the sandbox's own book replaces whatever the test set.
      if (!book_.empty() && kv.rfind("MERIDANE_BOOK=", 0) == 0) continue;
      envStore.push_back(kv);
    }
    if (!book_.empty()) envStore.push_back("MERIDANE_BOOK=" + book_);
    envStore.push_back("HOME=" + root());
    // The messages compared are English, whatever language the developer's desktop speaks.
    envStore.push_back("LC_ALL=C.UTF-8");
    std::vector<char*> argv = Pointers(argStore), envp = Pointers(envStore);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    CliResult r;
    if (rc != 0) {
      ADD_FAILURE() << "cannot start " << MERIDANE_CLI_PATH << ": " << strerror(rc);
      return r;
    }
    if (killAfterMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
      kill(pid, SIGKILL);
    }
    int ws = 0;
    while (waitpid(pid, &ws, 0) < 0 && errno == EINTR) continue;
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
    r.out = Slurp(outPath);
    r.err = Slurp(errPath);
    std::error_code ec;
    for (auto* p : {&inPath, &outPath, &errPath}) std::filesystem::remove(*p, ec);
    return r;
  }

  // Run() that must succeed: a test failure (with stderr) otherwise.
  CliResult Ok(const std::vector<std::string>& args, const std::string& stdinText = "") const {
    CliResult r = Run(args, stdinText);
    EXPECT_EQ(r.status, 0) << args.at(0) << ": " << r.err;
    return r;
  }

  // Adds a patient answering Yes, with any further `patient add` options.
  void AddPatient(const std::string& name, const std::string& id,
                  std::vector<std::string> extra = {}) const {
    extra.insert(extra.begin(), {"--yes", "patient", "add", "--name", name, "--id", id});
    Ok(extra);
  }

  // One reading through `readings add`.
  void AddReading(const std::string& id, const std::string& at, const std::string& value) const {
    Ok({"readings", "add", id, "--at", at, "--value", value});
  }

  // Another desk on this sandbox's book (a server run only): both work on one book.
  void ShareBookWith(const CliSandbox& other) { book_ = other.book_; }
  void UseBook(const std::string& uri) { book_ = uri; }
  // The server book's URI on a server run; empty on a file run.
  const std::string& serverBook() const { return book_; }

  // Writes a file into the sandbox and returns its path.
  std::string WriteFile(const std::string& name, const std::string& contents) const {
    return root_.Write(name, contents);
  }

 private:
  // The null-terminated array of C strings posix_spawn takes.
  static std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
  }

  TempFolder root_{"cli"};
  // On a server run, the sandbox's own book there.
  std::string book_ = ServerBookWanted() ? NewServerBookUri() : std::string();
  mutable std::atomic<int> counter_{0};
};

// `readings list` of one patient as rows.
inline std::vector<std::vector<std::string>> Listed(const CliSandbox& box, const std::string& id) {
  return box.Run({"readings", "list", id}).Rows();
}

}  // namespace meridane::test
