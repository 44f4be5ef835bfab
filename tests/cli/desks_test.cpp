// Two desks on one book on the clinic's server, each a meridane-cli of its own run at the same
// moment: a reading is filed once however the two interleave.
#include <cstdlib>
#include <thread>

#include "cli/cli_harness.h"
#include "store/database.h"
#include "support/meter_images.h"

namespace meridane::test {
namespace {

// `n` readings of May 2024 from `first` up, one an hour; on a clinic meter, records of medical
// record numbers 5 and 77 in turn.
std::vector<MeterRecord> May(int n, int first, bool clinic = false) {
  std::vector<MeterRecord> records;
  for (int i = 0; i < n; ++i)
    records.push_back(
        Rec(first + i, 2024, 5, 1 + i % 28, i % 24, 0, 0, !clinic ? 0 : i % 2 ? 5 : 77));
  return records;
}

// A download from an emulated meter holding `records`: a personal MK72 or a clinic VXA.
std::vector<std::string> MeterRun(const CliSandbox& desk, const std::vector<MeterRecord>& records,
                                  bool clinic = false) {
  return {clinic ? "clinic-download" : "download", "--meter-image",
          desk.WriteFile(clinic ? "c.bin" : "m.bin", ImageText(records, clinic)), "--serial",
          clinic ? "VXACLINIC1" : "MK72000001", "--no-pauses"};
}

// Runs `args` on both desks at once, `rounds` times; each run must succeed.
void AtOnce(const CliSandbox& a, const CliSandbox& b, const std::vector<std::string>& argsA,
            const std::vector<std::string>& argsB, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    CliResult ra, rb;
    std::thread ta([&] { ra = a.Run(argsA); });
    std::thread tb([&] { rb = b.Run(argsB); });
    ta.join();
    tb.join();
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
  }
}

TEST(CliDesks, TwoDesksDownloadingOneMeterAtOnceFileEachReadingOnce) {
  if (!ServerBookWanted()) GTEST_SKIP() << "needs the test server";
  CliSandbox front, back;
  back.ShareBookWith(front);
  front.AddPatient("Ann Lee", "A1", {"--meter-sn", "MK72000001"});
  front.AddPatient("Pat", "P5", {"--medical-no", "5"});

  AtOnce(front, back, MeterRun(front, May(60, 80)), MeterRun(back, May(60, 80)), 3);
  EXPECT_EQ(Listed(front, "A1").size(), 60u);
  EXPECT_EQ(Listed(back, "A1"), Listed(front, "A1"));

  // A clinic meter: the readings of medical record number 5 go to Pat, once.
  AtOnce(front, back, MeterRun(front, May(40, 90, true), true),
         MeterRun(back, May(40, 90, true), true), 3);
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

// A server of this test's own, taken away and brought back while the desk works.
class OwnServer {
 public:
  // A folder the cluster's own user can reach (the suite's temporary folders are private).
  OwnServer()
      : dir_("/tmp/meridane-test-pg-" + std::to_string(getpid()) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())) {
    ok_ = Cluster("start") == 0;
  }
  ~OwnServer() { Cluster("stop"); }
  bool ok() const { return ok_; }
  int Cluster(const std::string& action) const {
    const std::string cmd = std::string(MERIDANE_SOURCE_DIR) + "/scripts/pg-cluster.sh " + action +
                            " " + dir_ + " >/dev/null 2>&1";
    return std::system(cmd.c_str());
  }
  std::string Uri() const { return Slurp(dir_ + "/uri"); }

 private:
  std::string dir_;
  bool ok_ = false;
};

TEST(CliDesks, AServerGoneDuringWorkFailsWholeWithAClearMessageAndWorkGoesOnWhenItIsBack) {
  if (!ServerBookWanted()) GTEST_SKIP() << "needs the test server";
  OwnServer server;
  ASSERT_TRUE(server.ok());
  CliSandbox desk;
  std::string uri = server.Uri();
  while (!uri.empty() && uri.back() == '\n') uri.pop_back();
  desk.UseBook(uri);
  desk.AddPatient("Ann Lee", "A1", {"--meter-sn", "MK72000001"});
  const std::vector<std::string> dl = MeterRun(desk, May(30, 80));

  // Unreachable: the command says so and files nothing.
  ASSERT_EQ(server.Cluster("down"), 0);
  EXPECT_TRUE(Refused(desk.Run(dl), "Can't open database"));

  // Restarted while the download waits for another desk's write: it fails whole.
  ASSERT_EQ(server.Cluster("up"), 0);
  Database other = Database::OpenServer(uri);
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(other.Exec("BEGIN; SELECT pg_advisory_xact_lock(5872401);"));
  CliResult during;
  std::thread t([&] { during = desk.Run(dl); });
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_EQ(server.Cluster("restart"), 0);
  t.join();
  EXPECT_NE(during.status, 0);
  EXPECT_TRUE(Listed(desk, "A1").empty());

  // Back again: the next download files everything, once.
  EXPECT_EQ(desk.Ok(dl).Rows().at(1), (std::vector<std::string>{"inserted", "30"}));
  EXPECT_EQ(Listed(desk, "A1").size(), 30u);
}

}  // namespace
}  // namespace meridane::test
