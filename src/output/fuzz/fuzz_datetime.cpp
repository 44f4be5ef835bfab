// Stored date-time texts as any file may hold them: parsing never fails unsafely, and a valid
// parsed value written back in the stored form reads back as itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/date_time.h"

using namespace meridane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto dt = ParseDateTime(text)) {
    if (IsValidDateTime(*dt) && dt->year >= 0 && dt->year <= 9999) {
      auto again = ParseDateTime(FormatDateTime(*dt));
      if (!again || *again != *dt) std::abort();
      (void)DayOfWeek(dt->date());
      if (CivilFromDays(DaysFromCivil(dt->date())) != dt->date()) std::abort();
    }
  }
  if (auto d = ParseDate(text)) {
    if (IsValidDate(*d) && d->year >= 0 && d->year <= 9999) {
      auto again = ParseDate(FormatDate(*d));
      if (!again || *again != *d) std::abort();
    }
  }
  if (auto t = ParseTimeOfDay(text)) {
    if (IsValidTime(*t)) {
      auto again = ParseTimeOfDay(FormatTimeOfDay(*t));
      if (!again || *again != *t) std::abort();
    }
  }
  return 0;
}
