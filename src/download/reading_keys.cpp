#include "download/reading_keys.h"

#include <cstdint>

namespace meridane {

std::size_t ReadingKeyHash::operator()(const ReadingKey& k) const noexcept {
  // Fields are mixed as they are, not as a day number, so out-of-range stored dates never
  // collide into equality; equality itself compares every field.
  std::uint64_t h = 1469598103934665603ull;
  for (int v : {k.gluco, k.at.year, k.at.month, k.at.day, k.at.hour, k.at.minute, k.medicalNo}) {
    h ^= static_cast<std::uint32_t>(v);
    h *= 1099511628211ull;
    h ^= h >> 29;
  }
  return static_cast<std::size_t>(h);
}

}  // namespace meridane

#include <charconv>

#include "store/database.h"

namespace meridane {

ReadingKeySet StoredReadingKeys(Database& db, const std::string& idNo) {
  ReadingKeySet keys;
  if (idNo.empty() || !db.TableExists(ReadingsTableName(idNo))) return keys;
  Statement st = db.Prepare("SELECT glucoDate, gluco FROM " + QuotedReadingsTable(idNo) + ";");
  while (st.Step()) {
    std::optional<DateTime> at = ParseDateTime(st.TextView(0));
    if (!at) continue;
    std::string_view g = st.TextView(1);
    int gluco = 0;
    while (!g.empty() && g.front() == ' ') g.remove_prefix(1);
    std::from_chars(g.data(), g.data() + g.size(), gluco);  // "%d": leading digits, else 0
    keys.Insert({gluco, *at, 0});
  }
  return keys;
}

}  // namespace meridane
