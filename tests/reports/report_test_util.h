#pragma once
// Small builders shared by the report tests: readings, patients and a scratch database.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "store/database.h"
#include "reading_builder.h"
#include "store/gluco_reading.h"
#include "store/patient_profile.h"
#include "store/schema.h"

namespace meridane::test {

inline DateTime At(int y, int mo, int d, int h = 12, int mi = 0) { return {y, mo, d, h, mi}; }

// A database file in a fresh folder, with the program's schema; removed afterwards.
class ScratchDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("meridane-reports-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    db_ = Database::OpenFile((dir_ / "Patients.db").string());
    ASSERT_TRUE(db_.ok()) << db_.error();
    CreateSchema(db_);
  }
  void TearDown() override {
    db_ = Database();
    std::filesystem::remove_all(dir_);
  }
  void Sql(const std::string& sql) { ASSERT_TRUE(db_.Exec(sql)) << sql; }

  std::filesystem::path dir_;
  Database db_;
};

}  // namespace meridane::test
