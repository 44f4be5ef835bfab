// The streamed report object must be the very text the whole JSON tree would print.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/json_stream.h"

namespace meridane::cli {
namespace {

using nlohmann::json;

// Streams `whole`, giving the members named in `streamed` element by element.
std::string Streamed(const json& whole, const std::vector<std::string>& streamed) {
  JsonObjectStream js;
  for (const auto& [key, value] : whole.items()) {
    if (std::find(streamed.begin(), streamed.end(), key) == streamed.end()) {
      js.Add(key, value);
      continue;
    }
    js.AddArray(key, [&value, i = std::size_t{0}](json& e) mutable {
      if (i >= value.size()) return false;
      e = value[i++];
      return true;
    });
  }
  std::ostringstream out;
  js.Write(out);
  return out.str();
}

TEST(JsonObjectStream, WritesTheSameTextAsTheWholeTree) {
  const json cases[] = {
      json::object(),
      {{"rows", json::array()}, {"IDNo", "A1"}},
      {{"rows", {{"2024-03-04", "120", ""}, {"Average", "O'Hara \"quoted\"", "µ ü \u2019"}}},
       {"cellStyles", {{{"row", 0}, {"color", {0, 113, 188}}, {"background", nullptr}}}},
       {"period", {{"from", "2024-03-01"}, {"to", "2024-03-31"}}},
       {"readingRows", 2},
       {"unit", "mg/dL"},
       {"value", 7.25}},
  };
  for (const json& whole : cases) {
    SCOPED_TRACE(whole.dump());
    EXPECT_EQ(Streamed(whole, {"rows", "cellStyles"}), whole.dump(2) + "\n");
    EXPECT_EQ(Streamed(whole, {}), whole.dump(2) + "\n");
  }
}

}  // namespace
}  // namespace meridane::cli
