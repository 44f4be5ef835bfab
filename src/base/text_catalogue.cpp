#include "base/text_catalogue.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <mutex>

namespace meridane {

namespace {
constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint64_t kMaxFileSize = 64u << 20;  // far beyond any real catalogue
constexpr char kContextEnd = '\x04';

struct ActiveSlot {
  std::mutex mutex;
  std::shared_ptr<const TextCatalogue> catalogue;
};
ActiveSlot& Active() {
  static ActiveSlot slot;
  return slot;
}

std::uint32_t ReadWord(std::string_view b, std::uint64_t at, bool bigEndian) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<std::uint8_t>(b[at + (bigEndian ? i : 3 - i)]);
    v = (v << 8) | byte;
  }
  return v;
}

// The part before the first NUL: a plural entry holds its forms NUL-separated, and the
// program uses only the first.
std::string_view FirstForm(std::string_view s) { return s.substr(0, s.find('\0')); }
}  // namespace

std::optional<TextCatalogue> TextCatalogue::Parse(std::string_view bytes) {
  const std::uint64_t size = bytes.size();
  if (size < 20) return std::nullopt;
  bool big = false;
  if (ReadWord(bytes, 0, false) != kMagic) {
    if (ReadWord(bytes, 0, true) != kMagic) return std::nullopt;
    big = true;
  }
  if ((ReadWord(bytes, 4, big) >> 16) > 1) return std::nullopt;  // a major revision we don't know
  const std::uint64_t count = ReadWord(bytes, 8, big);
  const std::uint64_t originals = ReadWord(bytes, 12, big);
  const std::uint64_t translations = ReadWord(bytes, 16, big);
  if (originals + count * 8 > size || translations + count * 8 > size) return std::nullopt;

  // One string descriptor (length, offset) of a table; nullopt when it points outside.
  auto text = [&](std::uint64_t table, std::uint64_t i) -> std::optional<std::string_view> {
    const std::uint64_t length = ReadWord(bytes, table + i * 8, big);
    const std::uint64_t offset = ReadWord(bytes, table + i * 8 + 4, big);
    if (offset + length > size) return std::nullopt;
    return bytes.substr(offset, length);
  };
  TextCatalogue catalogue;
  catalogue.texts_.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto original = text(originals, i);
    const auto translation = text(translations, i);
    if (!original || !translation) return std::nullopt;
    const std::string_view id = FirstForm(*original);
    const std::string_view str = FirstForm(*translation);
    if (id.empty() || str.empty()) continue;  // the header entry, or not translated yet
    catalogue.texts_.emplace(std::string(id), std::string(str));
  }
  return catalogue;
}

std::optional<TextCatalogue> TextCatalogue::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileSize) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return std::nullopt;
  return Parse(bytes);
}

const std::string* TextCatalogue::Find(std::string_view context, std::string_view msgid) const {
  std::string key;
  key.reserve(context.size() + 1 + msgid.size());
  if (!context.empty()) key.append(context).push_back(kContextEnd);
  key.append(msgid);
  auto it = texts_.find(key);
  return it == texts_.end() ? nullptr : &it->second;
}

void SetTextCatalogue(std::shared_ptr<const TextCatalogue> catalogue) {
  std::lock_guard lock(Active().mutex);
  Active().catalogue = std::move(catalogue);
}

std::shared_ptr<const TextCatalogue> ActiveTextCatalogue() {
  std::lock_guard lock(Active().mutex);
  return Active().catalogue;
}

}  // namespace meridane
