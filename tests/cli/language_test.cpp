#include <gtest/gtest.h>

#include "cli/cli_harness.h"

namespace meridane::test {
namespace {

// A language the program has no catalogue for is a usage error that names the ones it has,
// before anything touches the book.
TEST(CliLanguage, UnknownLanguagesAreRefusedWithTheListOfLanguages) {
  CliSandbox box;
  for (const char* code : {"xx", "../de", ""}) {
    const CliResult r = box.Run({"--language", code, "patient", "list"});
    EXPECT_EQ(r.status, 2) << code;
    EXPECT_NE(r.err.find("--language"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_NE(box.Run({"--language", "xx", "patient", "list"}).err.find("languages are en"),
            std::string::npos);
  EXPECT_EQ(box.Run({"--language", "en_GB", "patient", "list"}).status, 0);
}

}  // namespace
}  // namespace meridane::test
