// What a careful tester does to the book from outside: case-variant IDs, a second program
// holding or taking the lock, a refused row in the middle of a download, damaged tables,
// impossible archive values, hostile output paths and the file permissions.
#include <sys/stat.h>  // umask

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "cli/cli_harness.h"
#include "support/meter_images.h"
#include "store/database.h"

namespace meridane::test {
namespace {

namespace fs = std::filesystem;

// Connections the test opens itself (Database::OpenFile) play "another program" on the file.
std::string Scalar(Database& db, const std::string& sql) {
  Statement st = db.Prepare(sql);
  return st.Step() ? st.Text(0) : std::string("<none>");
}

// A sandbox with patient A1 ("Ann") and two readings in 2024.
struct Book {
  CliSandbox box;
  Book() {
    box.AddPatient("Ann", "A1");
    box.AddReading("A1", "2024-03-01 08:00", "120");
    box.AddReading("A1", "2024-03-02 09:00", "130");
  }
  int Count(const std::string& id) {
    Database db = Database::OpenFile(box.databasePath());
    return std::stoi(Scalar(db, "SELECT count(*) FROM \"G" + id + "\";"));
  }
};

// ---- identity ----

TEST(CliIntegrity, IdsThatShareATableNameAreRefusedAsExisting) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  EXPECT_TRUE(Refused(b.box.Run({"--yes", "patient", "add", "--name", "Other", "--id", "a1"}),
                      "The ID exists."));
  // A book written before IDs were compared without case: deleting the variant keeps A1's.
  {
    Database db = Database::OpenFile(b.box.databasePath());
    ASSERT_TRUE(db.Exec("INSERT INTO Patient(fullName, IDNo) VALUES('Old', 'a1');"));
  }
  ASSERT_EQ(b.box.Run({"--yes", "patient", "delete", "a1"}).status, 0);
  EXPECT_EQ(b.Count("A1"), 2);
}

// ---- two programs at once ----

// Runs `args` while the test holds the write transaction `sql` begins (and fills), committed
// after 0.7 s: the command has to wait for it and then see what it wrote.
CliResult RunAgainstWriter(CliSandbox& box, const std::vector<std::string>& args,
                           const std::string& sql) {
  Database db = Database::OpenFile(box.databasePath());
  EXPECT_TRUE(db.Exec(sql));
  CliResult r;
  std::thread t([&] { r = box.Run(args); });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_TRUE(db.Exec("COMMIT;"));
  t.join();
  return r;
}

TEST(CliIntegrity, CommandsWaitForAnotherWriterAndNeverDoubleAReadingOrAnId) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  CliResult r = RunAgainstWriter(b.box, {"readings", "list", "A1"}, "BEGIN EXCLUSIVE;");
  EXPECT_EQ(r.Rows().size(), 2u) << r.err;
  // The other program files the same reading and holds its transaction open meanwhile.
  r = RunAgainstWriter(
      b.box, {"readings", "add", "A1", "--at", "2024-04-01 07:00", "--value", "99"},
      "BEGIN IMMEDIATE; INSERT INTO \"GA1\" VALUES(null, '2024-04-01 07:00:00', '99', '0', '-1');");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(b.Count("A1"), 3);

  r = RunAgainstWriter(
      b.box, {"--yes", "patient", "add", "--name", "Bea", "--id", "B7"},
      "BEGIN IMMEDIATE; INSERT INTO Patient(fullName, IDNo) VALUES('Bert', 'B7');");
  EXPECT_TRUE(Refused(r, "The ID exists."));
  Database db = Database::OpenFile(b.box.databasePath());
  EXPECT_EQ(Scalar(db, "SELECT count(*) FROM Patient WHERE IDNo='B7';"), "1");
}

TEST(CliIntegrity, ALockHeldTooLongStoresNothingAndSaysSo) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  Database db = Database::OpenFile(b.box.databasePath());
  ASSERT_TRUE(db.Exec("BEGIN IMMEDIATE;"));
  CliResult r = b.box.Run({"readings", "add", "A1", "--at", "2024-05-01 07:00", "--value", "98"});
  ASSERT_TRUE(db.Exec("COMMIT;"));
  EXPECT_TRUE(Refused(r, "locked"));
  EXPECT_EQ(b.Count("A1"), 2);
}

// ---- downloads filed whole ----

