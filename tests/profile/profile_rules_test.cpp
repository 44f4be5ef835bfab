#include "profile/profile_rules.h"

#include <gtest/gtest.h>

namespace meridane {
namespace {

Schedule Blocks(std::array<TimeOfDay, 7> t) {
  Schedule s;
  s.start = t;
  return s;
}

TEST(TimeBlocks, OrderAroundTheClockAndEndLabels) {
  Schedule def, nightEarly = def, equal = def, late = def;
  nightEarly.start[6] = {5, 0};       // the circle now starts at Night
  equal.start[3] = equal.start[2];    // After Lunch equal to Before Lunch
  late.start[0] = {23, 30};           // Night at 23:00 would follow Before Breakfast
  const std::pair<Schedule, bool> cases[] = {
      {def, true}, {nightEarly, true}, {equal, false}, {late, false},
      // Two wraps past midnight; a meal block across midnight; Night after midnight.
      {Blocks({{{6, 0}, {9, 0}, {2, 0}, {14, 0}, {17, 0}, {20, 0}, {23, 0}}}), false},
      {Blocks({{{18, 0}, {19, 0}, {21, 0}, {22, 0}, {0, 30}, {2, 0}, {4, 0}}}), false},
      {Blocks({{{6, 0}, {9, 0}, {11, 0}, {14, 0}, {17, 0}, {20, 0}, {0, 30}}}), true}};
  for (const auto& [s, ok] : cases) EXPECT_EQ(TimeBlocksInOrder(s), ok);
  // The non-working schedule only counts when it is switched on.
  EXPECT_TRUE(SchedulesValid(def, false, late));
  EXPECT_FALSE(SchedulesValid(def, true, late));

  EXPECT_EQ(FormatClock(BlockEnd(def, 0), true), "08:59");
  EXPECT_EQ(FormatClock(BlockEnd(def, 6), true), "05:59");  // Night wraps to Before Breakfast
  EXPECT_EQ(FormatClock({0, 5}, false) + FormatClock({12, 0}, false), "12:05 am12:00 pm");
  EXPECT_EQ(FormatClock(BlockEnd(Blocks({}), 6), true), "23:59");  // the day starting at 0:00
}

HealthRecordEntries Good() {
  HealthRecord hr;
  hr.preMealLow = 70;
  hr.preMealHigh = 130;
  hr.postMealLow = 70;
  hr.postMealHigh = 180;
  hr.hypoglycemic = 70;
  return HealthEntriesFrom(hr);
}

std::string& At(HealthRecordEntries& e, HealthEntry k) { return e[static_cast<int>(k)]; }

TEST(HealthRecordRule, ChecksInOrderWithTheirMessages) {
  using E = HealthEntry;
  const struct {
    std::vector<std::pair<E, const char*>> set;
    E entry;              // the one refused; Hypoglycemic with no message: accepted
    const char* message;  // nullptr: not looked at
  } cases[] = {
      {{}, E::Hypoglycemic, ""},
      {{{E::Hypoglycemic, "71"}}, E::Hypoglycemic, "The setting of Hypoglycemic is error."},
      {{{E::PreMealLow, "140"}}, E::PreMealLow, "The setting of Before meal range is error."},
      // A range fault is told before the order fault of the same targets.
      {{{E::PreMealLow, "140"}, {E::PostMealHigh, "601"}}, E::PostMealHigh,
       "Please enter a value between 0 and 600."},
      {{{E::HbA1C, "16"}}, E::Hypoglycemic, ""},
      {{{E::HbA1C, "16.1"}}, E::HbA1C, "Please enter a value between 0 and 16."},
      // Later in the order: the height is told first.
      {{{E::Hight, "250.5"}, {E::LDL, "301"}}, E::Hight, "Please enter a value between 0 and 250."},
      {{{E::Hight, "250"}, {E::LDL, "301"}}, E::LDL, "Please enter a value between 0 and 300."},
      {{{E::BloodPressureB, "251"}}, E::BloodPressureB, nullptr},
  };
  for (const auto& c : cases) {
    auto e = Good();
    for (const auto& [entry, text] : c.set) At(e, entry) = text;
    auto r = CheckHealthRecord(e);
    const bool accepted = c.message && !*c.message;
    EXPECT_EQ(r.ok, accepted) << static_cast<int>(c.entry);
    if (accepted) continue;
    EXPECT_EQ(r.entry, c.entry) << r.message;
    EXPECT_EQ(r.message, c.message ? c.message : r.message);
  }
}

TEST(HealthRecordRule, MalformedEntriesKeepTheTabSilently) {
  for (auto [entry, text] : std::vector<std::pair<HealthEntry, std::string>>{
           {HealthEntry::LDL, ""},
           {HealthEntry::Hight, "170,5"},
           {HealthEntry::Weight, "-3"},
           {HealthEntry::Cholesterol, "180.5"},  // whole numbers take digits only
           {HealthEntry::HbA1C, "6.5.1"},
           {HealthEntry::PreMealLow, "."}}) {
    auto e = Good();
    At(e, entry) = text;
    auto r = CheckHealthRecord(e);
    EXPECT_EQ(std::tie(r.ok, r.entry, r.message), std::make_tuple(false, entry, "")) << text;
  }
}

TEST(HealthRecordRule, EntriesRoundTripIntoTheSection) {
  HealthRecord hr;
  hr.hight = 172.5;
  hr.weight = 80;
  hr.hbA1C = 6.25;
  hr.preMealLow = 4.4;
  hr.LDL = 120;
  hr.bloodPressureA = 130;
  auto e = HealthEntriesFrom(hr);
  EXPECT_EQ(At(e, HealthEntry::Hight) + " " + At(e, HealthEntry::Weight), "172.5 80");
  HealthRecord back;
  back.yearDiagnosed = hr.yearDiagnosed;
  ApplyHealthEntries(e, back);
  EXPECT_EQ(back, hr);
}

TEST(RegimenRule, UnitBoundsAndActiveMark) {
  Regimen r;
  EXPECT_TRUE(RegimenUnitsValid(r));
  for (auto [units, ok] : {std::pair{250.0, true}, {250.5, false}, {-1.0, false}}) {
    r.doses[7].units = units;
    EXPECT_EQ(RegimenUnitsValid(r), ok) << units;
  }

  Regimens all;
  all.activeRegimen = 2;
  EXPECT_EQ(RegimenListText(all, 2) + RegimenListText(all, 1), "Regimen3(active)Regimen2");
}

TEST(MedicineLists, MovesKeepBitsAndCustomNames) {
  Medications m;
  std::vector<ListEntry> offered, chosen;
  SplitMedicines(m, true, offered, chosen);
  EXPECT_EQ(offered.size(), 11u);

  // Choosing "Lente" and "Rapid" gives 2 + 16.
  chosen = {offered[1], offered[4]};
  SetChosenMedicines(chosen, true, m);
  EXPECT_EQ(m.insulin, 18);

  // A renamed custom slot keeps its name, is checked, and is offered back once removed.
  ListEntry custom = offered[8];
  custom.text = "Tresiba with a very long name";
  chosen.push_back(custom);
  SetChosenMedicines(chosen, true, m);
  EXPECT_EQ(std::tie(m.insulin, m.insulinCheck[1]), std::make_tuple(18 | (1 << 8), true));
  EXPECT_EQ(ChosenInsulinNames(m),
            (std::vector<std::string>{"Lente", "Rapid", "Tresiba with a very "}));
  SetChosenMedicines({chosen[0]}, true, m);
  EXPECT_EQ(std::tie(m.insulinCheck[1], m.insulinName[1]), std::make_tuple(false, "Custom 2"));

  // Oral medicines use their own list; the insulin bits stay.
  SplitMedicines(m, false, offered, chosen);
  SetChosenMedicines({offered[20]}, false, m);
  EXPECT_EQ(std::tie(m.oral, m.oralCheck[3], m.insulin), std::make_tuple(1 << 20, true, 2));
}

TEST(ComplicationLists, CustomEntrySetsTheOtherName) {
  Complications c;
  std::vector<ListEntry> offered, chosen;
  SplitComplications(c, offered, chosen);
  ASSERT_EQ(offered.size(), 10u);
  ListEntry other = offered.back();
  other.text = "Gastroparesis";
  SetChosenComplications({offered[0], offered[8], other}, c);
  EXPECT_EQ(std::tie(c.complications, c.otherCheck), std::make_tuple(1 | (1 << 8), true));
  SplitComplications(c, offered, chosen);
  ASSERT_EQ(chosen.size(), 3u);
  EXPECT_EQ(chosen.back().text, "Gastroparesis");
  SetChosenComplications({}, c);
  EXPECT_EQ(c, Complications());
}

}  // namespace
}  // namespace meridane
