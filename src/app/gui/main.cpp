// The window program: start-up, the main window for the life of the process.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/gui/gui_support.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_prompter.h"
#include "store/database.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Meridane"));
  app.setQuitOnLastWindowClosed(false);
  QPalette pal = app.palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  app.setPalette(pal);
  app.setFont(meridane::UiFont(9, QFont::Normal));

  meridane::QtPrompter prompter;
  // Statements that fail show SQLite's own text, and the caller goes on.
  meridane::SetStatementErrorSink([&prompter](const std::string& message) {
    prompter.Message(message, meridane::WarningCaption());
  });

  meridane::ScreenMetrics screen;
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    screen.width = s->geometry().width();
    screen.height = s->geometry().height();
    screen.dpi = qRound(s->logicalDotsPerInchX());
  }
  meridane::CMeridDemoXDlg window(prompter, screen);
  QObject::connect(&window, &meridane::CMeridDemoXDlg::ExitRequested, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  window.Initialise();
  QTimer::singleShot(0, &window, [&] {
    if (!window.EnterHomePage()) app.quit();
  });
  return app.exec();
}
