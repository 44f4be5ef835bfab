#pragma once
// Window test classes register themselves; tests/gui/main.cpp runs every registered class.
//   class FooTest : public QObject { Q_OBJECT  private slots: ... };
//   MERIDANE_GUI_TEST(FooTest)
// Set MERIDANE_GUI_TEST=FooTest (comma-separated names) to run only some classes.
#include <QtTest>
#include <functional>
#include <map>
#include <string>

namespace meridane::test {

using GuiTestRun = std::function<int(int argc, char** argv)>;

// By class name, so the run order does not depend on the link order.
inline std::map<std::string, GuiTestRun>& GuiTests() {
  static std::map<std::string, GuiTestRun> tests;
  return tests;
}

struct GuiTestRegistration {
  GuiTestRegistration(const char* name, GuiTestRun run) { GuiTests().emplace(name, std::move(run)); }
};

}  // namespace meridane::test

#define MERIDANE_GUI_TEST(Class)                                                    \
  static const ::meridane::test::GuiTestRegistration kRegistered##Class(#Class,      \
      [](int argc, char** argv) {                                                   \
        Class t;                                                                    \
        return QTest::qExec(&t, argc, argv);                                        \
      });
