// Every caption, button, tab and title of the window's pages comes through the text lookup,
// so a translation reaches all of it: with a marking lookup no visible text stays unmarked.
#include "gui/download/clinic_pages.h"
#include "gui/download/patient_chooser.h"
#include "gui/output/io_file.h"
#include "gui/profile/advance.h"
#include "gui/reports/record_detail.h"
#include "gui/reports/report_page.h"
#include "gui_fixture.h"

using namespace meridane;

namespace {

const QChar kMark(0x2039);

// Texts that are data or symbols, never words to translate.
bool IsData(const QString& t) {
  static const QRegularExpression data(
      QStringLiteral("^(|Meridane|[^A-Za-z]*|[0-9: ]+[ap]m|mmol/L|mg/dL)$"));
  return data.match(t.trimmed()).hasMatch();
}

QStringList Unmarked(QWidget& page) {
  QStringList texts{page.windowTitle()};
  for (auto* l : page.findChildren<QLabel*>()) texts << l->text();
  // OK and Cancel of a button box are Qt's own, translated by Qt.
  for (auto* b : page.findChildren<QAbstractButton*>()) {
    auto* box = qobject_cast<QDialogButtonBox*>(b->parentWidget());
    if (!box || box->standardButton(b) == QDialogButtonBox::NoButton) texts << b->text();
  }
  for (auto* g : page.findChildren<QGroupBox*>()) texts << g->title();
  for (auto* bar : page.findChildren<QTabBar*>())
    for (int i = 0; i < bar->count(); ++i) texts << bar->tabText(i);
  QStringList out;
  for (const QString& t : texts)
    if (!t.startsWith(kMark) && !IsData(t)) out << t;
  return out;
}

}  // namespace

class TextsTest : public QObject {
  Q_OBJECT
 private slots:
  void everyPageTextIsLookedUp() {
    test::PageKit kit;
    SetTextMarker([](const QString& t) { return kMark + t; });
    const std::unique_ptr<void, void (*)(void*)> unmark(&kit, [](void*) { SetTextMarker({}); });
    const ScreenMetrics screen{1280, 1024, 96};
    const PageRunner none = [](QDialog&) { return 0; };
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> pages = {
        {"home", [&] { return std::make_unique<CWelcome>(kit.state, kit.prompter, none, screen); }},
        {"individual",
         [&] {
           return std::make_unique<CPatientMain>(kIndividual, kit.state, kit.prompter, none,
                                                 screen);
         }},
        {"clinic",
         [&] {
           return std::make_unique<CPatientMain>(kMultiple, kit.state, kit.prompter, none, screen);
         }},
        {"patient form",
         [&] { return std::make_unique<CAddEdit>(true, kit.state, kit.prompter, none); }},
        {"profile editor",
         [&] {
           return std::make_unique<CAdvance>(kit.state.current, kit.state.editor, false, false,
                                             kit.prompter);
         }},
        {"record detail",
         [&] {
           return std::make_unique<CRecordDetail>(CPatientProfile{}, GlucoReading{}, kit.prompter);
         }},
        {"import export",
         [&] {
           return std::make_unique<CInOut>(kit.prompter,
                                           [](const FileChoice&) { return QString(); });
         }},
        {"report page", [&] { return std::make_unique<CReportPage>(kit.state, kit.prompter); }},
        {"clinic download",
         [&] { return std::make_unique<CMultipleDownloadPage>(kit.state, kit.prompter); }},
        {"quick view", [&] { return std::make_unique<CQuickViewPage>(kit.state, kit.prompter); }},
        {"patient chooser",
         [&] {
           return std::make_unique<CPatientChooser>("SN1",
                                                    std::vector<PatientChoice>{{"A1", "Ann"}});
         }},
    };
    for (const auto& [name, make] : pages) {
      auto page = make();
      if (auto* area = qobject_cast<CAreaPage*>(page.get())) area->Refresh();
      const QString left = Unmarked(*page).join(QStringLiteral(" | "));
      QVERIFY2(left.isEmpty(), qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") + left));
    }
  }
};

MERIDANE_GUI_TEST(TextsTest)

#include "texts_test.moc"
