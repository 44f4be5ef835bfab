// Memory of `meridane-cli report --json` for the two grid reports (log book, data list) of
// 50,000 readings: the peak memory the JSON output adds over the same report printed as
// plain text, against the size of the JSON text itself. Goal: at most 2 times. Each run is a
// child process of its own; peak memory is its maximum resident set.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_report.h"
#include "store/database.h"
#include "store/reading_store.h"
#include "store/schema.h"
#include "support/book.h"
#include "support/temp_folder.h"

using namespace meridane;

namespace {

constexpr int kReadings = 50'000;

struct Run {
  double peakBytes = 0;
  double outputBytes = 0;
};

Run RunCli(const std::vector<std::string>& argv) {
  int pipeFd[2];
  if (pipe(pipeFd) != 0) std::exit(1);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFd[1], STDOUT_FILENO);
    close(pipeFd[0]);
    close(pipeFd[1]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(pipeFd[1]);
  Run r;
  char buf[65536];
  for (ssize_t n; (n = read(pipeFd[0], buf, sizeof buf)) > 0;) r.outputBytes += n;
  close(pipeFd[0]);
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "meridane-cli failed\n");
    std::exit(1);
  }
  r.peakBytes = ru.ru_maxrss * 1024.0;
  return r;
}

}  // namespace

int main() {
  test::TempFolder dir("bench-json");
  test::DataFolderOverride dataFolder(dir.root());
  {
    Database db = test::FreshDatabase();
    db.Exec("INSERT INTO Patient VALUES ('Bench','B1','','1970-01-01','','','0','','','1','0','0',"
            "'0','0','0','0','0','0');");
    EnsureReadingsTable(db, "B1");
    Database::Transaction tx(db);
    for (int i = 0; i < kReadings; ++i) {
      DateTime at{2000 + i / 4000, 1 + (i / 300) % 12, 1 + (i / 10) % 28, (i * 7) % 24,
                  (i * 13) % 60};
      InsertReading(db, "B1", at, 40 + (i * 37) % 400, ((1 + i % 7) << 8) | (i % 3), -1);
    }
    tx.Commit();
  }
  for (const char* type : {"0", "7"}) {
    std::vector<std::string> argv{MERIDANE_CLI_PATH, "--data-dir", dir.root(), "report", "B1",
                                  "--type", type, "--from", "2000-01-01", "--to", "2030-12-31"};
    const Run plain = RunCli(argv);
    argv.push_back("--json");
    const Run js = RunCli(argv);
    const double added = std::max(0.0, js.peakBytes - plain.peakBytes);
    std::printf("report type %s: JSON %.1f MB of text, peak %.1f MB (plain text run %.1f MB)\n",
                type, js.outputBytes / 1e6, js.peakBytes / 1e6, plain.peakBytes / 1e6);
    bench::ReportRow(std::string("report --json type ") + type +
                         ", 50,000 readings: memory added vs output size",
                     added / 1e6, js.outputBytes / 1e6, "MB", "<= 2");
  }
  return 0;
}
