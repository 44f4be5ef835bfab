// A clinic's book at scale: 2,000 patients with 5,000 readings each on a file and on a
// server, and on the server also 20,000 patients with 1,000 readings each. Measured: opening
// a patient and building its 30-day log book, and the 30-day quick view across all
// patients, each against a floor measured in the same run:
//   open   vs stepping over the patient's reading rows raw (the same rows, values touched);
//   quick  vs the book's own bare read of the period's rows (file: stepping every patient's
//          rows of the period through its date index; server: counting them in the server).
// The absolute figures stand beside the goals (open <= 100 ms, quick view <= 1 s).
//
// The books are made once and kept: the file in MERIDANE_BENCH_CACHE (default
// /tmp/meridane-bench-clinic), the server's in schemas clinic_2k and clinic_20k of the
// server named by MERIDANE_BENCH_SERVER (a postgresql:// URI; without it the server part
// is skipped). MERIDANE_BENCH_SKIP_20K=1 leaves the 20,000-patient book out;
// MERIDANE_BENCH_ONLY_20K=1 measures nothing else.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/data_paths.h"
#include "bench_report.h"
#include "reports/classification.h"
#include "reports/quick_view.h"
#include "reports/report_sets.h"
#include "reports/statistics.h"
#include "store/patient_store.h"
#include "store/reading_store.h"
#include "store/schema.h"
#include "support/book.h"

using namespace meridane;

namespace {

const Date kLastDay{2026, 6, 30};
constexpr int kPerDay = 4;

struct Book {
  const char* name;
  int patients;
  int readings;
};

std::string IdOf(int p) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "P%05d", p);
  return buf;
}
std::string NameOf(int p) { return "Patient " + IdOf(p).substr(1); }

