// Timing of the file runs, each as a ratio against a floor measured in the same run:
//  1. CSV export of 10,000 readings with 2,000 details, against the sqlcipher command-line
//     tool dumping the same rows (readings joined with details) as CSV. Goal: ratio <= 2.
//  2. Archive write plus merge of 20 patients x 5,000 readings, against a merge that runs one
//     statement per row without a transaction. Goal: the floor takes >= 10x as long.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/data_paths.h"
#include "app/prompter.h"
#include "output/archive_file.h"
#include "output/archive_runs.h"
#include "store/database.h"
#include "store/reading_store.h"
#include "store/schema.h"

using namespace meridane;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string g_root;

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

  const std::string sql = g_root + "/dump.sql";
  if (FILE* f = std::fopen(sql.c_str(), "w")) {
    std::fprintf(f,
                 "PRAGMA key='%s';\n.mode csv\n.output %s/dump.csv\n"
                 "SELECT r.idx, r.glucoDate, r.gluco, d.* FROM \"G%s\" r LEFT JOIN GlucoDetail d "
                 "ON d.IDNo='%s' AND d.idx=r.idx;\n",
                 std::string(kDatabaseKey).c_str(), g_root.c_str(), id.c_str(), id.c_str());
    std::fclose(f);
  }
  const std::string cmd =
      "sqlcipher '" + PatientDatabasePath() + "' < '" + sql + "' > /dev/null 2>&1";

  double best = 1e9, floor = 1e9;
  for (int round = 0; round < 5; ++round) {
    auto t0 = Clock::now();
    TransferResult r = RunTransfer(req, prompter);
    best = std::min(best, Seconds(t0));
    if (!r.ok || r.readingsWritten != 10000) std::printf("export failed: %s\n", r.message.c_str());
    t0 = Clock::now();
    if (std::system(cmd.c_str()) != 0) std::printf("sqlcipher failed\n");
    floor = std::min(floor, Seconds(t0));
  }
  std::printf("csv export 10000 readings/2000 details: %.1f ms, sqlcipher dump %.1f ms, "
              "ratio %.2f (goal <= 2)\n",
              best * 1e3, floor * 1e3, best / floor);
}

// A merge the way it is done without a transaction: every insert its own statement text and
// its own commit, the new row's idx looked up again for its details.
long StatementPerRowMerge(Database& patients, Database& archive, const std::string& id,
                          long limit) {
  std::vector<std::vector<std::string>> rows;
  {
    Statement st = archive.Prepare("SELECT * FROM \"G" + id + "\";");
    while (static_cast<long>(rows.size()) < limit && st.Step()) {
      std::vector<std::string> row;
      for (int c = 0; c < st.ColumnCount(); ++c) row.push_back(st.Text(c));
      rows.push_back(std::move(row));
    }
  }
  long n = 0;
  for (const auto& r : rows) {
    std::string table = "'G" + id + "'";
    patients.Exec("INSERT INTO " + table + " VALUES(null,'" + r[0] + "','" + r[1] + "','" + r[2] +
                  "','" + r[3] + "');");
    if (r[4] != "-1") {
      Statement st = patients.Prepare("SELECT idx FROM " + table + " WHERE glucoDate='" + r[0] +
                                      "' AND gluco='" + r[1] + "';");
      std::string idx = st.Step() ? st.Text(0) : "0";
      std::string sql = "INSERT INTO GlucoDetail VALUES('" + id + "','" + idx + "'";
      for (size_t c = 4; c < r.size(); ++c) sql += ",'" + r[c] + "'";
      patients.Exec(sql + ");");
    }
    ++n;
  }
  return n;
}

void ArchiveBench() {
  constexpr int kPatients = 20, kReadings = 5000;
  std::vector<std::string> names;
  {
    Database db = Fresh("source");
    for (int p = 0; p < kPatients; ++p) {
      names.push_back("Patient " + std::to_string(p));
      AddPatient(db, names.back(), "P" + std::to_string(p));
      FillReadings(db, "P" + std::to_string(p), kReadings, 5);
    }
  }
  const TransferPeriod all = TransferPeriod::WholeDays({2000, 1, 1}, {2030, 12, 31});
  const std::string book = g_root + "/book.db";
  ScriptedPrompter prompter;

  // Ours: write the archive, then merge it into an installation that knows the patients.
  auto t0 = Clock::now();
  {
    Database db = OpenPatientDatabase();
    WriteArchive(db, {names.begin(), names.end()}, all, book, prompter);
  }
  double write = Seconds(t0);
  {
    Database db = Fresh("target");
    for (int p = 0; p < kPatients; ++p) AddPatient(db, names[p], "P" + std::to_string(p));
  }
  t0 = Clock::now();
  TransferResult merged;
  {
    Database db = OpenPatientDatabase();
    merged = MergeArchive(db, {names.begin(), names.end()}, all, book, prompter);
  }
  double merge = Seconds(t0);
  if (merged.readingsAdded != kPatients * kReadings)
    std::printf("merge added %d readings\n", merged.readingsAdded);

  // The floor commits every row on its own (tens of milliseconds a row on this disk); it
  // runs on the first rows of one patient and is scaled per row to the full book.
  long rows = 0;
  t0 = Clock::now();
  {
    Database db = Fresh("floor");
    Database archive = Database::OpenFile(book);
    AddPatient(db, names[0], "P0");
    t0 = Clock::now();
    rows = StatementPerRowMerge(db, archive, "P0", 500);
  }
  double floorAll = Seconds(t0) / static_cast<double>(rows) * kPatients * kReadings;
  std::printf("archive %d x %d: write %.0f ms + merge %.0f ms = %.0f ms; statement-per-row merge "
              "%.0f ms (from %ld rows); floor/ours %.1fx (goal >= 10x)\n",
              kPatients, kReadings, write * 1e3, merge * 1e3, (write + merge) * 1e3,
              floorAll * 1e3, rows, floorAll / (write + merge));
}

}  // namespace

int main() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "meridane-bench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) return 1;
  g_root = tmpl;
  SetStatementErrorSink([](const std::string& m) { std::fprintf(stderr, "sql: %s\n", m.c_str()); });
  CsvBench();
  ArchiveBench();
  std::error_code ec;
  std::filesystem::remove_all(g_root, ec);
  return 0;
}
