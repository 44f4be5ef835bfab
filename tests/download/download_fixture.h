#pragma once
// Whole downloads against the meter emulator and a throw-away patient database.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "download/clinic_download.h"
#include "meter/emulator/emulated_backends.h"
#include "store/patient_store.h"
#include "store/reading_store.h"
#include "support/fixtures.h"
#include "support/meter_images.h"

// Fault sets are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane::test {

struct StoredRow {
  std::string glucoDate;
  int gluco, meal, medicalNo;
  bool operator==(const StoredRow&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const StoredRow& r) {
    return os << r.glucoDate << " " << r.gluco << " meal " << r.meal << " no " << r.medicalNo;
  }
};

class DownloadTest : public BookTest {
 protected:
  DownloadTest() {
    hooks.prompter = &prompter;
    hooks.wait = WaitPlainly;
    // The patient form: saves newPatientId when set, else is closed without saving.
    hooks.createPatient = [this](const std::string& serial, CPatientProfile& cur) {
      formSerials.push_back(serial);
      if (newPatientId.empty()) return;
      AddPatient(newPatientId, "New Patient", "", serial);
      LoadPatient(db, newPatientId, cur);
    };
  }
  void TearDown() override { session.reset(); }
  // The worker waited for as the window does, a tick at a time.
  static void WaitPlainly(DownloadSession& s) {
    RealSleeper tick;
    WaitForDownload(s, 1, tick);
  }

  void AddPatient(const std::string& id, const std::string& name, const std::string& medicalNo,
                  const std::string& meterSN) {
    ASSERT_TRUE(AddPatientByForm(db, name, id, medicalNo, meterSN)) << id;
  }

  // Attaches one emulated meter in place of whatever was attached.
  void Attach(LinkKind kind, std::vector<std::uint8_t> image, const std::string& serial,
              EmulatorFaults faults = {}) {
    meter = MakeEmulatedMeter(kind, std::move(image), serial, faults);
    Use(&meter->hid, &meter->serial);
  }
  // Null backends are the system's; the session and the serial it last read are kept.
  void Use(HidBackend* hid, SerialBackend* serial) {
    MeterAccess access{hid, serial, &sleeper};
    if (!session) session = std::make_unique<DownloadSession>(access);
    session->SetAccess(access);
  }

  DownloadReport Download() {
    return RunSinglePatientDownload(*session, hooks, db, current, table);
  }

  std::vector<StoredRow> Stored(const std::string& id) {
    std::vector<StoredRow> rows;
    if (!db.TableExists(ReadingsTableName(id))) return rows;
    Statement st = db.Prepare("SELECT glucoDate, gluco, meal, medicalNo FROM " +
                              QuotedReadingsTable(id) + " ORDER BY idx;");
    while (st.Step()) rows.push_back({st.Text(0), int(st.Int(1)), int(st.Int(2)), int(st.Int(3))});
    return rows;
  }

  Database& db = db_;
  std::vector<std::string>& sqlErrors = sqlErrors_.list;
  NoSleep sleeper;
  std::unique_ptr<EmulatedMeter> meter;
  std::unique_ptr<DownloadSession> session;
  ScriptedPrompter prompter;
  DownloadHooks hooks;
  CPatientProfile current;
  ReadingTable table;
  std::string newPatientId;
  std::vector<std::string> formSerials;
};

}  // namespace meridane::test
