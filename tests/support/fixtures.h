#pragma once
// GoogleTest fixtures over the shared test pieces.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/data_paths.h"
#include "store/schema.h"
#include "support/book.h"
#include "support/temp_folder.h"

namespace meridane::test {

// A test with a data folder of its own (<temporary folder>/MeridData_Pro, not made yet) that
// collects the statement errors it provokes. `Base` may be a parameterised test.
template <class Base = ::testing::Test>
class DataFolderFixture : public Base {
 protected:
  std::string Path(const std::string& name) const { return tmp_.Path(name); }

  TempFolder tmp_;
  DataFolderOverride dataFolder_{tmp_.Path("MeridData_Pro")};
  StatementErrors sqlErrors_;
};
using DataFolderTest = DataFolderFixture<>;

// The same with the patient database made and kept open: keying costs time.
class BookTest : public DataFolderTest {
 protected:
  void SetUp() override { ASSERT_TRUE(db_.ok()) << db_.error(); }
  void Sql(const std::string& sql) { ASSERT_TRUE(db_.Exec(sql)) << sql; }

  Database db_ = FreshDatabase();
};

}  // namespace meridane::test
