// The FHIR bundle's content: one Observation per reading of the period, codes, values at and
// beyond the meters' range, references that resolve, and UTC offsets across DST changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

#include "output/fhir_export.h"
#include "output/files_fixture.h"
#include "support/book.h"

namespace meridane::test {
namespace {

using nlohmann::json;

// Runs with the process's zone set to `zone`, putting the old one back afterwards.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) : old_(std::getenv("TZ") ? std::getenv("TZ") : "") {
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    if (old_.empty()) unsetenv("TZ");
    else setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_;
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
  EXPECT_EQ(patient["resourceType"], "Patient");
  EXPECT_EQ(patient["identifier"][0]["value"], "A1");
  EXPECT_EQ(patient["identifier"][1]["value"], "012");
  EXPECT_EQ(patient["gender"], "female");
  EXPECT_EQ(patient["birthDate"], "1980-02-03");
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
    EXPECT_EQ(o["valueQuantity"]["value"], want[i].value);
    EXPECT_EQ(o["valueQuantity"]["code"], "mg/dL");
    EXPECT_EQ(o["valueQuantity"]["system"], "http://unitsofmeasure.org");
    EXPECT_EQ(o["valueQuantity"].value("comparator", ""), want[i].comparator);
  }
  EXPECT_EQ(observations[0]["component"][0]["valueString"], "Before Breakfast");
  EXPECT_EQ(observations[1]["note"], json::parse(R"([{"text":"felt shaky"},{"text":"Food: no breakfast"}])"));
  // The same data gives the same entry names.
  EXPECT_EQ(BuildFhirBundle(db_, {"Ann", "A1"}, TransferPeriod::WholeDays({2026, 3, 1}, {2026, 3, 31})).json,
            b.json);
}

}  // namespace
}  // namespace meridane::test
