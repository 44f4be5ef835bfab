// book copy: a book moved onto a server (or another file) and back reads exactly as before;
// a target that holds anything, the source itself, and rows a server cannot hold are refused
// with nothing written.
#include "cli/cli_harness.h"
#include "store/database.h"

namespace meridane::test {
namespace {

// Where a copy goes in this run: an empty book on the test server, else a new file.
std::string MiddleBook(const CliSandbox& box, const std::string& name) {
  return ServerBookWanted() ? NewServerBookUri() : box.root() + "/" + name;
}

// What a user reads from a book: its patients, their readings and (`reports`) every report.
std::vector<std::string> WhatTheBookShows(const CliSandbox& box, const std::string& book,
                                          bool reports = true) {
  std::vector<std::string> shown{box.Ok({"--book", book, "patient", "list"}).out};
  for (const auto& row : box.Ok({"--book", book, "patient", "list"}).Rows()) {
    shown.push_back(box.Ok({"--book", book, "readings", "list", row[0]}).out);
    for (const char* type : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "11"}) {
      if (!reports) break;
      const CliResult r =
          box.Run({"--book", book, "report", row[0], "--type", type, "--latest", "60", "--json"});
      shown.push_back(std::to_string(r.status) + r.out + r.err);
    }
  }
  return shown;
}

TEST(CliBookCopy, DemoBookThereAndBackShowsTheSame) {
  CliSandbox box;
  const std::string original = box.root() + "/desk.db", back = box.root() + "/back.db";
  box.Ok({"--book", original, "demo"});
  const std::string middle = MiddleBook(box, "middle.db");
  const CliResult there = box.Ok({"book", "copy", "--from", original, "--to", middle});
  const CliResult home = box.Ok({"book", "copy", "--from", middle, "--to", back});
  ASSERT_EQ(there.Rows().size(), 4u) << there.out;
  EXPECT_EQ(there.Rows()[0], (std::vector<std::string>{"patients", "3"}));
  EXPECT_EQ(there.out, home.out);  // the same counts and checksum both ways

  const std::vector<std::string> shown = WhatTheBookShows(box, original);
  EXPECT_EQ(WhatTheBookShows(box, middle), shown);
  EXPECT_EQ(WhatTheBookShows(box, back), shown);

  // New readings in the copy take an idx after the copied ones (so no detail is misfiled).
  for (const std::string& book : {middle, back}) {
    const std::vector<std::string> list{"--book", book, "readings", "list", "DEMO-001"};
    const size_t before = box.Ok(list).Rows().size();
    box.Ok({"--book", book, "readings", "add", "DEMO-001", "--at", "2020-02-02 08:00", "--value",
            "111"});
    EXPECT_EQ(box.Ok(list).Rows().size(), before + 1) << book;
  }
}

// A source book file with patients P1, P2 (one reading each) and then `sql` run on it.
std::string SourceBook(const CliSandbox& box, const std::vector<std::string>& sql) {
  const std::string path = box.root() + "/source.db";
  for (const char* id : {"P1", "P2"}) {
    box.Ok({"--book", path, "--yes", "patient", "add", "--name", std::string("Pat ") + id, "--id",
            id});
    box.Ok({"--book", path, "readings", "add", id, "--at", "2024-03-01 08:00", "--value", "120"});
  }
  Database db = Database::OpenFile(path);
  for (const std::string& s : sql) EXPECT_TRUE(db.Exec(s)) << s;
  return path;
}

TEST(CliBookCopy, RefusalsWriteNothing) {
  const std::string twice = R"(INSERT INTO "GP1" VALUES(null, '2024-03-01 08:00:00', 120, 0, 0))";
  struct Case {
    const char* what;
    bool serverOnly;
    int status;
    std::string err;               // a part of stderr
    std::vector<std::string> sql;  // on the source
  } cases[] = {
      {"a reading twice", true, 1,
       "Patient P1: 1 readings stored twice (the same date and time and value)", {twice}},
      {"a date that does not read", true, 1,
       "Patient P2: 1 readings whose date and time or value does not read",
       {R"(INSERT INTO "GP2" VALUES(null, 'soon', 99, 0, 0))"}},
      {"a reading twice, into a file", false, 0, "", {twice}},
      // Separators and NULLs in the rows sent: the checksums after the copy must agree.
      {"texts with tabs, line ends and backslashes", true, 0, "",
       {"UPDATE Patient SET address = 'a\tb\nc\rd\\e', phone = NULL WHERE IDNo = 'P1'"}},
      {"two patients, one ID", false, 1, "2 patients share one ID number: P1, p1.",
       {"INSERT INTO Patient(fullName, IDNo) VALUES('Other', 'p1')"}},
      {"details of no patient", false, 0, "GlucoDetail: 1 rows of no patient were left behind.",
       {"INSERT INTO GlucoDetail(IDNo, idx, carbs) VALUES('gone', 1, 40)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.serverOnly && !ServerBookWanted()) continue;
    CliSandbox box;
    const std::string source = SourceBook(box, c.sql);
    const std::string target = c.serverOnly ? NewServerBookUri() : box.root() + "/copy.db";
    const CliResult r = box.Run({"book", "copy", "--from", source, "--to", target});
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(Has(r.err, c.err)) << r.err;
    if (c.status != 0) {
      if (c.serverOnly)
        EXPECT_EQ(box.Ok({"--book", target, "patient", "list"}).out, "");
      else
        EXPECT_FALSE(std::filesystem::exists(target));  // the file made for it is gone
    } else {
      EXPECT_EQ(WhatTheBookShows(box, target, false), WhatTheBookShows(box, source, false));
    }
  }
}

TEST(CliBookCopy, RefusesAFullTargetTheSourceItselfAndAMissingSource) {
  CliSandbox box;
  const std::string source = SourceBook(box, {});
  const std::string full = MiddleBook(box, "full.db");
  box.Ok({"--book", full, "--yes", "patient", "add", "--name", "Kept", "--id", "K1"});
  const std::string missing = box.root() + "/missing.db", made = box.root() + "/made.db";
  const struct {
    std::string from, to, err;
  } cases[] = {
      {source, full, "already holds 1 patients"},
      {source, source, "the source and the target are the same book"},
      {missing, made, "cannot be opened (no such file)"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Refused(box.Run({"book", "copy", "--from", c.from, "--to", c.to}), c.err));
  }
  EXPECT_EQ(box.Ok({"--book", full, "patient", "list"}).Rows().size(), 1u);
  EXPECT_EQ(box.Ok({"--book", source, "patient", "list"}).Rows().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(made));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace meridane::test
