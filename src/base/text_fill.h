#pragma once
// Values put into a looked-up sentence by name: "Patient {name} saved". Translators may move
// the names around, so the code never fixes the word order; a name the text does not hold is
// left out, and a "{...}" the code gives no value for stays as written.
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace meridane {

using TextValue = std::pair<std::string_view, std::string_view>;

// One pass over `text`: a value is never searched for names itself.
std::string FillText(std::string_view text, std::initializer_list<TextValue> values);

}  // namespace meridane
