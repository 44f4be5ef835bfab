#pragma once
// Timing and a patient's worth of synthetic readings for the report benchmarks: eight a day, every
// value from "LO" to "HI", all three marks, details on every fifth.
#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <vector>

#include "store/gluco_reading.h"

namespace meridane {

// Median wall time of `rounds` runs, in milliseconds.
inline double MedianMs(const std::function<void()>& run, int rounds = 21) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const auto t1 = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::nth_element(times.begin(), times.begin() + rounds / 2, times.end());
  return times[rounds / 2];
}

inline ReadingTable MakeReadings(int n) {
  std::mt19937 rng(7);
  ReadingTable t;
  Date day{2025, 1, 1};
  for (int i = 0; i < n; ++i) {
    if (i % 8 == 0) day = AddDays(day, 1);
    GlucoReading r;
    r.idx = i + 1;
    r.at = {day.year, day.month, day.day, static_cast<int>(rng() % 24),
            static_cast<int>(rng() % 60)};
    r.gluco = 10 + static_cast<int>(rng() % 650);
    r.mark = static_cast<int>(rng() % 3);
    if (i % 5 == 0) {
      r.detail.insulinAmount = 4;
      r.detail.insulin = "Rapid";
      r.detail.carbs = 40;
      r.detail.comment = "after walk";
    }
    t.entries.push_back(r);
  }
  std::stable_sort(t.entries.begin(), t.entries.end(),
                   [](const GlucoReading& a, const GlucoReading& b) { return a.at < b.at; });
  return t;
}

}  // namespace meridane
