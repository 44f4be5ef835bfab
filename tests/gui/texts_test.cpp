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
  texts.removeIf([](const QString& t) { return t.startsWith(kMark) || IsData(t); });
  return texts;
}

// Makes a fresh page each call; the kit's state and prompter go in as references.
template <class Page, class... Args>
std::function<std::unique_ptr<QWidget>()> Make(Args... args) {
  return [args...] { return std::unique_ptr<QWidget>(std::make_unique<Page>(args...)); };
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
    const auto st = std::ref(kit.state);
    const auto pr = std::ref(kit.prompter);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> pages = {
        {"home", Make<CWelcome>(st, pr, none, screen)},
        {"individual", Make<CPatientMain>(int(kIndividual), st, pr, none, screen)},
        {"clinic", Make<CPatientMain>(int(kMultiple), st, pr, none, screen)},
        {"patient form", Make<CAddEdit>(true, st, pr, none)},
        {"profile editor", Make<CAdvance>(std::cref(kit.state.current),
                                          std::ref(kit.state.editor), false, false, pr)},
        {"record detail", Make<CRecordDetail>(CPatientProfile{}, GlucoReading{}, pr)},
        {"import export", Make<CInOut>(pr, FileChooser([](const FileChoice&) { return QString(); }))},
        {"report page", Make<CReportPage>(st, pr)},
        {"clinic download", Make<CMultipleDownloadPage>(st, pr)},
        {"quick view", Make<CQuickViewPage>(st, pr)},
        {"patient chooser",
         Make<CPatientChooser>(std::string("SN1"), std::vector<PatientChoice>{{"A1", "Ann"}})},
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
