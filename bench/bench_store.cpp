// Loading and saving a patient's readings against the bare SQLite work underneath them,
// measured in the same run on the same connection. Prints ratios; goals: load <= 2x,
// save <= 1.5x.
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <sqlcipher/sqlite3.h>

#include "store/patient_store.h"
#include "store/reading_store.h"
#include "store/schema.h"
#include "support/book.h"
#include "support/temp_folder.h"
#include "bench_report.h"

using namespace meridane;

namespace {

constexpr int kReadings = 10'000;
constexpr int kDetails = 2'000;
constexpr int kRounds = 15;

// CPU time of this thread: the machine is shared, and wall time mostly measures the
// neighbours. Commit waits on the disk are left out of both sides alike.
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Ms(const std::function<void()>& f) {
  const double t0 = CpuMs();
  f();
  return CpuMs() - t0;
}

// Best of kRounds for the floor and the measured work, taken in turns so that a busy
// machine slows both alike.
std::pair<double, double> BestPair(const std::function<void()>& floor,
                                   const std::function<void()>& work) {
  double f = 1e300, w = 1e300;
  for (int i = 0; i < kRounds; ++i) {
    f = std::min(f, Ms(floor));
    w = std::min(w, Ms(work));
  }
  return {f, w};
}

void Fill(Database& db, CPatientProfile& p) {
  p.IDNo = "BENCH-1";
  p.fullName = "Bench";
  EnsureReadingsTable(db, p.IDNo);
  Database::Transaction tx(db);
  for (int i = 0; i < kReadings; ++i) {
    DateTime at{2020 + i / 4000, 1 + (i / 300) % 12, 1 + (i / 10) % 28, (i * 7) % 24, (i * 13) % 60};
    InsertReading(db, p.IDNo, at, 40 + (i * 37) % 400, ((i % 8) << 8) | (i % 3), 0);
  }
  for (int i = 0; i < kDetails; ++i) {
    GlucoDetailRecord d;
    d.type = i % 4;
    d.comment = "after lunch, Tom's";
    d.insulin = "Rapid";
    d.insulinAmount = 4.5;
    WriteDetail(db, p.IDNo, 1 + i * (kReadings / kDetails), d);
  }
  tx.Commit();
}

}  // namespace

int main() {
  test::TempFolder folder("bench-store");
  test::DataFolderOverride dataFolder(folder.root());
  Database db = test::FreshDatabase();
  if (!db.ok()) return 1;
  CPatientProfile patient;
  Fill(db, patient);
  const std::string table = QuotedReadingsTable(patient.IDNo);

  // Floor: step over the same rows and read every value once by its storage class,
  // nothing kept.
  long sink = 0;
  auto touch = [&sink](const Statement& st, int columns) {
    for (int c = 0; c < columns; ++c) {
      switch (st.Type(c)) {
        case SQLITE_INTEGER: sink += st.Int(c); break;
        case SQLITE_FLOAT: sink += static_cast<long>(st.Double(c)); break;
        case SQLITE_NULL: break;
        default: sink += static_cast<long>(st.TextView(c).size());
      }
    }
  };
  ReadingTable t;
  const auto [stepFloor, load] = BestPair([&] {
    Statement r = db.Prepare("SELECT * FROM " + table + ";");
    while (r.Step()) touch(r, 5);
    Statement d = db.Prepare("SELECT * FROM GlucoDetail WHERE IDNo = ?;");
    d.Bind(1, patient.IDNo);
    while (d.Step()) touch(d, 25);
  }, [&] {
    CPatientProfile p;
    LoadPatient(db, patient.IDNo, p);
    p.IDNo = patient.IDNo;
    LoadReadings(db, p, t, [](const CPatientProfile&, const DateTime& at) {
      return at.hour < 12 ? 1 : 4;
    });
  });

  // Floor: one bound UPDATE per reading in one transaction.
  ReadingTable noDetails = t;
  for (GlucoReading& r : noDetails.entries) r.detail = GlucoDetailRecord{};
  const auto [updateFloor, save] = BestPair([&] {
    Database::Transaction tx(db);
    Statement u = db.Prepare("UPDATE " + table + " SET meal=? WHERE idx=?");
    for (const GlucoReading& r : t.entries) {
      u.Reset();
      u.Bind(1, std::to_string(r.MealCode())).Bind(2, std::to_string(r.idx));
      u.Run();
    }
    tx.Commit();
  }, [&] { SaveReadingEdits(db, patient, noDetails); });
  double saveWithDetails = 1e300;
  for (int i = 0; i < kRounds; ++i)
    saveWithDetails = std::min(saveWithDetails, Ms([&] { SaveReadingEdits(db, patient, t); }));

  std::printf("readings %d, details %d, best CPU time of %d rounds (sink %ld)\n", kReadings, kDetails,
              kRounds, sink % 10);
  std::printf("load patient and readings / bare step loop : %.2fx (goal <= 2)   [%.1f ms / %.1f ms]\n",
              load / stepFloor, load, stepFloor);
  std::printf("save meal edits / bound UPDATEs in one tx  : %.2fx (goal <= 1.5) [%.1f ms / %.1f ms]\n",
              save / updateFloor, save, updateFloor);
  std::printf("save with %d details / same floor         : %.2fx (no goal)\n", kDetails,
              saveWithDetails / updateFloor);
  bench::ReportRow("load patient and 10,000 readings vs bare step loop", load, stepFloor,
                   "ms CPU", "<= 2");
  bench::ReportRow("save meal edits vs bound UPDATEs in one transaction", save, updateFloor,
                   "ms CPU", "<= 1.5");
  return 0;
}
