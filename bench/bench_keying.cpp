// The cost of keying the encrypted database, as a user meets it:
//   a command-line command (`patient list`) against one bare keyed open plus the same
//   query in a process of its own (goal: at most 1.1 times), both as the child's CPU time.
// Also serves bench_startup: `bench_keying open FILE` prints the CPU time of one keyed open
// of FILE with the pass phrase in a process without Qt, the floor of the window's open.
#include <sqlcipher/sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "base/data_paths.h"
#include "bench_report.h"
#include "store/database.h"
#include "store/patient_store.h"
#include "store/schema.h"
#include "support/book.h"
#include "support/temp_folder.h"

using namespace meridane;

namespace {

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// One bare keyed open with the pass phrase and a first statement, as SQLCipher alone does it.
sqlite3* BareOpen(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_key(db, kDatabaseKey.data(), static_cast<int>(kDatabaseKey.size()));
  sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
  return db;
}

// The child's whole CPU time (user + system) in ms; its output goes to /dev/null.
double ChildCpuMs(const std::vector<std::string>& argv) {
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0].c_str());
    std::exit(1);
  }
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
         (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}

std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "open") {
    const double t0 = ThreadCpuMs();
    sqlite3* db = BareOpen(argv[2]);
    std::printf("%.3f\n", ThreadCpuMs() - t0);
    sqlite3_close(db);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "list") {
    // The floor of `patient list`: one bare open and the same rows printed.
    sqlite3* db = BareOpen(argv[2]);
    sqlite3_exec(
        db, "SELECT IDNo, fullName, medicalNo, meterSN FROM Patient ORDER BY IDNo;",
        [](void*, int n, char** v, char**) {
          for (int i = 0; i < n; ++i) std::printf("%s%s", i ? "\t" : "", v[i] ? v[i] : "");
          std::printf("\n");
          return 0;
        },
        nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  }

  test::TempFolder dir("bench-keying");
  test::DataFolderOverride dataFolder(dir.root());
  {
    Database db = test::FreshDatabase();
    for (int i = 0; i < 20; ++i)
      db.Exec("INSERT INTO Patient (fullName, IDNo, medicalNo, meterSN) VALUES ('Patient " +
              std::to_string(i) + "', 'P" + std::to_string(i) + "', '', '');");
  }
  const std::string path = PatientDatabasePath();
  const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
  double product = 1e300, floor = 1e300;
  for (int r = 0; r < rounds; ++r) {
    product = std::min(product, ChildCpuMs({MERIDANE_CLI_PATH, "--data-dir", dir.root(),
                                            "patient", "list"}));
    floor = std::min(floor, ChildCpuMs({SelfPath(), "list", path}));
  }
  std::printf("command line `patient list`  %.1f ms CPU; one bare open + the query in a process "
              "of its own %.1f ms\n",
              product, floor);
  bench::ReportRow("CLI command (patient list) vs one open + its query", product, floor, "ms CPU",
                   "<= 1.1");
  return 0;
}
