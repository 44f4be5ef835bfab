// Downloads through the window with the meter emulator and no pauses: the single-patient
// download from the patient page (existing patient, a new one through the patient form,
// an empty meter, a cancel mid-read), the clinic download filed when its page is left, and
// the progress dialog's own keys.
#include "gui/download/clinic_pages.h"
#include "gui/download/progress_gif.h"
#include "gui/download/window_downloads.h"
#include "gui_fixture.h"
#include "meter/emulator/emulated_backends.h"
#include "support/meter_images.h"

// Fault sets are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace meridane;

namespace {

constexpr const char* kSerial = "MK72000001";
const std::string kCheckMode =
    "Please make sure the meter has switched to the communication mode "
    "and correctly connected to your computer.";

// Answers the page-leave question with Yes without recording it: these tests look at what
// the downloads ask and show.
class DownloadPrompter : public ScriptedPrompter {
 public:
  PromptAnswer Ask(const PromptRequest& r) override {
    if (r.text == "Do you want to save data and leave this page?") return PromptAnswer::Yes;
    return ScriptedPrompter::Ask(r);
  }
};

std::vector<std::uint8_t> Personal(int n) { return test::SampleImage(kPersonalMeterType, n); }

// The stored readings of one patient as "YYYY-MM-DD HH:MM value".
QStringList Stored(const std::string& id) {
  QStringList out;
  for (const GlucoReading& r : test::StoredReadings(id))
    out << QString::asprintf("%04d-%02d-%02d %02d:%02d %d", r.at.year, r.at.month, r.at.day,
                             r.at.hour, r.at.minute, r.gluco);
  return out;
}

// A window whose downloads read one emulated meter without pauses, and the steps that take
// it from the home page to a page result.
struct Window {
  test::DataFolder folder;
  DownloadPrompter prompter;
  test::PageScript script;
  test::NoSleep noSleep;
  std::unique_ptr<EmulatedMeter> meter;
  CMeridDemoXDlg w{prompter, {1280, 1024, 96}, script.Runner()};

  Window() { w.Initialise(); }
  void Attach(LinkKind kind, std::vector<std::uint8_t> image, EmulatorFaults faults = {},
              const char* serial = kSerial) {
    meter = MakeEmulatedMeter(kind, std::move(image), serial, faults);
    w.downloads().SetMeterAccess({&meter->hid, &meter->serial, &noSleep});
  }
  // Home → management mode → the patient page's action, then the pages that follows.
  void Choose(int mode, std::function<void(CPatientMain&)> act, test::PageScript::Step next = {}) {
    script.ThenPatientPage(mode, std::move(act));
    if (next) script.Then(std::move(next));
    w.OnHome();
  }
  // "Download" with `id`; `form` acts on the patient form when one opens.
  void Download(const char* id = "", test::PageScript::Step form = {}) {
    auto download = [id](CPatientMain& p) {
      p.idEntry()->setText(id);
      p.OnDownload();
    };
    Choose(kIndividual, download, std::move(form));
  }
};

}  // namespace

class DownloadTest : public QObject {
  Q_OBJECT
 private slots:
  void existingPatientGetsTheNewReadingsOnce() {
    Window t;
    test::AddPatient("Ann Lee", "A1", "", kSerial);
    t.Attach(LinkKind::MK72, Personal(30));
    t.Download();  // no ID: the meter's serial finds the patient
    QCOMPARE(t.w.state().current.IDNo, std::string("A1"));
    QCOMPARE(Stored("A1").size(), 30);

    // Again, with the ID given: nothing doubles; the session kept the meter's serial.
    t.prompter.Clear();
    t.Download("A1");
    QCOMPARE(Stored("A1").size(), 30);
    QCOMPARE(t.w.downloads().session().serial.Text(), std::string(kSerial));
  }

