#include "download/clinic_download.h"

#include <map>
#include <optional>

#include "download/reading_keys.h"
#include "reports/classification.h"
#include "reports/report_period.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane {
namespace {

// Name of the first patient with that medical record number, looked up once per number.
class PatientNames {
 public:
  explicit PatientNames(Database& db) : db_(db) {}
  const std::string& operator()(int medicalNo) {
    auto [it, added] = names_.try_emplace(medicalNo);
    if (added) it->second = FindNameByMedicalNo(db_, medicalNo).value_or("");
    return it->second;
  }

 private:
  Database& db_;
  std::map<int, std::string> names_;
};

}  // namespace

DownloadReport RunClinicDownload(DownloadSession& session, const DownloadHooks& hooks,
                                 ReadingTable& table) {
  table.Clear();
  return RunDownloadWorker(session, hooks, table, DownloadMode::Clinic);
}

std::string GlucoseCellText(int gluco) {
  if (gluco > 600) return "HI";
  if (gluco < 20) return "LO";
  return std::to_string(gluco);
}

std::string TestingDateText(const DateTime& at, bool hours24) {
  return MonthDayYear(at.date()) + "  " + TimeOfDayText(at.time(), hours24);
}

std::vector<MultipleDownloadRow> MultipleDownloadRows(Database& db, const ReadingTable& table,
                                                      const CPatientProfile& current) {
  const bool hours24 = !current.IDNo.empty() && current.timeUnit;
  PatientNames names(db);
  std::vector<MultipleDownloadRow> rows;
  rows.reserve(table.count());
  for (const GlucoReading& r : table.entries) {
    rows.push_back({"", r.medicalNo == -1 ? "" : MedicalNoText(r.medicalNo),
                    r.medicalNo == -1 ? "" : names(r.medicalNo), GlucoseCellText(r.gluco),
                    TestingDateText(r.at, hours24)});
  }
  return rows;
}

ClinicStoreReport StoreClinicReadings(Database& db, ReadingTable& table) {
  // Each patient is loaded once, for its stored readings and the schedule its new ones are
  // classified by.
  struct Target {
    std::string idNo;
    CPatientProfile patient;
    ReadingKeySet stored;
  };
  ClinicStoreReport report;
  std::map<int, Target*> byMedicalNo;  // null: no patient has the number
  std::map<std::string, Target> byId;
  std::vector<int> marks(table.count());

  auto fail = [&] {
    // Whole or not at all: nothing of this store is in the book.
    report = ClinicStoreReport{};
    report.insertFailures = static_cast<int>(table.count());
    return report;
  };
  // The write lock first, so the look-ups and stored keys hold until the commit.
  Database::Transaction tx(db);
  if (!tx.ok()) return fail();
  FailureWatch watch;
  for (std::size_t i = 0; i < table.count(); ++i) {
    GlucoReading& r = table.entries[i];
    marks[i] = r.mark;
    auto [it, added] = byMedicalNo.try_emplace(r.medicalNo, nullptr);
    if (added) {
      std::optional<std::string> id = FindIdByMedicalNo(db, r.medicalNo);
      // A look-up that failed is no answer: the reading is not "nobody's".
      if (watch.failed()) return fail();
      if (id) {
        auto [tit, newPatient] = byId.try_emplace(*id);
        if (newPatient) {
          tit->second.idNo = *id;
          EnsureReadingsTable(db, *id);
          tit->second.stored = StoredReadingKeys(db, *id);
          LoadPatient(db, *id, tit->second.patient);
          if (watch.failed()) return fail();
        }
        it->second = &tit->second;
      }
    }
    Target* t = it->second;
    if (!t) {
      ++report.unassigned;
      continue;
    }
    if (!t->stored.Insert({r.gluco, r.at, 0})) {
      ++report.duplicates;
      continue;
    }
    MealCode code = ComposeMealCode(ClassifyReadingSlot(t->patient, r.at), r.mark);
    marks[i] = code.mark;
    if (InsertReading(db, t->idNo, r.at, r.gluco, code.meal, r.medicalNo) < 0) return fail();
    ++report.inserted;
  }
  if (watch.failed() || !tx.Commit()) return fail();
  for (std::size_t i = 0; i < table.count(); ++i) table.entries[i].mark = marks[i];
  return report;
}

}  // namespace meridane
