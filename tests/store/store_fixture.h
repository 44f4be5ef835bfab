#pragma once
// A throw-away data folder with a fresh schema, and the statement errors it produced.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/data_paths.h"
#include "store/database.h"
#include "store/schema.h"

namespace meridane::testing {

// Every value of the first column of a query, as text.
inline std::vector<std::string> Column(Database& db, const std::string& sql) {
  std::vector<std::string> out;
  Statement st = db.Prepare(sql);
  while (st.Step()) out.push_back(st.Text(0));
  return out;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("meridane-store-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    SetDataFolderOverride((folder_ / "MeridData_Pro").string());
    SetStatementErrorSink([this](const std::string& m) { errors.push_back(m); });
  }
  void TearDown() override {
    SetStatementErrorSink(nullptr);
    SetDataFolderOverride("");
    std::filesystem::remove_all(folder_);
  }

  // A keyed connection to a database that has the schema.
  Database Open() {
    Database db = OpenPatientDatabase();
    CreateSchema(db);
    return db;
  }

  std::filesystem::path folder_;
  std::vector<std::string> errors;
};

}  // namespace meridane::testing
