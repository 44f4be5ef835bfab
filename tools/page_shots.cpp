// Shows one page of the window with a demo patient, for screenshots under Xvfb:
//   gui_page_shots home|patients|form|main|savepdf:ID|progress|clinic|quickview|editor0..editor5|
//                  detail0..detail4|io0..io3|preview|reportT:ID DATA_DIR
// (detail1 shows a refused bolus with its note; reportT:ID opens the patient ID, made by
// `meridane-cli demo`, on report type T; "progress" downloads a full emulated meter with its
// real pauses, so the progress dialog stays up for about a minute)
//   gui_page_shots printlog DATA_DIR OUT.pdf   (the demo log book printed into a PDF file)
// With MERIDANE_SHOT_MAXIMISED=1 the page fills the screen.
#include <QTimer>
#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTranslator>
#include <cstring>
#include <functional>
#include <memory>
#include <tuple>

#include "base/data_paths.h"
#include "base/language_choice.h"
#include "gui/main/gui_support.h"
#include "gui/main/main_window.h"
#include "gui/main/patient_main.h"
#include "gui/main/welcome.h"
#include "download/download_worker.h"
#include "gui/download/clinic_pages.h"
#include "gui/download/window_downloads.h"
#include "meter/emulator/emulated_backends.h"
#include "meter/meter_image.h"
#include "gui/output/io_file.h"
#include <QComboBox>
#include <cstdlib>
#include "gui/output/report_output.h"
#include "gui/widgets/profile_view.h"
#include "reports/classification.h"
#include "store/reading_store.h"
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTabBar>
#include <QTreeWidget>
#include "gui/profile/advance.h"
#include "gui/reports/rd_pages.h"
#include "gui/reports/record_detail.h"
#include "gui/patients/add_edit.h"
#include "store/schema.h"

using namespace meridane;

