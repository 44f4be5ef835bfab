#pragma once
// A JSON object written member by member: the same text nlohmann's dump(2) gives for the
// whole object, but array members that grow with the data are produced one element at a
// time, so a large report never exists as a JSON tree in memory.
#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <variant>

namespace meridane::cli {

// Produces the next element into `element`; false when there is none left.
using JsonElementSource = std::function<bool(nlohmann::json& element)>;

class JsonObjectStream {
 public:
  void Add(const std::string& key, nlohmann::json value) { members_[key] = std::move(value); }
  void AddArray(const std::string& key, JsonElementSource source) {
    members_[key] = std::move(source);
  }

  // Members in key order, as a JSON object keeps them; ends with a newline.
  void Write(std::ostream& out) const {
    out << "{";
    const char* sep = "\n";
    for (const auto& [key, value] : members_) {
      out << sep << "  " << nlohmann::json(key).dump() << ": ";
      sep = ",\n";
      if (const auto* v = std::get_if<nlohmann::json>(&value)) {
        out << Indented(v->dump(2), "  ");
        continue;
      }
      const JsonElementSource& next = std::get<JsonElementSource>(value);
      nlohmann::json element;
      bool any = false;
      while (next(element)) {
        out << (any ? ",\n    " : "[\n    ") << Indented(element.dump(2), "    ");
        any = true;
      }
      out << (any ? "\n  ]" : "[]");
    }
    out << (members_.empty() ? "}\n" : "\n}\n");
  }

 private:
  static std::string Indented(const std::string& text, const char* indent) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
      out += c;
      if (c == '\n') out += indent;
    }
    return out;
  }

  std::map<std::string, std::variant<nlohmann::json, JsonElementSource>> members_;
};

}  // namespace meridane::cli
