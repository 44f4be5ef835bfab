#include "download/reading_keys.h"

#include <cstdint>

#include "store/reading_store.h"

namespace meridane {

std::size_t ReadingKeyHash::operator()(const ReadingKey& k) const noexcept {
  // Out-of-range fields may share a hash; equality still compares every field.
  auto u = [](int v) { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)); };
  std::uint64_t h = (u(k.gluco) | u(k.medicalNo) << 32) * 0x9E3779B97F4A7C15ull;
  h ^= u(k.at.year) << 32 ^ u(k.at.month) << 24 ^ u(k.at.day) << 16 ^ u(k.at.hour) << 8 ^
       u(k.at.minute);
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return static_cast<std::size_t>(h);
}

void ReadingKeySet::Reserve(std::size_t n) {
  std::size_t capacity = 16;
  while (capacity < 2 * n) capacity *= 2;
  if (capacity <= slots_.size()) return;
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  size_ = 0;
  for (const Slot& s : old)
    if (s.used) Insert(s.key);
}

std::size_t ReadingKeySet::Find(const ReadingKey& k) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = ReadingKeyHash{}(k) & mask;
  while (slots_[i].used && !(slots_[i].key == k)) i = (i + 1) & mask;
  return i;
}

bool ReadingKeySet::Contains(const ReadingKey& k) const {
  return !slots_.empty() && slots_[Find(k)].used;
}

bool ReadingKeySet::Insert(const ReadingKey& k) {
  if (2 * (size_ + 1) > slots_.size()) Reserve(2 * (size_ + 1));
  Slot& s = slots_[Find(k)];
  if (s.used) return false;
  s.key = k;
  s.used = true;
  ++size_;
  return true;
}

ReadingKeySet StoredReadingKeys(Database& db, const std::string& idNo) {
  ReadingKeySet keys;
  // Read as the readings load reads them, so keys match loaded readings.
  ForEachStoredReading(db, idNo,
                       [&](const DateTime& at, int gluco, int) { keys.Insert({gluco, at, 0}); });
  return keys;
}

}  // namespace meridane
