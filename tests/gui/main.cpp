// Runs every window test class; the process fails when any of them fails.
#include <QApplication>
#include <QtTest>

#include "app/gui/gui_support.h"

int RunStartupTests(int argc, char** argv);
int RunPageTests(int argc, char** argv);
int RunFormTests(int argc, char** argv);
int RunEditorTests(int argc, char** argv);
int RunRecordDetailTests(int argc, char** argv);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                   : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  app.setFont(meridane::UiFont(9, QFont::Normal));
  int failed = 0;
  failed += RunStartupTests(argc, argv);
  failed += RunPageTests(argc, argv);
  failed += RunFormTests(argc, argv);
  failed += RunEditorTests(argc, argv);
  failed += RunRecordDetailTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
