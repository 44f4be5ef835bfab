#pragma once
// A throw-away data folder with a patient database, and the few writes the file tests need
// to set up patients, sections, readings and details.
#include <string>
#include <vector>

#include "store/reading_store.h"
#include "support/fixtures.h"

// Detail records are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane::test {

using Table = std::vector<std::vector<std::string>>;

class FilesFixture : public DataFolderTest {
 protected:
  void SetUp() override { UseFolder("home"); }

  // Switches the patient database to the data folder `name` below the test's root, so one
  // test can play two installations.
  void UseFolder(const std::string& name) {
    db_ = Database();
    dataFolder_.Switch(Path(name));
    db_ = FreshDatabase();
    ASSERT_TRUE(db_.ok()) << db_.error();
  }

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
    std::vector<std::string> v{name,  id,      medicalNo, "1980-02-03", "555-1", "1 Main St",
                               "1",   "a@b.c", meterSN,   timeUnit};
    for (char f : flags) v.emplace_back(1, f);
    Run(db_, "INSERT INTO Patient VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);", v);
    ASSERT_TRUE(EnsureReadingsTable(db_, id));
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

  Database db_;  // the current folder's patient database, kept open: keying costs time
};

}  // namespace meridane::test
