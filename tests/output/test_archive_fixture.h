#pragma once
// A throw-away data folder with a patient database, and the few writes the file tests need
// to set up patients, sections, readings and details.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/data_paths.h"
#include "store/database.h"
#include "store/reading_store.h"
#include "store/schema.h"

// Detail records are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane::test {

class FilesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "meridane-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    UseFolder("home");
  }
  void TearDown() override {
    db_ = Database();
    SetDataFolderOverride("");
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // Switches the patient database to the data folder `name` below the test's root, so one
  // test can play two installations.
  void UseFolder(const std::string& name) {
    SetDataFolderOverride(root_ + "/" + name);
    db_ = OpenPatientDatabase();
    ASSERT_TRUE(db_.ok());
    CreateSchema(db_);
  }
  std::string Path(const std::string& file) const { return root_ + "/" + file; }

  // The IDNo of the (first) patient of that name; "" when there is none.
  std::string IdOf(const std::string& name) {
    Statement st = db_.Prepare("SELECT IDNo FROM Patient WHERE fullName=?;");
    st.Bind(1, name);
    return st.Step() ? st.Text(0) : std::string();
  }

  static void Run(Database& db, const std::string& sql, const std::vector<std::string>& values) {
    Statement st = db.Prepare(sql);
    for (size_t i = 0; i < values.size(); ++i) st.Bind(static_cast<int>(i + 1), values[i]);
    ASSERT_TRUE(st.Run()) << sql;
  }

  // A Patient row; `flags` are the eight flags after timeUnit (scheduleEnable …).
  void AddPatient(const std::string& name, const std::string& id, const std::string& timeUnit = "1",
                  const std::string& flags = "00000000", const std::string& meterSN = "SN1",
                  const std::string& medicalNo = "007") {
    Database& db = db_;
    std::vector<std::string> v{name,  id,      medicalNo, "1980-02-03", "555-1", "1 Main St",
                               "1",   "a@b.c", meterSN,   timeUnit};
    for (char f : flags) v.emplace_back(1, f);
    Run(db, "INSERT INTO Patient VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);", v);
    ASSERT_TRUE(EnsureReadingsTable(db, id));
  }

  void AddHealthRecord(const std::string& id, const std::string& glucoUnit) {
    Run(db_,
        "INSERT INTO HealthRecord VALUES(?,'1','2001-01-01','170.000000','70.000000','0','0',"
        "'130.000000','70.000000','180.000000','70.000000',?,'-1','-1','6.500000','120','80',"
        "'0','0','0','60');",
        {id, glucoUnit});
  }

  int AddReading(const std::string& id, const DateTime& at, int gluco, int meal = 0,
                 int medicalNo = 0) {
    return static_cast<int>(InsertReading(db_, id, at, gluco, meal, medicalNo));
  }

  void AddDetail(const std::string& id, int idx, GlucoDetailRecord d) {
    d.IDNo = id;
    d.idx = idx;
    ASSERT_TRUE(WriteDetail(db_, id, idx, d));
  }

  // Every row of a query as texts, for comparing whole tables.
  static std::vector<std::vector<std::string>> Rows(Database& db, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    Statement st = db.Prepare(sql);
    while (st.Step()) {
      std::vector<std::string> row;
      for (int c = 0; c < st.ColumnCount(); ++c) row.push_back(st.IsNull(c) ? "<null>" : st.Text(c));
      rows.push_back(std::move(row));
    }
    return rows;
  }
  std::vector<std::vector<std::string>> PatientRows(const std::string& sql) {
    return Rows(db_, sql);
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string root_;
  Database db_;  // the current folder's patient database, kept open: keying costs time
};

inline DateTime At(int y, int mo, int d, int h, int mi) { return {y, mo, d, h, mi}; }

}  // namespace meridane::test
