// Reading CSV/TSV files of readings: the layouts other software writes, damaged files, and
// filing into a patient next to what is stored.
#include <gtest/gtest.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "base/prompter.h"
#include "output/csv_export.h"
#include "output/csv_import.h"
#include "output/fhir_export.h"
#include "output/files_fixture.h"
#include "reports/classification.h"
#include "store/patient_store.h"
#include "support/env.h"

namespace meridane::test {
namespace {

const Date kToday{2026, 3, 20};

struct Want {
  int line;
  std::string at;  // "YYYY-MM-DD HH:MM"
  int gluco;
};

struct ReadCase {
  const char* name;
  std::string bytes;
  DateOrder order;
  GlucoseUnit unit;
  std::vector<Want> filed;
  std::vector<std::pair<int, std::string>> refused;  // line, start of the reason
  size_t duplicates;
};

TEST(CsvImport, EveryPlainLayoutReadsToTheSameMgDlValues) {
  const auto U = GlucoseUnit::Unknown;
  const auto O = DateOrder::Unknown;
  const std::vector<ReadCase> cases = {
      {"mmol/L, semicolons, decimal commas, header",
       "Date;Time;Glucose (mmol/L)\r\n04.03.2026;07:30;5,6\r\n04.03.2026;12:00;10,0\r\n"
       "15.03.2026;21:45;3,3\r\n",
       O, U, {{2, "2026-03-04 07:30", 101}, {3, "2026-03-04 12:00", 180}, {4, "2026-03-15 21:45", 59}}, {}, 0},
      {"TSV, no header, ISO date-time in one column, unit chosen",
       "2026-03-01T08:00:00+01:00\t120\n2026-03-01 22:10\t95\n", O, GlucoseUnit::MgDl,
       {{1, "2026-03-01 08:00", 120}, {2, "2026-03-01 22:10", 95}}, {}, 0},
      {"BOM, commas, am/pm, month first shown by the data",
       "\xEF\xBB\xBF" "Date,Time,mg/dL\n03/14/2026,8:05 am,140\n03/04/2026,12:30 PM,HI\n"
       "03/04/2026,01:00 am,lo\n",
       O, U, {{2, "2026-03-14 08:05", 140}, {3, "2026-03-04 12:30", 601}, {4, "2026-03-04 01:00", 19}}, {}, 0},
      {"ambiguous order chosen",
       "Date,Time,mg/dL\n03/02/2026,08:00,100\n", DateOrder::DayMonthYear, U,
       {{2, "2026-02-03 08:00", 100}}, {}, 0},
      {"refused lines and a duplicate",
       "date;time;mg/dL\n2026-03-01;08:00;100\n2026-02-30;08:00;100\n2026-03-01;25:00;100\n"
       "2026-03-01;09:00;700\n2026-03-01;10:00\n2026-03-22;08:00;100\n2026-03-01;08:00;100\n"
       "2026-03-01;11:00;abc\n2026-03-21;23:59;99\n2026-03-02;08:00;1",
       O, U, {{2, "2026-03-01 08:00", 100}, {10, "2026-03-21 23:59", 99}},
       {{3, "bad date"}, {4, "bad time"}, {5, "value outside 20-600"}, {6, "missing column"},
        {7, "dated more than one day after today"}, {9, "value is not a number"},
        {11, "value outside 20-600"}},
       1},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    CsvImportPlan plan = ReadCsvImport(c.bytes, {c.order, c.unit, kToday});
    ASSERT_TRUE(plan.ok) << plan.message;
    ASSERT_EQ(plan.readings.size(), c.filed.size());
    for (size_t i = 0; i < c.filed.size(); ++i) {
      const auto& r = plan.readings[i];
      EXPECT_EQ(std::tuple(r.line, ImportTimeText(r.at), r.gluco),
                std::tuple(c.filed[i].line, c.filed[i].at, c.filed[i].gluco));
    }
    ASSERT_EQ(plan.refused.size(), c.refused.size());
    for (size_t i = 0; i < c.refused.size(); ++i) {
      EXPECT_EQ(plan.refused[i].line, c.refused[i].first);
      EXPECT_EQ(plan.refused[i].reason.rfind(c.refused[i].second, 0), 0u) << plan.refused[i].reason;
    }
    EXPECT_EQ(plan.duplicates.size(), c.duplicates);
  }
}

TEST(CsvImport, DamagedOrUnclearFilesAreRefusedWhole) {
  std::string many = "Date,Time,mg/dL\n";
  for (int i = 0; i <= kMaxImportLines; ++i) many += "2026-03-01,08:00,100\n";
  const struct {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"empty", "\r\n  \n", "The file is empty"},
      {"UTF-16", std::string("\xFF\xFE" "D\0a\0", 6), "The file is written in UTF-16"},
      {"Latin-1", "Date,Time,mg/dL\n2026-03-01,08:00,100,caf\xE9\n", "The file is not in UTF-8"},
      {"binary", std::string("%PDF-1.4\n\0\x01\x02", 12), "The file is not a text file"},
      {"prose", "Dear doctor,\nplease find my readings attached.\n", "No date and glucose columns"},
      {"no unit", "2026-03-01,08:00,100\n", "The file does not say whether"},
      {"ambiguous dates", "Date,Time,mg/dL\n03/04/2026,08:00,100\n04/03/2026,09:00,100\n",
       "The order of day and month cannot be told"},
      {"mixed orders", "Date,Time,mg/dL\n13/04/2026,08:00,100\n04/13/2026,09:00,100\n",
       "The dates mix"},
      {"too many lines", many, "The file has more than 100,000 lines"},
      {"two patients of an archive run",
       "Meridane Rev: 4.06\r\nmg/dL\r\nx\r\nItem No.,Date\r\n1,03/01/2026,08:00,100,\r\n\r\n"
       "Meridane Rev: 4.06\r\n",
       "The file holds the readings of more than one patient"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CsvImportPlan plan = ReadCsvImport(c.bytes, {DateOrder::Unknown, GlucoseUnit::Unknown, kToday});
    EXPECT_FALSE(plan.ok);
    EXPECT_EQ(plan.message.rfind(c.message, 0), 0u) << plan.message;
    EXPECT_TRUE(plan.readings.empty());
  }
  // The largest file taken is read whole.
  many.resize(many.size() - 21);
  CsvImportPlan plan = ReadCsvImport(many, {DateOrder::Unknown, GlucoseUnit::Unknown, kToday});
  ASSERT_TRUE(plan.ok) << plan.message;
  EXPECT_EQ(plan.readings.size() + plan.duplicates.size(), static_cast<size_t>(kMaxImportLines));
}

class CsvImportFiling : public FilesFixture {};

TEST_F(CsvImportFiling, OwnExportRoundTripsIntoAFreshPatientAndStoredReadingsAreSkipped) {
  AddPatient("Ann", "A1", "0");
  AddPatient("Fresh", "F1", "1");
  AddReading("A1", At(2026, 3, 1, 7, 30), 120);
  const int withDetail = AddReading("A1", At(2026, 3, 1, 13, 0), 180);
  AddReading("A1", At(2026, 3, 2, 23, 30), 95);
  AddReading("A1", At(2026, 3, 2, 0, 10), 19);
  AddDetail("A1", withDetail, {.insulin = "Rapid, 100", .insulinAmount = 4.5, .oral = "Met",
                               .oralAmount = 2, .exerciseHour = 1, .exerciseMinute = 5,
                               .intensity = 1, .carbs = 60, .comment = "after \"lunch\""});
  ScriptedPrompter prompter;
  const std::string path = Path("ann.csv");
  ASSERT_TRUE(ExportCsv(db_, {"Ann", "A1"}, TransferPeriod::WholeDays({2026, 1, 1}, {2026, 12, 31}),
                        path, prompter).ok);

  CPatientProfile fresh;
  ASSERT_TRUE(LoadPatient(db_, "F1", fresh));
  CsvImportPlan plan = PlanCsvImport(db_, "F1", path, {DateOrder::Unknown, GlucoseUnit::Unknown, kToday});
  ASSERT_TRUE(plan.ok) << plan.message;
  EXPECT_TRUE(plan.ownFormat);
  ASSERT_EQ(FileImportedReadings(db_, fresh, plan.readings), 4);

  CPatientProfile ann;
  ASSERT_TRUE(LoadPatient(db_, "A1", ann));
  ReadingTable before, after;
  ASSERT_TRUE(LoadReadings(db_, ann, before, &ClassifyReadingSlot));
  ASSERT_TRUE(LoadReadings(db_, fresh, after, &ClassifyReadingSlot));
  ASSERT_EQ(after.count(), before.count());
  for (size_t i = 0; i < before.count(); ++i) {
    const GlucoReading &a = after.entries[i], &b = before.entries[i];
    EXPECT_EQ(std::tie(a.at, a.gluco, a.slot), std::tie(b.at, b.gluco, b.slot));
    GlucoDetailRecord d = a.detail;
    std::tie(d.IDNo, d.idx) = std::tie(b.detail.IDNo, b.detail.idx);
    EXPECT_EQ(d, b.detail);
  }
  // The same file again: everything is stored already, nothing is filed twice.
  plan = PlanCsvImport(db_, "F1", path, {DateOrder::Unknown, GlucoseUnit::Unknown, kToday});
  EXPECT_TRUE(plan.readings.empty());
  EXPECT_EQ(plan.duplicates.size(), 4u);
  EXPECT_EQ(FileImportedReadings(db_, fresh, plan.readings), 0);
}

// The FHIR bundle's content: one Observation per reading of the period, codes, values at and
// beyond the meters' range, references that resolve, and UTC offsets across DST changes.

using nlohmann::json;

// Runs with the process's zone set to `zone`, putting the old one back afterwards.
struct ZoneScope {
  explicit ZoneScope(const char* zone) : tz("TZ", zone) { tzset(); }
  struct Reread {
    ~Reread() { tzset(); }
  } reread;  // destroyed after `tz` has put the old zone back
  EnvOverride tz;
};

TEST(FhirExport, OffsetIsTheOneInForceAtThatMoment) {
  const struct {
    const char* zone;
    DateTime at;
    const char* offset;
  } cases[] = {
      {"Europe/Berlin", At(2026, 3, 28, 12, 0), "+01:00"},  // the day before summer time
      {"Europe/Berlin", At(2026, 3, 29, 12, 0), "+02:00"},
      {"Europe/Berlin", At(2026, 10, 25, 12, 0), "+01:00"},
      {"America/New_York", At(2026, 3, 7, 8, 0), "-05:00"},
      {"America/New_York", At(2026, 3, 8, 8, 0), "-04:00"},
      {"Asia/Kolkata", At(2026, 1, 1, 0, 0), "+05:30"},
      {"UTC", At(2026, 6, 1, 0, 0), "+00:00"},
  };
  for (const auto& c : cases) {
    ZoneScope zone(c.zone);
    EXPECT_EQ(LocalUtcOffset(c.at), c.offset) << c.zone;
  }
}

class FhirBundleTest : public FilesFixture {};

TEST_F(FhirBundleTest, OneObservationPerReadingOfThePeriodWithResolvableReferences) {
  ZoneScope zone("Europe/Berlin");
  AddPatient("Ann", "A1", "1", "00000000", "SN77", "012");
  AddReading("A1", At(2026, 3, 28, 7, 30), 650);
  const int commented = AddReading("A1", At(2026, 3, 29, 7, 30), 10);
  AddReading("A1", At(2026, 3, 29, 14, 0), 120);
  AddReading("A1", At(2026, 4, 2, 8, 0), 130);  // after the period
  AddDetail("A1", commented, {.comment = "felt shaky", .commentFoo = "no breakfast"});

  FhirBundle b = BuildFhirBundle(db_, {"Ann", "A1"}, TransferPeriod::WholeDays({2026, 3, 1}, {2026, 3, 31}));
  ASSERT_TRUE(b.found);
  ASSERT_FALSE(b.readFailed);
  EXPECT_EQ(b.observations, 3);
  json j = json::parse(b.json);
  EXPECT_EQ(j["resourceType"], "Bundle");
  EXPECT_EQ(j["type"], "collection");
  std::map<std::string, json> byUrl;
  std::vector<json> observations;
  for (const json& e : j["entry"]) {
    byUrl[e["fullUrl"]] = e["resource"];
    if (e["resource"]["resourceType"] == "Observation") observations.push_back(e["resource"]);
  }
  ASSERT_EQ(observations.size(), 3u);
  const json& first = observations[0];
  const json& patient = byUrl.at(first["subject"]["reference"]);
  for (auto [at, want] : {std::pair{"/resourceType", "Patient"}, {"/identifier/0/value", "A1"},
                          {"/identifier/1/value", "012"}, {"/gender", "female"},
                          {"/birthDate", "1980-02-03"}})
    EXPECT_EQ(patient.value(json::json_pointer(at), ""), want) << at;
  EXPECT_EQ(byUrl.at(first["device"]["reference"])["serialNumber"], "SN77");

  const struct {
    const char* effective;
    int value;
    const char* comparator;
  } want[] = {{"2026-03-28T07:30:00+01:00", 600, ">"},
              {"2026-03-29T07:30:00+02:00", 20, "<"},
              {"2026-03-29T14:00:00+02:00", 120, ""}};
  for (size_t i = 0; i < 3; ++i) {
    const json& o = observations[i];
    EXPECT_EQ(o["status"], "final");
    EXPECT_EQ(o["code"]["coding"][0]["system"], "http://loinc.org");
    EXPECT_EQ(o["code"]["coding"][0]["code"], "41653-7");
    EXPECT_EQ(o["effectiveDateTime"], want[i].effective);
    json quantity = {{"value", want[i].value}, {"unit", "mg/dL"}, {"code", "mg/dL"},
                     {"system", "http://unitsofmeasure.org"}};
    if (*want[i].comparator) quantity["comparator"] = want[i].comparator;
    EXPECT_EQ(o["valueQuantity"], quantity);
  }
  EXPECT_EQ(observations[0]["component"][0]["valueString"], "Before Breakfast");
  EXPECT_EQ(observations[1]["note"], json::parse(R"([{"text":"felt shaky"},{"text":"Food: no breakfast"}])"));
  // The same data gives the same entry names.
  EXPECT_EQ(BuildFhirBundle(db_, {"Ann", "A1"}, TransferPeriod::WholeDays({2026, 3, 1}, {2026, 3, 31})).json,
            b.json);
}

}  // namespace
}  // namespace meridane::test