  void unknownSerialOpensTheFormWithTheSerial() {
    // Yes and a saved form file the readings; Cancel to the question opens no form and
    // stores nothing (a form closed unsaved is the core's case).
    for (auto [cancel, save] : {std::pair{false, true}, {true, false}}) {
      Window t;
      t.Attach(LinkKind::MK72, Personal(5));
      if (cancel) t.prompter.Push(PromptAnswer::Cancel);
      QString shownSerial;
      t.Download("", [&, save = save](QDialog& d) {
        shownSerial = static_cast<CAddEdit&>(d).fields().meterSN->text();
        return save ? test::PageScript::SaveForm("Bo New", "B7")(d) : int(QDialog::Rejected);
      });
      QCOMPARE(t.prompter.texts().front(),
               "This serial number doesn't exist. Please maintain the user profile.");
      QCOMPARE(shownSerial, cancel ? QString() : QString(kSerial));
      QCOMPARE(Stored("B7").size(), save ? 5 : 0);
      QCOMPARE(int(t.w.state().readings.count()), save ? 5 : 0);
    }
  }

  void emptyMeterAndCancelMidReadStoreNothing() {
    Window t;
    test::AddPatient("Ann Lee", "A1", "", kSerial);
    t.Attach(LinkKind::MK72, Personal(0));
    t.Download();
    QCOMPARE(t.prompter.texts(), Texts{"No records in the meter."});
    QVERIFY(Stored("A1").isEmpty());
    t.prompter.Clear();
    // Block 3 never becomes ready: the read waits there until the user cancels.
    t.Attach(LinkKind::MK72, Personal(60), EmulatorFaults{.stopFromBlock = 3});
    QString progressText;
    QTimer driver;
    connect(&driver, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<CProgressGIF*>(QApplication::activeModalWidget());
      // Cancelled once the dialog shows how far the read has come.
      if (!dialog || dialog->cancelRequested() ||
          !dialog->statusLabel()->text().startsWith("Records read: "))
        return;
      progressText = dialog->statusLabel()->text();
      QTimer::singleShot(0, dialog->cancelButton(), &QPushButton::click);
    });
    driver.start(5);
    t.Download();
    driver.stop();
    QVERIFY2(progressText.endsWith(" of 60"), qPrintable(progressText));
    QCOMPARE(t.prompter.texts(), Texts{kCheckMode});
    QVERIFY(Stored("A1").isEmpty());
    // The window is usable: the next download from a working meter files everything.
    t.prompter.Clear();
    t.Attach(LinkKind::MK72, Personal(60));
    t.Download("A1");
    QCOMPARE(Stored("A1").size(), 60);
  }

  void escapeAndTheCloseBoxCancelTheRead() {
    test::DataFolder folder;
    test::NoSleep noSleep;
    auto meter = MakeEmulatedMeter(LinkKind::MK72, Personal(60), kSerial,
                                   EmulatorFaults{.stopFromBlock = 2});
    DownloadSession session({&meter->hid, &meter->serial, &noSleep});
    DownloadFinishedRelay relay;
    relay.Attach(session);
    for (bool escape : {true, false}) {
      ReadingTable table;
      session.Start(DownloadMode::SinglePatient, table);
      CProgressGIF dialog(session, &relay);
      dialog.show();
      if (escape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
      else
        dialog.close();
      QVERIFY(dialog.isVisible());  // stays until the worker has ended
      QVERIFY(dialog.cancelRequested() && !dialog.cancelButton()->isEnabled());
      QTRY_VERIFY(!dialog.isVisible());  // closed by the worker's notice
      QCOMPARE(session.Join(), kDownloadNoAnswer);
      QCOMPARE(int(table.count()), 0);
    }
  }

  void clinicReadingsAreFiledOnLeavingAndOnlyOnce() {
    Window t;
    test::AddPatient("Ann Lee", "A1", "5");
    test::AddPatient("Bo Chen", "B2", "12");
    const std::vector<MeterRecord> readings{{650, 2024, 6, 1, 8, 0, 0, 5, false},
                                            {99, 2024, 6, 1, 9, 0, 0, 77, false},
                                            {120, 2024, 6, 1, 13, 5, 1, 12, false},
                                            {100, 2024, 6, 1, 10, 0, 0, 5, true},
                                            {15, 2024, 6, 2, 7, 30, 0, 5, false}};
    t.Attach(LinkKind::VXA, test::ImageOf(readings, true));
    for (int run = 0; run < 2; ++run) {
      t.Choose(kMultiple, [](CPatientMain& p) { p.OnDownloadData(); });
      QVERIFY(Stored("A1").size() == (run == 0 ? 0 : 2));  // nothing filed before leaving
      // The void reading left out; the rows' texts are the core's (tests/download).
      auto* page = qobject_cast<CMultipleDownloadPage*>(t.w.areaPage(kAreaClinic));
      QVERIFY(page && t.w.reportArea() == kAreaClinic);
      QCOMPARE(page->grid()->model()->rowCount(), 4);
      QCOMPARE(int(t.w.state().multipleDownloadRows.size()), 4);  // what Save PDF and Print use
    }
    t.prompter.Clear();
    t.Choose(kIndividual, [](CPatientMain&) {});  // leaves the page: no question
    QVERIFY(t.prompter.asked().empty());
    QCOMPARE(Stored("A1"), (QStringList{"2024-06-01 08:00 650", "2024-06-02 07:30 15"}));
    QCOMPARE(Stored("B2"), (QStringList{"2024-06-01 13:05 120"}));
  }

  void quickViewOfChosenPatients() {
    // Which patients each choice takes is the core's (tests/reports); the page hands over
    // its checks, keeps the rows Save PDF and Print use, and keeps the checks for next time.
    Window t;
    for (auto [name, id] : {std::pair{"Ann Lee", "A1"}, {"Bo Chen", "B2"}, {"Cy Dunn", "C3"}})
      test::AddPatient(name, id);
    {
      Database db = OpenPatientDatabase();
      for (int hour : {8, 9}) InsertReading(db, "A1", {2024, 6, 1, hour, 0}, 150, 0, 0);
    }
    t.w.state().fixedToday = Date{2024, 6, 3};
    t.Choose(kMultiple, [](CPatientMain& p) { p.OnQuickView(); });
    auto* page = qobject_cast<CQuickViewPage*>(t.w.areaPage(kAreaQuickView));
    QVERIFY(page && t.w.reportArea() == kAreaQuickView);
    auto names = [&] {
      QStringList out;
      for (const GridRow& row : page->grid()->grid().rows)
        out << QString::fromStdString(row[0].text + " " + row[1].text);
      return out;
    };
    QVERIFY(names().isEmpty());  // nothing checked yet
    page->from()->setDate(QDate(2024, 5, 20));
    page->to()->setDate(QDate(2024, 6, 3));
    for (const char* name : {"Ann Lee", "Cy Dunn"}) page->SetChecked(name, true);
    page->OnView();
    QCOMPARE(names(), (QStringList{"Ann Lee 2", "Cy Dunn 0"}));
    QCOMPARE(t.w.state().quickView.rows.size(), size_t(2));
    t.w.OnReport();
    QCOMPARE(names().size(), 2);
  }

  void leavingTheProgramWithYesFilesTheClinicReadings() {
    for (bool yes : {true, false}) {
      Window t;
      test::AddPatient("Ann Lee", "A1", "5");
      t.Attach(LinkKind::VXA, test::ImageOf({{140, 2024, 6, 1, 8, 0, 0, 5, false}}, true));
      t.Choose(kMultiple, [](CPatientMain& p) { p.OnDownloadData(); });
      t.prompter.Clear();
      t.prompter.Push(yes ? PromptAnswer::Yes : PromptAnswer::No);
      t.w.close();
      QCOMPARE(t.prompter.texts(), Texts{"Do you want to save data and leave Meridane?"});
      QCOMPARE(Stored("A1").size(), yes ? 1 : 0);
    }
  }
};

MERIDANE_GUI_TEST(DownloadTest)

#include "download_test.moc"
