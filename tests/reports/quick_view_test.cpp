#include "reports/quick_view.h"

#include <gtest/gtest.h>

#include "store/reading_store.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

class QuickViewTest : public test::BookTest {
 protected:
  void AddPatient(const std::string& name, const std::string& id, bool healthRecord) {
    Sql("INSERT INTO Patient (fullName, IDNo, healthRecordEnable, inquiryEnable) VALUES ('" + name +
        "','" + id + "','" + (healthRecord ? "1" : "0") + "','1');");
    ASSERT_TRUE(EnsureReadingsTable(db_, id));
  }
  void AddReading(const std::string& id, const std::string& at, int gluco, int slot) {
    InsertReading(db_, id, *ParseDateTime(at + ":00"), gluco, slot * 256 + 2, 0);
  }
  // Unit, pre-meal high and low, post-meal high and low, HbA1c, hypoglycemic threshold.
  void AddHealthRecord(const std::string& id, const std::string& values) {
    Sql("INSERT INTO HealthRecord (IDNo, glucoUnit, preMealHigh, preMealLow, postMealHigh, "
        "postMealLow, hbA1C, hypoglycemic) VALUES ('" + id + "'," + values + ");");
  }
  const ReportPeriod period_{{2026, 3, 1}, {2026, 3, 10}};
};

using Cells = std::array<std::string, kQuickViewColumns>;

TEST_F(QuickViewTest, CountsWithAndWithoutHypoThreshold) {
  AddPatient("Ann", "A1", true);
  AddHealthRecord("A1", "1, 130, 70, 180, 70, 7.25, 60");
  for (int v : {50, 65, 70, 100, 200}) AddReading("A1", "2026-03-05 12:00", v, 2);
  AddReading("A1", "2026-03-05 07:00", 120, 1);
  AddReading("A1", "2026-03-05 07:10", 700, 1);  // HI: left out
  AddReading("A1", "2026-03-11 07:00", 100, 1);  // after the period
  AddReading("A1", "2026-03-05 23:00", 90, 0);   // slot 0 joins the post-meal group
  QuickViewRow row = BuildQuickViewRow(db_, "Ann", period_);
  ASSERT_TRUE(row.found);
  // 50 hypo; 65 and 70 below; 100 nothing; 200 above.
  EXPECT_EQ(row.cells, (Cells{"Ann", "7", "2", "1", "1", "7.2", "120", "95"}));

  // Without a hypo threshold a value equal to the low bound counts nothing.
  AddPatient("Bob", "B1", true);
  AddHealthRecord("B1", "1, 130, 70, 180, 70, 0, 0");
  for (int v : {50, 65, 70, 100, 200}) AddReading("B1", "2026-03-05 12:00", v, 2);
  row = BuildQuickViewRow(db_, "Bob", period_);
  EXPECT_EQ(row.cells, (Cells{"Bob", "5", "2", "1", "0", "0.0", "0", "97"}));
}

TEST_F(QuickViewTest, StoredValuesReadAsThePatientsReportsReadThem) {
  // Past the int range a glucose must not wrap into a plausible figure (2^32 + 120 would
  // count as 120 before breakfast); the patient's reports leave such a reading out.
  AddPatient("Gil", "G1", false);
  AddReading("G1", "2026-03-05 07:00", 100, 1);
  Sql("INSERT INTO " + QuotedReadingsTable("G1") +
      " VALUES (NULL,'2026-03-05 08:00:00',4294967416,258,0);");
  EXPECT_EQ(BuildQuickViewRow(db_, "Gil", period_).cells,
            (Cells{"Gil", "1", "0", "0", "0", "0.0", "100", "0"}));
}

TEST_F(QuickViewTest, ThresholdsUnitsAndMissingData) {
  // mmol/L: thresholds × 18, averages still in mg/dL.
  AddPatient("Cy", "C1", true);
  AddHealthRecord("C1", "0, 7.2, 3.9, 10.0, 3.9, 6.5, 3");
  for (int v : {55, 60, 129, 130}) AddReading("C1", "2026-03-05 07:00", v, 1);
  // 55 ≤ 54? no: below (54 < 55 ≤ 70); 60 below; 129 nothing; 130 above (high 129).
  EXPECT_EQ(BuildQuickViewRow(db_, "Cy", period_).cells,
            (Cells{"Cy", "4", "2", "1", "0", "6.5", "93", "0"}));

  // A non-positive threshold: all defaults; disabled record: defaults and HbA1c 0.0.
  AddPatient("Di", "D1", true);
  AddHealthRecord("D1", "1, 150, 0, 200, 80, 8.0, 0");
  AddReading("D1", "2026-03-05 07:00", 140, 1);
  EXPECT_EQ(BuildQuickViewRow(db_, "Di", period_).cells[3], "1");
  // mg/dL figures under a mmol/L unit are not multiplied into absurd targets.
  const struct {
    const char *name, *id, *record;
    bool enabled;
    int value;
    Cells cells;
  } cases[] = {
      {"Ed", "E1", "1, 150, 60, 200, 60, 8.0, 100", false, 65, {"Ed", "1", "1", "0", "0", "0.0", "65", "0"}},
      {"Fay", "F1", "0, 130, 70, 180, 70, 0, 0", true, 100, {"Fay", "1", "0", "0", "0", "0.0", "100", "0"}},
  };
  for (const auto& c : cases) {
    AddPatient(c.name, c.id, c.enabled);
    AddHealthRecord(c.id, c.record);
    AddReading(c.id, "2026-03-05 07:00", c.value, 1);
    EXPECT_EQ(BuildQuickViewRow(db_, c.name, period_).cells, c.cells) << c.name;
  }

  // No readings, no readings table, no patient.
  AddPatient("Gus", "G1", false);
  EXPECT_EQ(BuildQuickViewRow(db_, "Gus", period_).cells,
            (Cells{"Gus", "0", "0", "0", "0", "0.0", "0", "0"}));
  Sql("INSERT INTO Patient (fullName, IDNo, healthRecordEnable) VALUES ('Hal','H1','0');");
  EXPECT_EQ(BuildQuickViewRow(db_, "Hal", period_).cells[1], "0");
  const QuickViewRow missing = BuildQuickViewRow(db_, "Nobody", period_);
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(missing.cells, Cells{});
}

TEST_F(QuickViewTest, SelectionList) {
  for (auto [name, id] : {std::pair{"Ann", "A1"}, {"Bob", "B1"}, {"Cy", "C1"}})
    AddPatient(name, id, false);
  Sql("INSERT INTO Inquiry (IDNo, special) VALUES ('B1','1'), ('C1','0');");
  std::vector<SelectionRow> list = PatientSelectionList(db_);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[2].text + list[4].text, "CyAnn");

  auto names = [&](const std::vector<SelectionRow>& sel) {
    std::vector<std::string> out;
    for (const QuickViewRow& r : BuildQuickView(db_, sel, period_).rows) out.push_back(r.cells[0]);
    return out;
  };
  EXPECT_TRUE(names(list).empty());
  // Each new row on top; the special view, then everybody, override the single ticks.
  using Names = std::vector<std::string>;
  for (auto [tick, expected] : {std::pair{2, Names{"Ann", "Cy"}}, {1, Names{"Bob"}},
                                {0, Names{"Ann", "Bob", "Cy"}}}) {
    list[tick].checked = list[4].checked = true;
    EXPECT_EQ(names(list), expected) << tick;
  }
}

}  // namespace
}  // namespace meridane
