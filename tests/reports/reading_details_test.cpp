#include "reports/reading_details.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <tuple>

#include "reports/classification.h"
#include "store/patient_store.h"
#include "support/fixtures.h"

// Entries are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane {
namespace {

struct Case {
  const char* name;
  DetailEntries entries;
  int page;  // -1: accepted
  const char* column;
};

TEST(ReadingDetails, ChecksRunInPageOrderWithTheirLimits) {
  const DetailPage insulin = kDetailInsulin, oral = kDetailOral, exercise = kDetailExercise;
  const Case cases[] = {
      {"empty record", {}, -1, ""},
      {"bolus 60", {.insulinType = 1, .insulinAmount = 60}, -1, ""},
      {"bolus 61", {.insulinType = 1, .insulinAmount = 61}, insulin, "insulinAmount"},
      {"injection 250", {.insulinType = 0, .insulinAmount = 250}, -1, ""},
      {"injection 250.5", {.insulinType = 0, .insulinAmount = 250.5}, insulin, "insulinAmount"},
      {"pump 100.5", {.insulinType = 2, .insulinAmount = 100.5}, insulin, "insulinAmount"},
      {"bolus 4.5", {.insulinType = 1, .insulinAmount = 4.5}, -1, ""},
      {"unreadable insulin", {.insulinType = 0, .insulinAmount = NAN}, insulin, "insulinAmount"},
      {"oral 1.5", {.oralAmount = 1.5}, oral, "oralAmount"},
      {"oral 11", {.oralAmount = 11}, oral, "oralAmount"},
      {"oral 10", {.oralAmount = 10}, -1, ""},
      {"24 hours", {.exerciseHour = 24}, exercise, "exerciseHour"},
      {"23:59", {.exerciseHour = 23, .exerciseMinute = 59}, -1, ""},
      {"60 minutes", {.exerciseMinute = 60}, exercise, "exerciseMinute"},
      {"half an hour typed 0.5", {.exerciseHour = 0.5}, exercise, "exerciseHour"},
      {"negative fats", {.fats = -1}, kDetailFood, "fats"},
      {"calories 2500", {.carlories = 2500}, -1, ""},
      {"calories 2501", {.carlories = 2501}, kDetailFood, "carlories"},
      {"proteins 251", {.proteins = 251}, kDetailFood, "proteins"},
      // Several wrong: the earliest page wins.
      {"insulin before oral", {.insulinType = 1, .insulinAmount = 61, .oralAmount = 1.5}, insulin,
       "insulinAmount"},
      {"oral before exercise", {.oralAmount = 1.5, .exerciseHour = 24, .carbs = 999}, oral,
       "oralAmount"},
  };
  for (const Case& c : cases) {
    const auto f = ValidateDetailEntries(c.entries);
    if (c.page < 0) {
      EXPECT_FALSE(f) << c.name << ": refused " << f->column;
      continue;
    }
    ASSERT_TRUE(f) << c.name;
    EXPECT_EQ(f->page, c.page) << c.name;
    EXPECT_EQ(f->column, c.column) << c.name;
    // Only the oral rule speaks for itself.
    EXPECT_EQ(f->message, c.page == kDetailOral ? "Please enter an integer." : "") << c.name;
  }
}

TEST(ReadingDetails, TypedNumbersAreReadPlainlyInAnyLocale) {
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // a decimal comma must not change the reading
  for (auto [text, v] : std::vector<std::pair<const char*, double>>{
           {"", 0}, {"  ", 0}, {" 4.5 ", 4.5}, {"60", 60}, {"5.", 5}, {".5", 0.5}, {"-1", -1}})
    EXPECT_EQ(ParseDetailNumber(text), v) << text;
  for (const char* bad : {"abc", "1e3", "1,5", ".", "4.5.1", "inf", "nan", "1 2", "--1", "0x10"})
    EXPECT_TRUE(std::isnan(ParseDetailNumber(bad))) << bad;
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(DetailNumberText(60), "60");
  // A stored amount shown and read back is the same amount.
  for (double v : {0.0, 0.1, 0.25, 2.3, 4.5, 99.95, 250.0})
    EXPECT_EQ(ParseDetailNumber(DetailNumberText(v)), v);
  // A stored record passes exactly when its numbers do.
  GlucoDetailRecord d;
  d.insulinType = 2;
  d.insulinAmount = 101;
  EXPECT_EQ(ValidateDetailEntries(EntriesOf(d))->column, "insulinAmount");
  d.insulinAmount = 100;
  d.carbs = 251;
  EXPECT_EQ(ValidateDetailEntries(EntriesOf(d))->column, "carbs");
}

TEST(ReadingDetails, ValueShownAgainstTheChartAxis) {
  struct {
    int gluco, unit;
    const char* value;
    const char* caption;
  } cases[] = {{601, 1, "HI", "mg/dL"},   {600, 1, "600", "mg/dL"},  {15, 1, "15", "mg/dL"},
               {-1, 1, "LO", "mg/dL"},    {630, 0, "35.0", "mmol/L"}, {631, 0, "HI", "mmol/L"},
               {100, 0, "5.6", "mmol/L"}, {10, 0, "0.6", "mmol/L"},   {-5, 0, "LO", "mmol/L"}};
  for (const auto& c : cases) {
    const DetailValueText t = DetailValueShown(c.gluco, c.unit);
    EXPECT_EQ(t.value, c.value) << c.gluco << " unit " << c.unit;
    EXPECT_EQ(t.caption, c.caption) << c.gluco << " unit " << c.unit;
  }
}

TEST(ReadingDetails, ListsAndPlaceholders) {
  EXPECT_EQ(DetailSlotList(true)[3], "After-Meal2");
  for (auto [slot, entry] : {std::pair{1, 0}, {7, 6}, {0, -1}, {8, -1}})
    EXPECT_EQ(SlotListEntry(slot), entry) << slot;

  NameChoices none = DetailNameChoices({}, "");
  EXPECT_EQ(none.items, std::vector<std::string>{"Please add....."});
  EXPECT_EQ(none.NameAt(none.current), "");
  NameChoices two = DetailNameChoices({"Glargine", "Rapid"}, "Rapid");
  EXPECT_EQ(two.items, (std::vector<std::string>{"Please select.....", "Glargine", "Rapid"}));
  EXPECT_EQ(two.current, 2);
  EXPECT_EQ(two.NameAt(0) + two.NameAt(9), "");

  // A name the patient no longer has stays on offer and chosen, so saving keeps it.
  NameChoices gone = DetailNameChoices({"Glargine"}, "Lente");
  EXPECT_EQ(gone.NameAt(gone.current), "Lente");
  EXPECT_EQ(DetailNameChoices({}, "Lente").NameAt(1), "Lente");
}

TEST(ReadingDetails, SavingMovesTheSlotOnceAndMarksTheReading) {
  GlucoReading r{.idx = 12, .slot = 1, .mark = 1};
  GlucoDetailRecord d;
  d.commentOptions = kOptIllness | kOptFood | kOptOther;
  d.slot = 4;  // the detail row's own column is carried, not the reading's slot
  ASSERT_EQ(ApplyReadingDetails(r, "A1", d, 3), DetailApply::kSaved);
  EXPECT_EQ(std::tie(r.slot, r.mark, r.detail.commentOptions, r.detail.idx, r.detail.slot),
            std::make_tuple(3, 2, 545, 12, 4));
  EXPECT_EQ(r.detail.IDNo, "A1");

  // Mark 2: the slot stays; asking to move it changes nothing at all.
  GlucoDetailRecord other;
  other.comment = "later";
  EXPECT_EQ(ApplyReadingDetails(r, "A1", other, 5), DetailApply::kSlotLocked);
  EXPECT_EQ(r.slot, 3);
  EXPECT_EQ(r.detail.comment, "");
  for (int slot : {3, 0}) EXPECT_EQ(ApplyReadingDetails(r, "A1", other, slot), DetailApply::kSaved);
  EXPECT_EQ(r.slot, 3);
  EXPECT_EQ(r.detail.comment, "later");

  // An unclassified reading keeps slot 0 when no slot is chosen.
  GlucoReading loose;
  ASSERT_EQ(ApplyReadingDetails(loose, "A1", d, 0), DetailApply::kSaved);
  EXPECT_EQ(std::tie(loose.slot, loose.mark), std::make_tuple(0, 2));
}

using test::At;

TEST(ClassifyLoadedReadings, OnlyUnclassifiedReadingsGetASlot) {
  CPatientProfile p;
  ReadingTable table{.entries = {
      test::Reading(At(2026, 3, 9, 7, 0), 100, 0, 1),
      test::Reading(At(2026, 3, 9, 7, 0), 100, SlotOfMeal(513), MarkOfMeal(513)),
      test::Reading(At(2026, 3, 9, 23, 30), 100, 0)}};
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
      "('Ann','A1','1','1'), ('Bob','B1','0','0'), ('Cy','C1','1','0');");
  Sql("INSERT INTO WorkingDateSchedule VALUES ('A1','07:00:00','10:00:00','12:00:00','15:00:00',"
      "'18:00:00','21:00:00','23:30:00');");
  Sql("INSERT INTO NonWorkingDateSchedule VALUES ('A1','64','09:00:00','11:00:00','13:00:00',"
      "'16:00:00','19:00:00','22:00:00','23:45:00');");

  EXPECT_EQ(SlotOf("B1", At(2026, 3, 9, 6, 0)), 1);    // default schedule
  EXPECT_EQ(SlotOf("NOPE", At(2026, 3, 9, 7, 0)), 0);  // no patient
  // Schedule enabled but no row: the default block starts, not an all-night schedule.
  EXPECT_EQ(SlotOf("C1", At(2026, 3, 9, 9, 0)), 2);

  // The database path and the in-memory path agree for the same patient.
  CPatientProfile p;
  p.scheduleEnable = p.workEnable = true;
  p.working.start = {{{7, 0}, {10, 0}, {12, 0}, {15, 0}, {18, 0}, {21, 0}, {23, 30}}};
  p.nonWorking.nonWorkingDay = 64;
  p.nonWorking.blocks.start = {{{9, 0}, {11, 0}, {13, 0}, {16, 0}, {19, 0}, {22, 0}, {23, 45}}};
  for (int day = 5; day <= 12; ++day)
    for (int minute = 0; minute < 24 * 60; minute += 7) {
      const DateTime at = At(2026, 3, day, minute / 60, minute % 60);
      ASSERT_EQ(SlotOf("A1", at), ClassifyReadingSlot(p, at));
    }
}

}  // namespace
}  // namespace meridane
