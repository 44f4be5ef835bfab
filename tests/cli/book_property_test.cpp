// Random sequences of downloads, clinic filings, archive runs and merges over random
// patients (case-variant IDs and shared names among them) against a model of what each
// patient's readings must be: nothing lost, nothing doubled, nothing under another patient.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <set>

#include "download/clinic_download.h"
#include "download/single_download.h"
#include "output/archive_file.h"
#include "store/patient_store.h"
#include "store/reading_store.h"
#include "support/fixtures.h"
#include "support/server_book.h"

// Readings are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane {
namespace {

using Key = std::pair<DateTime, int>;  // minute and value: what makes a reading itself
using Model = std::map<std::string, std::multiset<Key>>;

Model BookContents(Database& db) {
  Model m;
  for (const std::string& id : ListPatientIds(db)) {
    auto& set = m[id];
    EXPECT_TRUE(ForEachStoredReading(db, id, [&](const DateTime& at, int gluco, int) {
      set.insert({at, gluco});
    })) << id;
  }
  return m;
}

// A merge may be refused (two patients sharing the archived name); the model check below is
// what must hold either way, so the statement errors are only collected.
using BookProperty = test::DataFolderFixture<::testing::TestWithParam<unsigned>>;

TEST_P(BookProperty, EveryPatientKeepsExactlyItsOwnReadings) {
  std::mt19937 rng(GetParam());
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  Database db = test::FreshDatabase();
  ASSERT_TRUE(db.ok());
  ScriptedPrompter prompter;

  // Patients: case variants of one ID (only the first may exist) and two sharing a name.
  // Name, ID and medical record number of each.
  const std::array<std::array<const char*, 3>, 7> candidates{
      {{"Ann", "abc", "1"}, {"Bob", "ABC", "2"}, {"Cy", "Abc", "3"}, {"Sam", "S1", "4"},
       {"Sam", "S2", "5"}, {"Dee", "lucoDetail", "6"}, {"Eve", "E5", "7"}}};
  Model model;
  std::map<int, std::string> byMedicalNo;
  for (const auto& [name, id, medicalNo] : candidates) {
    if (test::AddPatientByForm(db, name, id, medicalNo)) {
      model[id];
      byMedicalNo[std::stoi(medicalNo)] = id;
    }
  }
  // "lucoDetail" would name the file's detail table; a server keeps no table per patient.
  ASSERT_EQ(model.size(), test::ServerBookWanted() ? 5u : 4u);  // abc, S1, S2, E5
  std::vector<std::string> ids;
  for (auto& [id, _] : model) ids.push_back(id);

  // A meter's readings; a clinic meter's carry medical record numbers, some of nobody. Few
  // distinct minutes and values, so repeats across operations are common.
  auto randomTable = [&](int n, bool clinic) {
    ReadingTable table;
    for (int i = 0; i < n; ++i)
      table.entries.push_back({.at = {2024, 1 + pick(3), 1 + pick(4), pick(3) * 6, pick(2) * 30},
                               .gluco = 60 + pick(6) * 20,
                               .medicalNo = clinic ? 1 + pick(8) : -1});
    return table;
  };
  // What the book must hold after a reading is filed for `id`: it, once.
  auto fileOnce = [&](const std::string& id, const GlucoReading& r) {
    if (!model[id].count({r.at, r.gluco})) model[id].insert({r.at, r.gluco});
  };
  const std::string archive = Path("book.db");
  for (int step = 0; step < 24; ++step) {
    const std::vector<std::string> names = ListPatientNames(db);
    const std::vector<PatientKey> keys(names.begin(), names.end());
    switch (pick(4)) {
      case 0: {  // a download for one patient
        const std::string& id = ids[pick(static_cast<int>(ids.size()))];
        ReadingTable table = randomTable(1 + pick(6), false);
        int failures = 0;
        FileNewReadings(db, id, table, failures);
        ASSERT_EQ(failures, 0);
        for (const GlucoReading& r : table.entries) fileOnce(id, r);
        break;
      }
      case 1: {  // a clinic meter's readings, some for nobody
        ReadingTable table = randomTable(1 + pick(8), true);
        ClinicStoreReport s = StoreClinicReadings(db, table);
        ASSERT_EQ(s.insertFailures, 0);
        for (const GlucoReading& r : table.entries) {
          auto it = byMedicalNo.find(r.medicalNo);
          if (it != byMedicalNo.end()) fileOnce(it->second, r);
        }
        break;
      }
      case 2: {  // archive everybody, merge it straight back: nothing changes
        TransferPeriod all = TransferPeriod::WholeDays({2024, 1, 1}, {2024, 12, 31});
        ASSERT_TRUE(WriteArchive(db, keys, all, archive, prompter).ok);
        MergeArchive(db, keys, all, archive, prompter);
        break;
      }
      default: {  // a part of the year archived and merged into a second book
        TransferPeriod part = TransferPeriod::WholeDays({2024, 1 + pick(3), 1}, {2024, 3, 31});
        ASSERT_TRUE(WriteArchive(db, keys, part, archive, prompter).ok);
        dataFolder_.Switch(Path("other"));
        {
          Database other = test::FreshDatabase();
          ASSERT_TRUE(other.ok());
          MergeArchive(other, keys, part, archive, prompter);
          // Whatever arrived there is its own patient's, once.
          for (const auto& [id, set] : BookContents(other))
            for (const Key& k : set) {
              EXPECT_EQ(set.count(k), 1u) << id;
              EXPECT_EQ(model[id].count(k), 1u) << id << " has a reading that is not its own";
            }
        }
        dataFolder_.Switch(Path("MeridData_Pro"));
        break;
      }
    }
    ASSERT_EQ(BookContents(db), model) << "after step " << step;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, BookProperty, ::testing::Values(1u, 2u, 3u));

}  // namespace
}  // namespace meridane
