// Values put into looked-up sentences by name, in whatever order a translation puts them.
#include <gtest/gtest.h>

#include "base/text_fill.h"

namespace meridane {
namespace {

TEST(FillText, NamesInAnyOrderAndValuesNeverExpandedAgain) {
  const std::pair<const char*, const char*> cases[] = {
      {"{a} then {b}", "1 then {a}"},
      {"{b} before {a}", "{a} before 1"},
      {"{a}{a}", "11"},
      {"kept {c} and {", "kept {c} and {"},
      {"no names", "no names"},
      {"}{a}", "}1"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(FillText(text, {{"a", "1"}, {"b", "{a}"}}), expected) << text;
}

}  // namespace
}  // namespace meridane
