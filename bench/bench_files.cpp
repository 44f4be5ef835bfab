// Timing of the file runs, each as a ratio against a floor doing the same work the plainest
// way, through the same library and key, in this process, on the same data, with the
// results checked equal:
//  1. CSV export of 10,000 readings with 2,000 details, against one joined query written out
//     as CSV lines. Goal: ratio <= 2.
//  2. Archive write plus retrieve of 20 patients x 5,000 readings (1,000 with details each),
//     against set-based SQL with the archive attached (CPU time). Goal: ratio <= 1.5.
#include <stdlib.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/data_paths.h"
#include "base/prompter.h"
#include "output/archive_file.h"
#include "output/archive_runs.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/reading_store.h"
#include "store/schema.h"
#include "bench_report.h"

using namespace meridane;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string g_root;

// CPU time of this thread: commits wait on the disk alike on both sides, and the machine is
// shared.
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

Database Fresh(const std::string& folder) {
  SetDataFolderOverride(g_root + "/" + folder);
  Database db = OpenPatientDatabase();
  CreateSchema(db);
  return db;
}

void AddPatient(Database& db, const std::string& name, const std::string& id) {
  Statement st = db.Prepare("INSERT INTO Patient VALUES(?,?,'','1980-01-01','','','0','','',"
                            "'1','0','0','0','0','0','0','0','0');");
  st.Bind(1, name).Bind(2, id).Run();
  EnsureReadingsTable(db, id);
}

// `count` readings, one every 17 minutes from 2024-01-01, every `detailEvery`-th with details.
void FillReadings(Database& db, const std::string& id, int count, int detailEvery) {
  Database::Transaction tx(db);
  for (int i = 0; i < count; ++i) {
    long minutes = 17L * i;
    Date d = AddDays({2024, 1, 1}, minutes / 1440);
    DateTime at{d.year, d.month, d.day, static_cast<int>(minutes % 1440 / 60),
                static_cast<int>(minutes % 60)};
    int idx = static_cast<int>(InsertReading(db, id, at, 60 + i % 250, 256 * (1 + i % 7), 0));
    if (i % detailEvery == 0) {
      GlucoDetailRecord g;
      g.IDNo = id;
      g.idx = idx;
      g.type = 0;
      g.comment = "after lunch, felt fine";
      g.insulin = "Rapid";
      g.insulinAmount = 4;
      g.carbs = 45;
      WriteDetail(db, id, idx, g);
    }
  }
  tx.Commit();
}

void CsvBench() {
  const std::string id = "C1";
  {
    Database db = Fresh("csv");
    AddPatient(db, "Csv Patient", id);
    FillReadings(db, id, 10000, 5);
  }
  ScriptedPrompter prompter;
  TransferRequest req;
  req.mode = TransferMode::Export;
  req.patients = {"Csv Patient"};
  req.period = TransferPeriod::WholeDays({2000, 1, 1}, {2030, 12, 31});
  req.path = g_root + "/export.csv";

  // Floor: the same rows (readings joined with their details) written as CSV lines the
  // plainest way, through the same library and key, in this process.
  auto plainCsv = [&] {
    Database db = OpenPatientDatabase();
    std::FILE* out = std::fopen((g_root + "/floor.csv").c_str(), "w");
    Statement st = db.Prepare("SELECT r.idx, r.glucoDate, r.gluco, d.* FROM \"G" + id +
                              "\" r LEFT JOIN GlucoDetail d ON d.IDNo=? AND d.idx=r.idx "
                              "WHERE r.glucoDate>=? AND r.glucoDate<=? ORDER BY r.glucoDate;");
    st.Bind(1, id).Bind(2, "2000-01-01 00:00:00").Bind(3, "2030-12-31 23:59:59");
    long rows = 0;
    while (st.Step()) {
      for (int c = 0; c < st.ColumnCount(); ++c) {
        if (c) std::fputc(',', out);
        std::string_view v = st.TextView(c);
        std::fwrite(v.data(), 1, v.size(), out);
      }
      std::fputc('\n', out);
      ++rows;
    }
    std::fclose(out);
    return rows;
  };

  double best = 1e9, floor = 1e9;
  long floorRows = 0;
  int written = 0;
  for (int round = 0; round < 5; ++round) {
    auto t0 = Clock::now();
    TransferResult r = RunTransfer(req, prompter);
    best = std::min(best, Seconds(t0));
    written = r.readingsWritten;
    if (!r.ok) std::printf("export failed: %s\n", r.message.c_str());
    t0 = Clock::now();
    floorRows = plainCsv();
    floor = std::min(floor, Seconds(t0));
  }
  const bool same = written == floorRows;
  std::printf("csv export 10000 readings/2000 details: %.1f ms, plain query to CSV %.1f ms, "
              "ratio %.2f (goal <= 2), rows %d / %ld\n",
              best * 1e3, floor * 1e3, best / floor, written, floorRows);
  bench::ReportRow(std::string("CSV export 10,000 readings vs plain joined query to CSV") +
                       (same ? "" : " ROWS DIFFER"),
                   best * 1e3, floor * 1e3, "ms", "<= 2");
}

