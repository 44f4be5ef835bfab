#include "download/clinic_download.h"

#include <map>
#include <optional>
#include <set>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "download/reading_keys.h"
#include "reports/classification.h"
#include "reports/report_period.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane {
namespace {

// Name of the patient with that medical record number, looked up once per number; a number
// several patients have names them all, since its readings are filed under none.
class PatientNames {
 public:
  explicit PatientNames(Database& db) : db_(db) {}
  const std::string& operator()(int medicalNo) {
    auto [it, added] = names_.try_emplace(medicalNo);
    if (added) {
      const std::vector<PatientChoice> owners = FindPatientsByMedicalNo(db_, medicalNo);
      if (owners.size() == 1) it->second = owners.front().fullName;
      if (owners.size() > 1) it->second = SharedByText(owners);
    }
    return it->second;
  }

 private:
  Database& db_;
  std::map<int, std::string> names_;
};

}  // namespace

std::string SharedByText(const std::vector<PatientChoice>& owners) {
  std::string names;
  for (const PatientChoice& p : owners) names += (names.empty() ? "" : ", ") + p.fullName;
  return FillText(LookupText("Download", "SharedByNames", "shared by {names}"), {{"names", names}});
}

std::string ClinicNoticeText(const ClinicStoreReport& r, int skipped) {
  std::string text = DownloadNoticeText(skipped, r.futureDated);
  if (r.shared > 0)
    text += (text.empty() ? "" : "\n") +
            FillText(LookupText("Download", "SharedCount",
                                "{count} readings were not filed: several patients have their "
                                "medical record number. Give each patient a number of their own "
                                "and download again."),
                     {{"count", std::to_string(r.shared)}});
  return text;
}

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
  std::set<int> sharedNumbers;
  const Date today = Today();

  auto fail = [&] {
    // Whole or not at all: nothing of this store is in the book.
    report = ClinicStoreReport{};
    report.insertFailures = static_cast<int>(table.count());
    return report;
  };
  // The write lock first, so the look-ups and stored keys hold until the commit.
  Database::Transaction tx(db);
  if (!tx.ok()) return fail();
  FailureWatch watch(db);
  for (std::size_t i = 0; i < table.count(); ++i) {
    GlucoReading& r = table.entries[i];
    marks[i] = r.mark;
    auto [it, added] = byMedicalNo.try_emplace(r.medicalNo, nullptr);
    if (added) {
      const std::vector<PatientChoice> owners = FindPatientsByMedicalNo(db, r.medicalNo);
      // A look-up that failed is no answer: the reading is not "nobody's".
      if (watch.failed()) return fail();
      if (owners.size() > 1) sharedNumbers.insert(r.medicalNo);
      std::optional<std::string> id;
      if (owners.size() == 1) id = owners.front().idNo;
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
      // Filing under whichever sharer comes first would be a guess.
      ++(sharedNumbers.contains(r.medicalNo) ? report.shared : report.unassigned);
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
    report.futureDated += r.at.date() > today ? 1 : 0;
  }
  if (watch.failed() || !tx.Commit()) return fail();
  for (std::size_t i = 0; i < table.count(); ++i) table.entries[i].mark = marks[i];
  return report;
}

}  // namespace meridane