double WallMs(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Best of `rounds`, floor and work in turns so that a busy machine slows both alike.
std::pair<double, double> BestPair(int rounds, const std::function<void()>& floor,
                                   const std::function<void()>& work) {
  double f = 1e300, w = 1e300;
  for (int i = 0; i < rounds; ++i) {
    f = std::min(f, WallMs(floor));
    w = std::min(w, WallMs(work));
  }
  return {f, w};
}

long Scalar(Database& db, const std::string& sql) {
  Statement st = db.Prepare(sql);
  return st.Step() ? static_cast<long>(st.Int(0)) : -1;
}

// Four readings a day up to kLastDay, every value from 40 to 399, every meal slot.
void FillFile(Database& db, const Book& b) {
  std::mt19937 rng(11);
  std::vector<ReadingWriter::NewReading> rows(b.readings);
  std::vector<int64_t> idx;
  for (int p = 1; p <= b.patients; ++p) {
    Database::Transaction tx(db);
    const std::string id = IdOf(p);
    Statement pt = db.Prepare(
        "INSERT INTO Patient (fullName, IDNo, healthRecordEnable, inquiryEnable) VALUES (?,?,'1','1');");
    pt.Bind(1, NameOf(p)).Bind(2, id);
    pt.Run();
    Statement hr = db.Prepare(
        "INSERT INTO HealthRecord (IDNo, glucoUnit, preMealHigh, preMealLow, postMealHigh, "
        "postMealLow, hbA1C, hypoglycemic) VALUES (?, 1, 130, 70, 180, 70, 7.1, ?);");
    hr.Bind(1, id).BindInt(2, p % 3 ? 55 : 0);
    hr.Run();
    EnsureReadingsTable(db, id);
    for (int i = 0; i < b.readings; ++i) {
      const Date day = AddDays(kLastDay, -(b.readings - 1 - i) / kPerDay);
      rows[i] = {{day.year, day.month, day.day, 7 + 5 * (i % kPerDay), static_cast<int>(rng() % 60)},
                 40 + static_cast<int>(rng() % 360), ((i % 7 + 1) << 8) | (i % 3), 0};
    }
    ReadingWriter(db, id).InsertAll(rows, idx);
    tx.Commit();
    if (p % 200 == 0) std::fprintf(stderr, "  file: %d patients\n", p);
  }
}

// The same kind of book made by the server itself.
bool FillServer(Database& db, const Book& b) {
  const std::string n = std::to_string(b.readings);
  const std::string id = "'P' || lpad(p::text, 5, '0')";
  if (!db.Exec("INSERT INTO Patient (fullName, IDNo, healthRecordEnable, inquiryEnable) "
               "SELECT 'Patient ' || lpad(p::text, 5, '0'), " + id + ", 1, 1 "
               "FROM generate_series(1, " + std::to_string(b.patients) + ") p;") ||
      !db.Exec("INSERT INTO HealthRecord (IDNo, glucoUnit, preMealHigh, preMealLow, postMealHigh, "
               "postMealLow, hbA1C, hypoglycemic) SELECT " + id + ", 1, 130, 70, 180, 70, 7.1, "
               "CASE WHEN p % 3 = 0 THEN 0 ELSE 55 END FROM generate_series(1, " +
               std::to_string(b.patients) + ") p;"))
    return false;
  const int chunk = 500;
  for (int from = 1; from <= b.patients; from += chunk) {
    const int to = std::min(b.patients, from + chunk - 1);
    if (!db.Exec("INSERT INTO readings (IDNo, glucoDate, gluco, meal, medicalNo) SELECT " + id +
                 ", timestamp '2026-06-30 07:00' - ((" + n + " - 1 - i) / 4) * interval '1 day' + "
                 "(i % 4) * interval '5 hours' + ((p * 7 + i * 13) % 60) * interval '1 minute', "
                 "40 + (p * 31 + i * 17) % 360, (((i % 7) + 1) << 8) | (i % 3), 0 "
                 "FROM generate_series(" + std::to_string(from) + ", " + std::to_string(to) +
                 ") p, generate_series(0, " + n + " - 1) i;"))
      return false;
    std::fprintf(stderr, "  server %s: %d patients\n", b.name, to);
  }
  return db.Exec("VACUUM ANALYZE;");
}

bool Complete(Database& db, const Book& b) {
  const std::string last = IdOf(b.patients);
  const std::string readings = db.server()
      ? "SELECT count(*) FROM readings WHERE IDNo = '" + last + "';"
      : "SELECT count(*) FROM " + QuotedReadingsTable(last) + ";";
  return Scalar(db, "SELECT count(*) FROM Patient;") == b.patients &&
         db.TableExists(db.server() ? "readings" : ReadingsTableName(last)) &&
         Scalar(db, readings) == b.readings;
}

ReportPeriod Last30Days() { return {AddDays(kLastDay, -29), kLastDay}; }

long g_sink = 0;

void Measure(Database& db, const Book& b, const std::string& where) {
  const std::string id = IdOf(b.patients / 2);
  const ReportPeriod period = Last30Days();

  // A patient opened as the window and the command line open one, and its log book built.
  auto open = [&] {
    CPatientProfile p;
    LoadPatient(db, id, p);
    ReadingTable t;
    LoadReadings(db, p, t, ClassifyReadingSlot);
    g_sink += static_cast<long>(BuildLogBookSet(p, t, period, LoadReportTargets(p)).rows.size());
  };
  auto rawRows = [&] {
    Statement st = db.Prepare(
        db.server() ? "SELECT idx, glucoDate, gluco, meal, medicalNo FROM readings WHERE IDNo = ? ORDER BY idx;"
                    : "SELECT idx, glucoDate, gluco, meal, medicalNo FROM " + QuotedReadingsTable(id) + ";");
    if (db.server()) st.Bind(1, id);
    while (st.Step())
      for (int c = 0; c < 5; ++c) g_sink += static_cast<long>(st.TextView(c).size());
  };
  const auto [openFloor, openMs] = BestPair(15, rawRows, open);
  {
    // Where the time of an open goes, for reference.
    CPatientProfile p;
    ReadingTable t;
    double profile = 1e300, readings = 1e300, report = 1e300;
    for (int i = 0; i < 5; ++i) {
      profile = std::min(profile, WallMs([&] { LoadPatient(db, id, p); }));
      readings = std::min(readings, WallMs([&] { LoadReadings(db, p, t, ClassifyReadingSlot); }));
      report = std::min(report, WallMs([&] {
        g_sink += static_cast<long>(BuildLogBookSet(p, t, period, LoadReportTargets(p)).rows.size());
      }));
    }
    std::printf("%s open: profile %.1f ms, %zu readings %.1f ms, log book %.1f ms\n", where.c_str(),
                profile, t.entries.size(), readings, report);
  }

  std::vector<SelectionRow> all = PatientSelectionList(db);
  all[0].checked = true;
  auto quick = [&] { g_sink += static_cast<long>(BuildQuickView(db, all, period).rows.size()); };
  const std::string from = FormatDate(period.first), to = FormatDate(AddDays(period.last, 1));
  auto bare = [&] {
    Database::ReadSnapshot snapshot(db);  // as the quick view reads
    if (db.server()) {
      Statement st = db.Prepare("SELECT count(*) FROM readings WHERE glucoDate >= ? AND glucoDate < ?;");
      st.Bind(1, from).Bind(2, to);
      if (st.Step()) g_sink += static_cast<long>(st.Int(0));
      return;
    }
    for (int p = 1; p <= b.patients; ++p) {
      Statement st = db.Prepare("SELECT glucoDate, gluco, meal FROM " + QuotedReadingsTable(IdOf(p)) +
                                " WHERE glucoDate >= ? AND glucoDate < ?;");
      st.Bind(1, from).Bind(2, to);
      while (st.Step()) g_sink += st.Int(1);
    }
  };
  const auto [quickFloor, quickMs] = BestPair(3, bare, quick);
  {
    // Where the time of the quick view goes, for reference.
    std::vector<std::string> ids;
    for (int p = 1; p <= b.patients; ++p) ids.push_back(IdOf(p));
    double lookups = 1e300, values = 1e300;
    for (int i = 0; i < 3; ++i) {
      lookups = std::min(lookups, WallMs([&] {
        PatientLookups l;
        LoadPatientLookups(db, l);
        g_sink += static_cast<long>(l.targets.size());
      }));
      values = std::min(values, WallMs([&] {
        ForEachStoredReadingBetween(db, ids, period.first, period.last,
                                    [&](size_t, int gluco, int) { g_sink += gluco; });
      }));
    }
    std::printf("%s quick view: patients and targets %.0f ms, the period's readings %.0f ms\n",
                where.c_str(), lookups, values);
  }

  const std::string size = std::to_string(b.patients) + " x " + std::to_string(b.readings);
  std::printf("%s, %s: open + 30-day log book %.1f ms (raw rows %.1f ms); 30-day quick view "
              "%.0f ms (bare period read %.0f ms)\n",
              where.c_str(), size.c_str(), openMs, openFloor, quickMs, quickFloor);
  bench::ReportRow(where + " " + size + ": open a patient + 30-day log book vs raw reading rows",
                   openMs, openFloor, "ms", "open <= 100 ms");
  bench::ReportRow(where + " " + size + ": 30-day quick view, all patients vs bare period read",
                   quickMs, quickFloor, "ms", "quick view <= 1000 ms");
}

std::string SchemaUri(const std::string& base, const std::string& schema) {
  return base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

void RunServer(const std::string& base, const Book& b, const std::string& schema) {
  {
    Database admin = Database::OpenServer(base);
    if (!admin.ok()) return;
    admin.ExecQuiet("CREATE SCHEMA IF NOT EXISTS " + schema + ";");
  }
  Database db = Database::OpenServer(SchemaUri(base, schema));
  if (!db.ok() || !CreateSchema(db)) return;
  if (!Complete(db, b)) {
    std::fprintf(stderr, "making the server book %s (%d x %d)...\n", schema.c_str(), b.patients,
                 b.readings);
    db.Exec("TRUNCATE readings, Patient CASCADE;");
    if (!FillServer(db, b)) return;
  }
  Measure(db, b, "server");
}

// Single quotes around a shell word.
std::string ShellWord(const std::string& w) {
  std::string out = "'";
  for (char c : w) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The everyday commands as whole processes, on the server's book against the same command
// on the file's: best wall time of five runs each, taken in turns.
void CompareCommands(const std::string& fileBook, const std::string& serverBook) {
  const std::string mid = IdOf(1000);
  const std::vector<std::pair<std::string, std::string>> commands = {
      {"patient list", "patient list"},
      {"readings list", "readings list " + mid},
      {"report --type 0 --json (30 days)", "report " + mid + " --type 0 --latest 30 --json"},
  };
  for (const auto& [name, args] : commands) {
    auto run = [&](const std::string& book) {
      const std::string cmd = std::string(MERIDANE_CLI_PATH) + " --book " + ShellWord(book) + " " +
                              args + " >/dev/null 2>&1";
      return [cmd] {
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", cmd.c_str());
      };
    };
    run(fileBook)();  // warm-up
    const auto [onFile, onServer] = BestPair(5, run(fileBook), run(serverBook));
    std::printf("command %s: server %.0f ms, file %.0f ms\n", name.c_str(), onServer, onFile);
    bench::ReportRow("meridane-cli " + name + ", 2000 x 5000: server over loopback vs file", onServer,
                     onFile, "ms", "<= 2");
  }
}

}  // namespace

bool EnvFlag(const char* name) {
  const char* v = std::getenv(name);
  return v && *v == '1';
}

int main() {
  const Book clinic{"2k", 2000, 5000}, network{"20k", 20000, 1000};
  const char* server = std::getenv("MERIDANE_BENCH_SERVER");
  if (EnvFlag("MERIDANE_BENCH_ONLY_20K")) {
    if (server && *server) RunServer(server, network, "clinic_20k");
    std::printf("(checksum %ld)\n", g_sink % 10);
    return 0;
  }
  const char* cacheEnv = std::getenv("MERIDANE_BENCH_CACHE");
  const std::string cache = cacheEnv && *cacheEnv ? cacheEnv : "/tmp/meridane-bench-clinic";
  std::filesystem::create_directories(cache);
  {
    test::DataFolderOverride folder(cache);
    Database db = test::FreshDatabase();
    if (!db.ok()) return 1;
    if (!Complete(db, clinic)) {
      db = Database();
      std::filesystem::remove(cache + "/" + std::filesystem::path(PatientDatabasePath()).filename().string());
      db = test::FreshDatabase();
      std::fprintf(stderr, "making the file book (%d x %d) in %s...\n", clinic.patients,
                   clinic.readings, cache.c_str());
      FillFile(db, clinic);
    }
    Measure(db, clinic, "file");
  }
  if (server && *server) {
    RunServer(server, clinic, "clinic_2k");
    CompareCommands(cache + "/" + std::filesystem::path(PatientDatabasePath()).filename().string(),
                    SchemaUri(server, "clinic_2k"));
    if (!EnvFlag("MERIDANE_BENCH_SKIP_20K")) RunServer(server, network, "clinic_20k");
  } else {
    std::printf("server part skipped: no MERIDANE_BENCH_SERVER\n");
  }
  std::printf("(checksum %ld)\n", g_sink % 10);
  return 0;
}