// ", p.type, p.slot, …": the detail columns in table order, each with the prefix.
std::string DetailColumnList(const char* prefix) {
  GlucoDetailRecord probe;
  std::string out;
  for (const ColumnRef& c : DetailColumns(probe)) out += std::string(", ") + prefix + c.name;
  return out;
}

// The floor of archive + retrieve: the same rows moved with set-based SQL through the same
// library and key, one transaction per patient as ours, the archive attached to the
// connection. Returns the readings and detail rows that reached the target.
std::pair<long, long> SetBasedArchiveAndMerge(const std::vector<std::string>& ids,
                                              const std::string& book, double& writeMs) {
  const double t0 = CpuMs();
  std::filesystem::remove(book);
  const std::string key = std::string(kDatabaseKey);
  const std::string range = " WHERE glucoDate>='2000-01-01 00:00:00' AND glucoDate<='2030-12-31 23:59:59'";
  {
    SetDataFolderOverride(g_root + "/source");
    Database db = OpenPatientDatabase();
    db.Exec("ATTACH DATABASE '" + book + "' AS a KEY '" + key + "';");
    for (const std::string& id : ids) {
      const std::string g = "\"G" + id + "\"";
      Database::Transaction tx(db);
      db.Exec("CREATE TABLE a." + g + " AS SELECT r.glucoDate, r.gluco, r.meal, r.medicalNo" +
              DetailColumnList("d.") + " FROM main." + g + " r LEFT JOIN GlucoDetail d ON d.IDNo='" + id +
              "' AND d.idx=r.idx" + range + " ORDER BY r.idx;");
      tx.Commit();
    }
  }
  writeMs = std::min(writeMs, CpuMs() - t0);
  SetDataFolderOverride(g_root + "/floor-target");
  Database db = OpenPatientDatabase();
  db.Exec("ATTACH DATABASE '" + book + "' AS a KEY '" + key + "';");
  for (const std::string& id : ids) {
    const std::string g = "\"G" + id + "\"";
    Database::Transaction tx(db);
    db.Exec("INSERT INTO main." + g + " (glucoDate, gluco, meal, medicalNo) SELECT glucoDate, "
            "gluco, meal, medicalNo FROM a." + g + range + " ORDER BY rowid;");
    db.Exec("INSERT INTO GlucoDetail SELECT '" + id + "', m.idx" + DetailColumnList("x.") +
            " FROM a." + g + " x JOIN main." + g +
            " m ON m.glucoDate=x.glucoDate AND m.gluco=x.gluco WHERE x.type IS NOT NULL;");
    tx.Commit();
  }
  long readings = 0;
  for (const std::string& id : ids) {
    Statement st = db.Prepare("SELECT count(*) FROM \"G" + id + "\";");
    if (st.Step()) readings += st.Int(0);
  }
  Statement st = db.Prepare("SELECT count(*) FROM GlucoDetail;");
  return {readings, st.Step() ? st.Int(0) : 0};
}

