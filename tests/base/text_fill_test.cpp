// Values put into looked-up sentences by name, in whatever order a translation puts them.
#include <gtest/gtest.h>

#include "base/text_fill.h"

namespace meridane {
namespace {

TEST(FillText, NamesInAnyOrderAndValuesNeverExpandedAgain) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"{a} then {b}", "1 then {a}"},
      {"{b} before {a}", "{a} before 1"},
      {"{a}{a}", "11"},
      {"kept {c} and {", "kept {c} and {"},
      {"no names", "no names"},
      {"}{a}", "}1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FillText(c.text, {{"a", "1"}, {"b", "{a}"}}), c.expected) << c.text;
}

}  // namespace
}  // namespace meridane
