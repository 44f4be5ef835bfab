// Two desks on one book on the clinic's server, each a meridane-cli of its own run at the same
// moment: a reading is filed once however the two interleave.
#include <gtest/gtest.h>

#include <thread>

#include "cli/cli_harness.h"
#include "support/meter_images.h"

namespace meridane::test {
namespace {

MeterRecord R(int gluco, int day, int hour, int no = 0) {
  return MeterRecord{gluco, 2024, 5, day, hour, 0, 0, no, false};
}

// Runs `args` on both desks at once, `rounds` times; returns the exit statuses seen.
std::vector<int> AtOnce(const CliSandbox& a, const CliSandbox& b,
                        const std::vector<std::string>& argsA,
                        const std::vector<std::string>& argsB, int rounds) {
  std::vector<int> statuses;
  for (int i = 0; i < rounds; ++i) {
    CliResult ra, rb;
    std::thread ta([&] { ra = a.Run(argsA); });
    std::thread tb([&] { rb = b.Run(argsB); });
    ta.join();
    tb.join();
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
    statuses.insert(statuses.end(), {ra.status, rb.status});
  }
  return statuses;
}

TEST(CliDesks, TwoDesksDownloadingOneMeterAtOnceFileEachReadingOnce) {
  if (!ServerBookWanted()) GTEST_SKIP() << "needs the test server";
  CliSandbox front, back;
  back.ShareBookWith(front);
  front.AddPatient("Ann Lee", "A1", {"--meter-sn", "MK72000001"});
  front.AddPatient("Pat", "P5", {"--medical-no", "5"});

  std::vector<MeterRecord> personal;
  for (int i = 0; i < 60; ++i) personal.push_back(R(80 + i, 1 + i % 28, i % 24));
  auto personalArgs = [&](const CliSandbox& desk) {
    return std::vector<std::string>{"download", "--meter-image",
                                    desk.WriteFile("m.bin", ImageText(personal)), "--serial",
                                    "MK72000001", "--no-pauses"};
  };
  AtOnce(front, back, personalArgs(front), personalArgs(back), 3);
  EXPECT_EQ(Listed(front, "A1").size(), 60u);
  EXPECT_EQ(Listed(back, "A1"), Listed(front, "A1"));

  // A clinic meter: the readings of medical record number 5 go to Pat, once.
  std::vector<MeterRecord> clinic;
  for (int i = 0; i < 40; ++i) clinic.push_back(R(90 + i, 1 + i % 28, i % 24, i % 2 ? 5 : 77));
  auto clinicArgs = [&](const CliSandbox& desk) {
    return std::vector<std::string>{"clinic-download", "--meter-image",
                                    desk.WriteFile("c.bin", ImageText(clinic, true)), "--serial",
                                    "VXACLINIC1", "--no-pauses"};
  };
  AtOnce(front, back, clinicArgs(front), clinicArgs(back), 3);
  EXPECT_EQ(Listed(back, "P5").size(), 20u);
}

TEST(CliDesks, AReadingForAPatientDeletedAtAnotherDeskIsRefusedNotFiledAnywhere) {
  if (!ServerBookWanted()) GTEST_SKIP() << "needs the test server";
  CliSandbox front, back;
  back.ShareBookWith(front);
  front.AddPatient("Ann Lee", "A1");
  back.AddReading("A1", "2024-05-01 08:00", "120");
  ASSERT_EQ(front.Run({"--yes", "patient", "delete", "A1"}).status, 0);
  CliResult r = back.Run({"readings", "add", "A1", "--at", "2024-05-02 08:00", "--value", "130"});
  EXPECT_NE(r.status, 0);
  EXPECT_TRUE(front.Run({"patient", "list"}).Rows().empty());
  EXPECT_TRUE(Listed(back, "A1").empty());
}

}  // namespace
}  // namespace meridane::test