namespace {

CPatientProfile DemoPatient() {
  CPatientProfile p;
  p.fullName = "Ann Lee";
  p.IDNo = "A1001";
  p.medicalNo = "007";
  p.birth = {1962, 4, 18};
  p.phone = "555-0101";
  p.address = "12 O'Brien Street, Springfield";
  p.gender = 1;
  p.email = "ann@example.org";
  p.meterSN = "TR3500123";
  p.medications.insulin = 2 | 16;
  p.medications.oral = 2;
  p.regimens.activeRegimen = 1;
  p.regimens.regimen[1].doses[0] = {8, "Rapid"};
  p.complications.complications = 1 | 256;
  p.healthRecord.preMealLow = 70;
  p.healthRecord.preMealHigh = 130;
  p.healthRecord.postMealLow = 70;
  p.healthRecord.postMealHigh = 180;
  p.healthRecord.hight = 165;
  p.healthRecord.weight = 62;
  p.healthRecord.hbA1C = 6.8;
  p.inquiry.comment = "Quarterly visit";
  return p;
}

// Home, the management mode, then the patient page's action.
PageRunner PageAction(int mode, std::function<void(CPatientMain&)> act) {
  return [mode, act](QDialog& d) {
    if (auto* home = qobject_cast<CWelcome*>(&d)) {
      home->OnManagement(mode);
      return home->result();
    }
    if (auto* p = qobject_cast<CPatientMain*>(&d)) {
      act(*p);
      return p->result();
    }
    return 0;
  };
}

// Individual management: the demo patient's report or download.
PageRunner DemoPatientAction(bool download) {
  return PageAction(kIndividual, [download](CPatientMain& p) {
    p.findChild<QLineEdit*>()->setText(QStringLiteral("A1001"));
    download ? p.OnDownload() : p.OnViewReport();
  });
}

// Multiple management: "Download Data" or "Quick View".
PageRunner ClinicAction(bool download) {
  return PageAction(kMultiple,
                    [download](CPatientMain& p) { download ? p.OnDownloadData() : p.OnQuickView(); });
}

// A clinic meter's image: readings of three patients over the last ten days, two of a
// record number nobody has.
std::vector<std::uint8_t> ClinicImage() {
  const int numbers[] = {7, 12, 13, 7, 12, 99};
  std::vector<std::vector<std::uint8_t>> records;
  for (int i = 0; i < 34; ++i) {
    const Date day = AddDays(Today(), -9 + i / 4);
    const int no = numbers[i % 6] == 99 && i > 12 ? 13 : numbers[i % 6];
    records.push_back(EncodeClinicRecord({60 + (i * 37) % 220, day.year, day.month, day.day,
                                          7 + (i * 5) % 14, (i * 17) % 60, i % 3 == 0, no, false}));
  }
  return BuildMeterImage(kClinicMeterType, records);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setFont(UiFont(9, QFont::Normal));
  // The desktop's language, as the program takes it: LANG=de_DE.UTF-8 scripts/screenshots.sh
  // shows the German window.
  const std::string language = UseLanguage("").code;
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_") + QString::fromStdString(language),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexts);
  if (argc < 3) return 2;
  const std::string page = argv[1];
  SetDataFolderOverride(argv[2]);
  ScriptedPrompter prompter;
  {
    Database db = OpenPatientDatabase();
    CreateSchema(db);
    if (!PatientIdExists(db, "A1001")) {
      PatientFormValues v{"Ann Lee", "A1001", "7", {1962, 4, 18}, "555-0101",
                          "12 O'Brien Street", 1, "ann@example.org", "TR3500123"};
      CPatientProfile cur;
      SavePatientForm(db, prompter, v, false, {}, cur);
      for (const auto& [name, id, no] : {std::tuple{"Bo Chen", "B1002", "12"},
                                         std::tuple{"Cy Dunn", "C1003", "13"}}) {
        PatientFormValues c;
        c.fullName = name, c.IDNo = id, c.medicalNo = no, c.birth = {1970, 1, 2};
        SavePatientForm(db, prompter, c, false, {}, cur);
      }
      // A month of readings, four a day, for the report and print pictures.
      const int times[4][2] = {{7, 30}, {10, 0}, {18, 45}, {22, 10}};
      const int meals[4] = {1, 2, 6, 7};
      for (int d = 1; d <= 30; ++d)
        for (int k = 0; k < 4; ++k)
          InsertReading(db, "A1001", {2026, 11, d, times[k][0], times[k][1]},
                        90 + (d * 37 + k * 53) % 160, meals[k] * 256, 0);
    }
  }
  ScreenMetrics screen;
  if (QScreen* s = QGuiApplication::primaryScreen())
    screen = {s->geometry().width(), s->geometry().height(), qRound(s->logicalDotsPerInchX())};

  AppState state;
  state.current = DemoPatient();
  ProfileEditorState editor;
  std::unique_ptr<QWidget> w;
  PageRunner none = [](QDialog&) { return 0; };
  if (page == "home") {
    w = std::make_unique<CWelcome>(state, prompter, none, screen);
  } else if (page == "patients") {
    auto p = std::make_unique<CPatientMain>(kIndividual, state, prompter, none, screen);
    w = std::move(p);
  } else if (page.rfind("report", 0) == 0 || page.rfind("savepdf", 0) == 0) {
    const bool save = page.rfind("savepdf", 0) == 0;
    const int type = save ? 0 : std::atoi(page.c_str() + 6);
    const QString id = QString::fromStdString(page.substr(page.find(':') + 1));
    PageRunner choose = [id](QDialog& d) {
      if (auto* home = qobject_cast<CWelcome*>(&d)) {
        home->OnManagement(kIndividual);
        return home->result();
      }
      if (auto* p = qobject_cast<CPatientMain*>(&d)) {
        p->findChild<QLineEdit*>()->setText(id);
        p->OnViewReport();
        return p->result();
      }
      return 0;
    };
    auto m = std::make_unique<CMeridDemoXDlg>(prompter, screen, choose);
    m->Initialise();
    m->state().reportType = type;
    m->EnterHomePage();
    for (const std::string& t : prompter.texts()) fprintf(stderr, "asked: %s\n", t.c_str());
    // "savepdf": the Save PDF dialog over the log book, where a user's click opens it.
    if (save) QTimer::singleShot(300, m.get(), &CMeridDemoXDlg::OnSavePdf);
    w = std::move(m);
  } else if (page == "main") {
    // Home, individual management, then the demo patient's report.
    auto m = std::make_unique<CMeridDemoXDlg>(prompter, screen, DemoPatientAction(false));
    m->Initialise();
    m->EnterHomePage();
    w = std::move(m);
  } else if (page == "progress") {
    // Individual management, "Download" for the demo patient, from a meter of 1,023 readings.
    static std::unique_ptr<EmulatedMeter> meter;
    std::vector<std::vector<std::uint8_t>> records;
    for (int i = 0; i < 1023; ++i)
      records.push_back(EncodePersonalRecord(
          {90 + (i * 7) % 150, 2026, 1 + i / 100, 1 + i % 28, 7 + i % 14, (i * 13) % 60, i % 2, 0,
           false}));
    meter = MakeEmulatedMeter(LinkKind::MK72, BuildMeterImage(kPersonalMeterType, records),
                              "TR35001234");
    static RealSleeper real;
    auto m = std::make_unique<CMeridDemoXDlg>(prompter, screen, DemoPatientAction(true));
    m->downloads().SetMeterAccess({&meter->hid, &meter->serial, &real});
    m->Initialise();
    m->EnterHomePage();
    w = std::move(m);
  } else if (page == "clinic" || page == "quickview") {
    static std::unique_ptr<EmulatedMeter> meter =
        MakeEmulatedMeter(LinkKind::VXA, ClinicImage(), "VXC2000001");
    static RecordingSleeper noPauses;
    if (page == "quickview") {
      // The clinic meter's readings filed, as leaving the Multiple Download page does.
      ReadingTable table;
      const auto image = ClinicImage();
      AppendMeterImage(image, ImageRecordCount(image[1], image[2]), table, true);
      Database db = OpenPatientDatabase();
      StoreClinicReadings(db, table);
    }
    auto m = std::make_unique<CMeridDemoXDlg>(prompter, screen, ClinicAction(page == "clinic"));
    m->downloads().SetMeterAccess({&meter->hid, &meter->serial, &noPauses});
    m->Initialise();
    m->EnterHomePage();
    if (auto* q = qobject_cast<CQuickViewPage*>(m->areaPage(kAreaQuickView));
        q && page == "quickview") {
      q->SetChecked(QStringLiteral("All patients"), true);
      q->OnView();
    }
    w = std::move(m);
  } else if (page == "iocsv") {
    // The CSV import's preview of the file named by MERIDANE_SHOT_CSV.
    const char* csv = std::getenv("MERIDANE_SHOT_CSV");
    auto io = std::make_unique<CInOut>(prompter, [csv](const FileChoice&) {
      return QString::fromUtf8(csv ? csv : "");
    });
    io->ioFile()->SetMode(3);
    io->ioFile()->formatChoice()->setCurrentIndex(1);
    io->ioFile()->patientChoice()->setCurrentIndex(0);
    io->ioFile()->Browse();
    w = std::move(io);
  } else if (page.rfind("io", 0) == 0) {
    auto io = std::make_unique<CInOut>(prompter, [](const FileChoice&) { return QString(); });
    io->ioFile()->SetMode(std::atoi(page.c_str() + 2));
    if (io->ioFile()->mode() <= 1) io->ioFile()->patientList()->topLevelItem(1)->setCheckState(0, Qt::Checked);
    w = std::move(io);
  } else if (page.rfind("printprofile:", 0) == 0) {
    // The glucose profile of a patient's latest 7 days as the printer gets it (argv[3]).
    Database db = OpenPatientDatabase();
    LoadPatient(db, page.substr(13), state.current);
    LoadReadings(db, state.current, state.readings, &ClassifyReadingSlot);
    state.ReloadReportTargets();
    state.ResetReportPeriod();
    const ReportModel model = BuildReportModel(kReportGlucoseProfile, state.current, state.readings,
                                               state.period, state.targets);
    CProfileView view;
    view.SetPage(LayOutGlucoseProfile(model.ctx, model.glucoseProfile));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setOutputFileName(QString::fromLocal8Bit(argv[3]));
    return PrintReport(printer, model, &view) ? 0 : 1;
  } else if (page == "preview" || page == "printlog") {
    auto m = std::make_unique<CMeridDemoXDlg>(prompter, screen, [](QDialog& d) { return d.exec(); });
    m->Initialise();
    AppState& s = m->state();
    {
      Database db = OpenPatientDatabase();
      LoadPatient(db, "A1001", s.current);
      LoadReadings(db, s.current, s.readings, &ClassifyReadingSlot);
    }
    s.ReloadReportTargets();
    s.period = {{2026, 11, 1}, {2026, 11, 30}};
    s.reportType = kReportLogBook;
    m->ShowArea(kAreaReport);
    if (page == "printlog") {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromLocal8Bit(argv[3]));
      return PrintReport(printer, *m->ShownReport(), nullptr) ? 0 : 1;
    }
    m->OnPrintPreview();
    return 0;
  } else if (page == "form") {
    w = std::make_unique<CAddEdit>(true, state, prompter, none);
  } else if (page.rfind("editor", 0) == 0) {
    auto a = std::make_unique<CAdvance>(state.current, editor, true, false, prompter);
    a->tabs()->setCurrentIndex(std::atoi(page.c_str() + 6));
    w = std::move(a);
  } else if (page.rfind("detail", 0) == 0) {
    GlucoReading r;
    r.idx = 1;
    r.at = {2026, 3, 4, 13, 5};
    r.gluco = 187;
    r.slot = 4;
    r.mark = 1;
    r.detail.type = 0;
    r.detail.commentOptions = kOptIllness | kOptFood | kOptOther;
    r.detail.commentOptionsFood = 2;
    r.detail.insulin = "Rapid";
    r.detail.insulinType = 0;
    r.detail.insulinAmount = 6.5;
    r.detail.oral = "Metformin";
    r.detail.oralAmount = 1;
    r.detail.exerciseHour = 1;
    r.detail.exerciseMinute = 15;
    r.detail.intensity = 1;
    r.detail.carbs = 60;
    r.detail.carlories = 540;
    r.detail.comment = "Birthday lunch, felt unwell";
    auto d = std::make_unique<CRecordDetail>(state.current, r, prompter);
    const int tab = std::atoi(page.c_str() + 6);
    d->tabs()->setCurrentIndex(tab);
    if (tab == kDetailInsulin) {
      d->insulinPage()->kind(1)->setChecked(true);
      d->insulinPage()->amount(1)->setText("61");
      d->OnSave();
    }
    w = std::move(d);
  } else {
    return 2;
  }
  w->show();
  if (!dynamic_cast<CPageFrame*>(w.get())) w->move(40, 40);
  // MERIDANE_SHOT_MAXIMISED=1: the window as large as the screen allows, as maximising
  // gives it (Xvfb runs no window manager to do that).
  if (qEnvironmentVariableIntValue("MERIDANE_SHOT_MAXIMISED") == 1)
    if (QScreen* s = QGuiApplication::primaryScreen()) w->setGeometry(s->availableGeometry());
  return app.exec();
}
