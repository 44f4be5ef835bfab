#pragma once
// Compiled gettext catalogues (.mo files) and the one whose translations LookupText uses after
// the language file.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace meridane {

// The translations of one compiled catalogue. A catalogue is input like any other file: one
// that is missing, cut short or damaged reads as no catalogue at all, never as half of one.
class TextCatalogue {
 public:
  // The catalogue in the bytes of a .mo file (either byte order); nullopt when they are not one.
  static std::optional<TextCatalogue> Parse(std::string_view bytes);
  static std::optional<TextCatalogue> Load(const std::string& path);

  // The translation of `msgid` written under `context` (empty: none); nullptr when the
  // catalogue has none, or only an empty one (an entry the translator has not done yet).
  const std::string* Find(std::string_view context, std::string_view msgid) const;
  std::size_t size() const { return texts_.size(); }

 private:
  std::unordered_map<std::string, std::string> texts_;  // "context\x04msgid" or "msgid"
};

// The catalogue LookupText consults; none (English only) until one is set, and again after
// SetTextCatalogue(nullptr).
void SetTextCatalogue(std::shared_ptr<const TextCatalogue> catalogue);
std::shared_ptr<const TextCatalogue> ActiveTextCatalogue();

}  // namespace meridane
