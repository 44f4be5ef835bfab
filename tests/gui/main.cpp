// Runs every registered window test class; the process fails when any of them fails.
#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

#include "gui/main/gui_support.h"
#include "gui_test_registry.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                   : qgetenv("QT_QPA_PLATFORM"));
  // Settings the window remembers (the Save PDF folder) go to a test location, not the user's.
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  app.setFont(meridane::UiFont(9, QFont::Normal));
  const QStringList only =
      QString::fromLocal8Bit(qgetenv("MERIDANE_GUI_TEST")).split(',', Qt::SkipEmptyParts);
  int failed = 0;
  for (const auto& [name, run] : meridane::test::GuiTests()) {
    if (!only.isEmpty() && !only.contains(QString::fromStdString(name))) continue;
    if (run(argc, argv) != 0) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
