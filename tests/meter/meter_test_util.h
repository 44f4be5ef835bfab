#pragma once
// Images and helpers shared by the meter tests.
#include <cstdint>
#include <vector>

#include "meter/meter_image.h"

namespace meridane::test {

// n distinct personal (or clinic) records: glucose 40 + i mod 560, one reading a minute.
inline std::vector<std::uint8_t> SampleImage(std::uint8_t type, int n) {
  std::vector<std::vector<std::uint8_t>> records;
  for (int i = 0; i < n; ++i) {
    MeterRecord m{40 + i % 560,
                  2024,
                  1 + (i / 1440) % 12,
                  1 + (i / 60) % 24 % 28,
                  (i / 60) % 24,
                  i % 60,
                  i % 2,
                  i % 1024,
                  false};
    records.push_back(type == kClinicMeterType ? EncodeClinicRecord(m) : EncodePersonalRecord(m));
  }
  return BuildMeterImage(type, records);
}

inline std::vector<std::uint8_t> Buffer() {
  return std::vector<std::uint8_t>(kImageBufferSize, 0xEE);
}

}  // namespace meridane::test
