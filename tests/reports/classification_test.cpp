#include "reports/classification.h"

#include <gtest/gtest.h>

#include "store/patient_store.h"
#include "support/fixtures.h"

namespace meridane {
namespace {

using test::At;

Schedule MakeSchedule(std::array<TimeOfDay, 7> starts) {
  Schedule s;
  s.start = starts;
  return s;
}

// Block edges, schedules out of day order and non-working days are compared with a plain
// minute table in naive_property_test; here the edges a user meets first.
TEST(ClassifySlot, DefaultScheduleEdgesAndASheduleOutOfDayOrder) {
  const std::pair<TimeOfDay, int> cases[] = {{{5, 59}, 7}, {{6, 0}, 1}, {{8, 59}, 1}, {{9, 0}, 2},
                                             {{22, 59}, 6}, {{23, 0}, 7}, {{0, 0}, 7}};
  for (const auto& [time, slot] : cases)
    EXPECT_EQ(ClassifySlot(DefaultSchedule(), time), slot) << time.hour << ":" << time.minute;
  // Night after midnight: the schedule is not in day order.
  Schedule late = MakeSchedule({{{6, 0}, {9, 0}, {11, 0}, {14, 0}, {17, 0}, {20, 0}, {0, 30}}});
  EXPECT_EQ(ClassifySlot(late, {7, 0}), kSlotNone);
}

TEST(ClassifyLoadedReadings, OnlyUnclassifiedReadingsGetASlot) {
  CPatientProfile p;
  ReadingTable table;
  table.entries.push_back(test::Reading(At(2026, 3, 9, 7, 0), 100, 0, 1));
  GlucoReading stored = test::Reading(At(2026, 3, 9, 7, 0), 100, 0, 0);
  stored.slot = SlotOfMeal(513);
  stored.mark = MarkOfMeal(513);
  table.entries.push_back(stored);
  table.entries.push_back(test::Reading(At(2026, 3, 9, 23, 30), 100, 0));
  EXPECT_EQ(ClassifyLoadedReadings(p, table), 2);
  EXPECT_EQ(table.entries[0].slot, 1);
  EXPECT_EQ(table.entries[1].slot, 2);  // stored code 513: slot 2, mark 1, kept
  EXPECT_EQ(table.entries[1].mark, 1);
  EXPECT_EQ(table.entries[2].slot, 7);
}

TEST(ComposeMealCode, EveryPairOfSlotAndMark) {
  struct Case {
    int slot, mark, meal, adjusted;
  };
  const Case cases[] = {{1, 1, 257, 1},  {1, 0, 258, 2}, {2, 0, 512, 0}, {2, 1, 514, 2},
                        {7, 0, 1794, 2}, {0, 1, 2, 2},   {0, 0, 0, 0},   {3, 2, 770, 2}};
  for (const Case& c : cases) {
    const MealCode code = ComposeMealCode(c.slot, c.mark);
    EXPECT_EQ(code.meal, c.meal) << c.slot << "," << c.mark;
    EXPECT_EQ(code.mark, c.adjusted) << c.slot << "," << c.mark;
    EXPECT_EQ(SlotOfMeal(code.meal), c.slot);
  }
}

class ClassifyReadingTimeTest : public test::BookTest {
 protected:
  // As a download files a reading: the patient's flags and schedules loaded, then applied.
  int SlotOf(const std::string& idNo, const DateTime& at) {
    CPatientProfile p;
    return LoadPatient(db_, idNo, p) ? ClassifyReadingSlot(p, at) : kSlotNone;
  }
};

TEST_F(ClassifyReadingTimeTest, ReadsFlagsAndSchedulesOfThePatient) {
  Sql("INSERT INTO Patient (fullName, IDNo, scheduleEnable, workEnable) VALUES "
      "('Ann','A1','1','1');");
  Sql("INSERT INTO WorkingDateSchedule VALUES ('A1','07:00:00','10:00:00','12:00:00','15:00:00',"
      "'18:00:00','21:00:00','23:30:00');");
  Sql("INSERT INTO NonWorkingDateSchedule VALUES ('A1','64','09:00:00','11:00:00','13:00:00',"
      "'16:00:00','19:00:00','22:00:00','23:45:00');");
  Sql("INSERT INTO Patient (fullName, IDNo, scheduleEnable, workEnable) VALUES "
      "('Bob','B1','0','0');");
  Sql("INSERT INTO Patient (fullName, IDNo, scheduleEnable, workEnable) VALUES "
      "('Cy','C1','1','0');");

  EXPECT_EQ(SlotOf("B1", At(2026, 3, 9, 6, 0)), 1);    // default schedule
  EXPECT_EQ(SlotOf("NOPE", At(2026, 3, 9, 7, 0)), 0);  // no patient
  // Schedule enabled but no row: the default block starts, not an all-night schedule.
  EXPECT_EQ(SlotOf("C1", At(2026, 3, 9, 9, 0)), 2);

  // The database path and the in-memory path agree for the same patient.
  CPatientProfile p;
  p.scheduleEnable = p.workEnable = true;
  p.working = MakeSchedule({{{7, 0}, {10, 0}, {12, 0}, {15, 0}, {18, 0}, {21, 0}, {23, 30}}});
  p.nonWorking.nonWorkingDay = 64;
  p.nonWorking.blocks =
      MakeSchedule({{{9, 0}, {11, 0}, {13, 0}, {16, 0}, {19, 0}, {22, 0}, {23, 45}}});
  for (int day = 5; day <= 12; ++day)
    for (int minute = 0; minute < 24 * 60; minute += 7) {
      const DateTime at = At(2026, 3, day, minute / 60, minute % 60);
      ASSERT_EQ(SlotOf("A1", at), ClassifyReadingSlot(p, at));
    }
}

}  // namespace
}  // namespace meridane
