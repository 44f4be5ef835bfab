#pragma once
// One in-memory reading, shared by the core report tests and the window tests.
#include "store/gluco_reading.h"

namespace meridane::test {

inline GlucoReading Reading(const DateTime& at, int gluco, int slot, int mark = 2) {
  GlucoReading r;
  r.at = at;
  r.gluco = gluco;
  r.slot = slot;
  r.mark = mark;
  return r;
}

}  // namespace meridane::test
