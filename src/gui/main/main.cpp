// The window program: start-up, the main window for the life of the process.
#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <iostream>

#include "base/book_location.h"
#include "base/data_paths.h"
#include "base/language_choice.h"
#include "gui/main/gui_support.h"
#include "gui/main/main_window.h"
#include "gui/main/qt_prompter.h"
#include "cli/meter_options.h"
#include "gui/download/window_downloads.h"
#include "store/database.h"

namespace {

struct StartOptions {
  std::string dataDir;
  std::optional<std::string> book;
  std::string language;
  meridane::MeterOptions meter;
};

// The command line's own --data-dir, --book and meter options. Qt's options (-platform …) pass
// through. Returns an exit status when the program is to end here (--help, bad usage).
std::optional<int> ParseOptions(int argc, char** argv, StartOptions& o) {
  CLI::App cli{
      "Meridane: blood glucose records, reports and meter downloads.\n"
      "With --meter-image the window's downloads read the meter emulator playing "
      "that memory image instead of the meters attached over USB.",
      "meridane"};
  cli.allow_extras();
  cli.add_option("--data-dir", o.dataDir, "Data folder (default: home directory + /MeridData_Pro)");
  cli.add_option("--book", o.book,
                 "Patient book: a book file, or a PostgreSQL server as postgresql://HOST:PORT/DB "
                 "(default: $MERIDANE_BOOK, else the window's \"Patient book\" choice, else "
                 "Patients.db in the data folder)");
  cli.add_option("--language", o.language,
                 "Language of the window, such as de or zh_CN (default: the desktop's)");
  meridane::cli::AddMeterOptions(&cli, o.meter, true);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = cli.exit(e);
    return rc == 0 ? 0 : 2;
  }
  return std::nullopt;
}

// The book the window opens: --book, else MERIDANE_BOOK, else the user's remembered choice,
// else this computer's. A --data-dir given names this computer's book for this run, so the
// remembered choice is not read then. False when --book is refused. `notice` gets what the
// user must be told: a refused MERIDANE_BOOK or remembered choice, after which the window
// goes on with the next in line.
bool ChooseBook(const StartOptions& o, std::string& notice) {
  notice.clear();
  if (o.book) {
    auto location = meridane::ParseBookLocation(*o.book, &notice);
    if (!location) return false;
    meridane::SetBookLocationOverride(*location);
    return true;
  }
  if (meridane::EnvironmentBookLocation(&notice) || !o.dataDir.empty()) return true;
  std::string error;
  if (auto remembered = meridane::RememberedBookLocation(&error))
    meridane::SetBookLocationOverride(*remembered);
  if (!error.empty()) notice += (notice.empty() ? "" : "\n\n") + error;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  StartOptions options;
  if (auto rc = ParseOptions(argc, argv, options)) return *rc;
  std::string meterError;
  auto meter = meridane::MeterChoice::Make(options.meter, meterError);
  if (!meter) {
    std::cerr << "meridane: " << meterError << "\n";
    return 2;
  }
  if (!options.dataDir.empty()) meridane::SetDataFolderOverride(options.dataDir);
  // A language without a catalogue leaves the window in English: the user can still work,
  // and the terminal says why.
  const meridane::LanguageChoice language = meridane::UseLanguage(options.language);
  if (!language.error.empty()) std::cerr << "meridane: " << language.error << "; using English\n";
  std::string bookNotice;
  if (!ChooseBook(options, bookNotice)) {
    std::cerr << "meridane: --book: " << bookNotice << "\n";
    return 2;
  }

  QApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Meridane"));
  app.setQuitOnLastWindowClosed(false);
  QPalette pal = app.palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  app.setPalette(pal);
  app.setFont(meridane::UiFont(9, QFont::Normal));

  // Qt's own dialogs (file, print, message-box buttons) in the window's language.
  QTranslator qtTexts;
  if (language.code != "en" &&
      qtTexts.load(QStringLiteral("qtbase_") + QString::fromStdString(language.code),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexts);

  meridane::QtPrompter prompter;

  meridane::ScreenMetrics screen;
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    screen.width = s->geometry().width();
    screen.height = s->geometry().height();
    screen.dpi = qRound(s->logicalDotsPerInchX());
  }
  if (!bookNotice.empty()) prompter.Message(bookNotice, meridane::WarningCaption());
  meridane::CMeridDemoXDlg window(prompter, screen);
  window.downloads().SetMeterAccess(meter->Access());
  QObject::connect(&window, &meridane::CMeridDemoXDlg::ExitRequested, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  window.Initialise();
  QTimer::singleShot(0, &window, [&] {
    if (!window.EnterHomePage()) app.quit();
  });
  return app.exec();
}