TEST(CliIntegrity, ARefusedRowFilesNoneOfTheDownload) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  b.box.AddPatient("Pat", "P5", {"--medical-no", "5"});
  {
    Database db = Database::OpenFile(b.box.databasePath());
    for (const char* t : {"GA1", "GP5"})
      ASSERT_TRUE(db.Exec(std::string("CREATE TRIGGER no_") + t + " BEFORE INSERT ON \"" + t +
                          "\" WHEN CAST(NEW.gluco AS INTEGER) = 133 BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
  }
  std::vector<MeterRecord> records;  // of medical record number 5; the third one is refused
  for (int h = 8; h <= 12; ++h) records.push_back(Rec(123 + h, 2024, 6, 1, h, 0, 0, 5));
  CliResult r = b.box.Run({"download", "--id", "A1", "--yes", "--meter-image",
                           b.box.WriteFile("p.bin", ImageText(records)), "--serial",
                           "MK72000001", "--no-pauses"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(b.Count("A1"), 2);

  r = b.box.Run({"clinic-download", "--meter-image", b.box.WriteFile("c.bin", ImageText(records, true)),
                 "--serial", "VXACLINIC1", "--no-pauses"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(b.Count("P5"), 0);
}

// ---- read failures are failures ----

// Overwrites the middle of the readings table's first page, as a bad sector would.
void DamageReadingsTable(const std::string& dbPath, const std::string& id) {
  int page = 0, size = 0;
  {
    Database db = Database::OpenFile(dbPath);
    page = std::stoi(Scalar(db, "SELECT rootpage FROM sqlite_master WHERE name='G" + id + "';"));
    size = std::stoi(Scalar(db, "PRAGMA page_size;"));
  }
  std::fstream f(dbPath, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(page - 1) * size + size / 2);
  const std::string junk(64, '\x5A');
  f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

TEST(CliIntegrity, ADamagedReadingsTableFailsEveryCommandThatReadsIt) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  const std::string old = b.box.WriteFile("old.db", "previous archive");
  DamageReadingsTable(b.box.databasePath(), "A1");
  const std::string csv = b.box.root() + "/a.csv", pdf = b.box.root() + "/a.pdf";
  const std::vector<std::vector<std::string>> commands{
      {"readings", "list", "A1"},
      {"report", "A1", "--type", "0", "--from", "2024-01-01", "--to", "2024-12-31"},
      WithYear({"export-csv", "--name", "Ann"}, csv),
      {"pdf", "A1", "--type", "7", "--from", "2024-01-01", "--to", "2024-12-31", pdf},
      WithYear({"archive", "--all"}, old),
  };
  for (const auto& c : commands) {
    CliResult r = b.box.Run(c);
    EXPECT_TRUE(r.status != 0 && !r.err.empty()) << c[0] << ": " << r.out;
  }
  EXPECT_FALSE(fs::exists(csv));
  EXPECT_FALSE(fs::exists(b.box.root() + "/a.PDF"));
  EXPECT_EQ(Slurp(old), "previous archive");
}

// ---- archives from elsewhere ----

TEST(CliIntegrity, AMergeSkipsImpossibleReadingsAndRefusesBrokenTables) {
  Book b;
  const std::string book = b.box.root() + "/book.db";
  b.box.Ok(WithYear({"archive", "--all"}, book));
  {
    Database a = Database::OpenFile(book);
    // Impossible values, and readings the archive holds twice: each is merged once.
    for (const char* bad : {"'2024-11-45 99:99:00', 100", "'2024-02-30 10:00:00', 100",
                            "'2024-06-01 10:00:00', '12x'", "'2024-06-01 11:00:00', 12.5",
                            "'2024-03-01 08:00:00', 120", "'2024-06-02 10:00:00', 140",
                            "'2024-06-02 10:00:00', 140"})
      ASSERT_TRUE(a.Exec(std::string("INSERT INTO \"GA1\"(glucoDate, gluco, meal, medicalNo) "
                                     "VALUES(") + bad + ", 0, -1);"));
  }
  CliSandbox clinic;
  CliResult r = clinic.Ok(WithYear({"import", "--name", "Ann"}, book));
  EXPECT_TRUE(Has(r.err, "skipped: 4")) << r.err;
  Rows rows = clinic.Run({"readings", "list", "A1"}).Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][1], "2024-03-01 08:00");
  EXPECT_EQ(rows[2][1], "2024-06-02 10:00");

  // A readings table without its meal column: the patient is not counted as merged.
  {
    Database a = Database::OpenFile(book);
    ASSERT_TRUE(a.Exec("DROP TABLE \"GA1\"; CREATE TABLE \"GA1\"(glucoDate DATETIME, gluco INTEGER);"
                       "INSERT INTO \"GA1\" VALUES('2024-07-01 08:00:00', 140);"));
  }
  CliSandbox third;
  r = third.Run(WithYear({"import", "--name", "Ann"}, book));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(third.Run({"patient", "list"}).Rows().empty());
}

TEST(CliIntegrity, AMergeRefusesCaseVariantAndMalformedPatientKeys) {
  Book b;
  const std::string book = b.box.root() + "/book.db";
  b.box.Ok(WithYear({"archive", "--all"}, book));
  {
    Database a = Database::OpenFile(book);
    ASSERT_TRUE(a.Exec("INSERT INTO Patient(fullName, IDNo) VALUES('Long', 'ABCDEFGHIJKLMN');"
                       "INSERT INTO Patient(fullName, IDNo) VALUES('Gone', NULL);"
                       "INSERT INTO Patient(fullName, IDNo) VALUES('Detail', 'lucoDetail');"));
  }
  CliSandbox clinic;
  clinic.AddPatient("Ada", "a1");
  // "G" + "lucoDetail" would name the file's detail table; a server has no table per patient.
  const bool server = ServerBookWanted();
  for (const char* name : {"Ann", "Long", "Gone", "Detail"}) {
    CliResult r = clinic.Run(WithYear({"import", "--name", name}, book));
    EXPECT_EQ(r.status, server && std::string(name) == "Detail" ? 0 : 1) << name << ": " << r.out;
  }
  Rows patients = clinic.Run({"patient", "list"}).Rows();
  ASSERT_EQ(patients.size(), server ? 2u : 1u);
  EXPECT_EQ(patients[0][0], "a1");
}

// ---- output files ----

// Nothing half-written is left beside the targets.
void ExpectNoPartFiles(const std::string& folder) {
  for (const auto& e : fs::directory_iterator(folder))
    EXPECT_FALSE(Has(e.path().filename().string(), ".part-")) << e.path();
}

TEST(CliIntegrity, OutputsNeverReplaceFoldersLinksOrTheDatabase) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  const std::string dir = b.box.root() + "/folder.db";
  fs::create_directory(dir);
  const std::string victim = b.box.WriteFile("victim.txt", "keep me");
  const std::string link = b.box.root() + "/link.csv";
  fs::create_symlink(victim, link);
  for (const std::string& target :
       {dir, link, b.box.databasePath() + "-journal", b.box.databasePath()}) {
    CliResult r = b.box.Run(WithYear({"export-csv", "--name", "Ann"}, target));
    EXPECT_TRUE(r.status == 1 && !r.err.empty()) << target << ": " << r.status;
  }
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(victim), "keep me");
  EXPECT_FALSE(fs::exists(b.box.databasePath() + "-journal"));
  EXPECT_EQ(b.Count("A1"), 2);
  ExpectNoPartFiles(b.box.root());
}

TEST(CliIntegrity, TheBookIsPrivateAndExportsFollowTheUmask) {
  MERIDANE_FILE_BOOK_ONLY();
  const mode_t old = umask(022);
  {
    CliSandbox box;
    fs::create_directories(box.dataDir());
    fs::permissions(box.dataDir(), fs::perms(0755));
    box.Ok({"init"});
    EXPECT_EQ(FileMode(box.dataDir()), 0700u);
    EXPECT_EQ(FileMode(box.databasePath()), 0600u);
    box.AddPatient("Ann", "A1");
    box.AddReading("A1", "2024-03-01 08:00", "120");
    EXPECT_EQ(FileMode(box.databasePath()), 0600u);

    umask(027);
    const std::string pdf = box.root() + "/r.pdf";
    box.Ok({"pdf", "A1", "--type", "0", "--from", "2024-03-01", "--to", "2024-03-31", pdf});
    EXPECT_EQ(FileMode(box.root() + "/r.PDF"), 0640u);
    const std::string csv = box.root() + "/r.csv";
    box.Ok(WithYear({"export-csv", "--name", "Ann"}, csv));
    EXPECT_EQ(FileMode(csv), 0640u);
  }
  umask(old);
}

TEST(CliIntegrity, AKilledRunLeavesAllOrNothing) {
  MERIDANE_FILE_BOOK_ONLY();
  Book b;
  std::string lines;
  std::set<std::string> distinct;
  for (int i = 0; i < 4000; ++i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "2025-%02d-%02d %02d:%02d\t%d\n", 1 + i / 400 % 12,
                  1 + i / 16 % 25, i / 4 % 24, i % 4 * 15, 40 + i % 500);
    lines += buf;
    distinct.insert(buf);
  }
  const int whole = 2 + static_cast<int>(distinct.size());
  const std::string file = b.box.WriteFile("batch.txt", lines);
  const std::string archive = b.box.WriteFile("old.db", "previous archive");
  for (int ms : {150, 400, 900}) {
    b.box.Run({"readings", "add", "A1", "--file", file}, "", ms);
    b.box.Run(WithYear({"archive", "--all"}, archive), "", ms / 3);
    Database db = Database::OpenFile(b.box.databasePath());
    EXPECT_EQ(Scalar(db, "PRAGMA integrity_check;"), "ok");
    const int n = b.Count("A1");
    EXPECT_TRUE(n == 2 || n == whole) << n;
    // The archive is the old file or a whole new one, never a part of one.
    const std::string text = Slurp(archive);
    if (text != "previous archive") {
      Database a = Database::OpenFile(archive);
      EXPECT_EQ(Scalar(a, "SELECT count(*) FROM Patient;"), "1");
    }
  }
  b.box.Ok(WithYear({"archive", "--all"}, archive));
  ExpectNoPartFiles(b.box.root());
}

TEST(CliIntegrity, InitFailsWhenTheSchemaCannotBeCreated) {
  MERIDANE_FILE_BOOK_ONLY();
  CliSandbox box;
  fs::create_directories(box.dataDir());
  {
    // A name the schema needs is taken by an index: that table cannot be created.
    Database db = Database::OpenFile(box.databasePath());
    ASSERT_TRUE(db.Exec("CREATE TABLE x(a); CREATE INDEX WorkingDateSchedule ON x(a);"));
  }
  CliResult r = box.Run({"init"});
  EXPECT_TRUE(r.status != 0 && !r.err.empty()) << r.status;
}

}  // namespace
}  // namespace meridane::test
