#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>

#include "store/database.h"
#include "support/fixtures.h"

namespace meridane::test {
namespace {

using StatementErrorsTest = BookTest;

// A failing statement tells the call that ran it and its own connection, never another
// connection of the same book (in this thread or another one); an empty result is no failure.
TEST_F(StatementErrorsTest, FailuresStayWithTheFailingCallAndItsConnection) {
  Sql("CREATE TABLE errtest (v INTEGER CHECK (v < 10));");
  Database other = FreshDatabase();
  ASSERT_TRUE(other.ok());
  struct Case {
    const char* name;
    const char* sql;
    bool exec;  // through Exec; otherwise prepared and stepped
  } const cases[] = {
      {"no such table", "SELECT v FROM no_such_table;", false},
      {"refused while stepping", "INSERT INTO errtest VALUES(20) RETURNING v;", false},
      {"refused by Exec", "INSERT INTO errtest VALUES(30);", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t before = db_.failureCount();
    FailureWatch watch(db_);
    if (c.exec) {
      EXPECT_FALSE(db_.Exec(c.sql));
    } else {
      Statement st = db_.Prepare(c.sql);
      Statement moved = std::move(st);  // still counts against its connection
      EXPECT_FALSE(moved.Step());
      EXPECT_TRUE(moved.failed());
      EXPECT_EQ(moved.error(), db_.lastError());
    }
    EXPECT_EQ(db_.failureCount(), before + 1);
    EXPECT_FALSE(db_.lastError().empty());
    EXPECT_EQ(watch.error(), db_.lastError());

    Statement none = other.Prepare("SELECT v FROM errtest;");
    EXPECT_FALSE(none.Step() || none.failed() || other.failed());
  }
  EXPECT_EQ(sqlErrors_.list, db_.errors()) << "each failure was told as it happened";

  // A connection in another thread fails on its own while this one reads.
  uint64_t thereFailures = 0;
  std::thread desk([&] {
    Database there = FreshDatabase();
    there.Exec("INSERT INTO errtest VALUES(40);");
    thereFailures = there.failureCount();
  });
  FailureWatch here(db_);
  Statement rows = db_.Prepare("SELECT count(*) FROM errtest;");
  EXPECT_TRUE(rows.Step());
  desk.join();
  EXPECT_EQ(thereFailures, 1u);
  EXPECT_FALSE(here.failed() || rows.failed() || other.failed());
}

}  // namespace
}  // namespace meridane::test