void ArchiveBench() {
  constexpr int kPatients = 20, kReadings = 5000;
  std::vector<std::string> names;
  std::vector<PatientKey> keys;
  {
    Database db = Fresh("source");
    for (int p = 0; p < kPatients; ++p) {
      names.push_back("Patient " + std::to_string(p));
      keys.emplace_back(names.back(), "P" + std::to_string(p));
      AddPatient(db, names.back(), "P" + std::to_string(p));
      FillReadings(db, "P" + std::to_string(p), kReadings, 5);
    }
  }
  const TransferPeriod all = TransferPeriod::WholeDays({2000, 1, 1}, {2030, 12, 31});
  const std::string book = g_root + "/book.db";
  ScriptedPrompter prompter;

  std::vector<std::string> ids;
  for (int p = 0; p < kPatients; ++p) ids.push_back("P" + std::to_string(p));
  auto counts = [&](Database& db) {
    long readings = 0;
    for (const std::string& id : ids) {
      Statement st = db.Prepare("SELECT count(*) FROM \"G" + id + "\";");
      if (st.Step()) readings += st.Int(0);
    }
    Statement st = db.Prepare("SELECT count(*) FROM GlucoDetail;");
    return std::make_pair(readings, st.Step() ? long(st.Int(0)) : 0L);
  };

  double ours = 1e300, floor = 1e300, writeMs = 1e300, floorWriteMs = 1e300;
  std::pair<long, long> oursCounts, floorCounts;
  for (int round = 0; round < 3; ++round) {
    // Ours: write the archive, then merge it into an installation that knows the patients.
    for (const char* target : {"target", "floor-target"}) {
      std::filesystem::remove_all(g_root + "/" + target);
      Database db = Fresh(target);
      for (int p = 0; p < kPatients; ++p) AddPatient(db, names[p], ids[p]);
    }
    double t0 = CpuMs();
    {
      SetDataFolderOverride(g_root + "/source");
      Database db = OpenPatientDatabase();
      WriteArchive(db, keys, all, book, prompter);
    }
    writeMs = std::min(writeMs, CpuMs() - t0);
    {
      SetDataFolderOverride(g_root + "/target");
      Database db = OpenPatientDatabase();
      MergeArchive(db, keys, all, book, prompter);
    }
    ours = std::min(ours, CpuMs() - t0);
    {
      Database db = OpenPatientDatabase();
      oursCounts = counts(db);
    }
    t0 = CpuMs();
    floorCounts = SetBasedArchiveAndMerge(ids, g_root + "/floor-book.db", floorWriteMs);
    floor = std::min(floor, CpuMs() - t0);
  }
  const bool same = oursCounts == floorCounts;
  std::printf("archive + retrieve %d x %d: ours %.0f ms CPU (write %.0f), set-based SQL %.0f ms "
              "CPU (write %.0f), ratio %.2f (goal <= 1.5); readings %ld/%ld, details %ld/%ld\n",
              kPatients, kReadings, ours, writeMs, floor, floorWriteMs, ours / floor, oursCounts.first,
              floorCounts.first, oursCounts.second, floorCounts.second);
  bench::ReportRow(std::string("archive + retrieve 20 x 5,000 vs set-based SQL") +
                       (same ? "" : " RESULTS DIFFER"),
                   ours, floor, "ms CPU", "<= 1.5");
}

}  // namespace

int main() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "meridane-bench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) return 1;
  g_root = tmpl;
  CsvBench();
  ArchiveBench();
  std::error_code ec;
  std::filesystem::remove_all(g_root, ec);
  return 0;
}
