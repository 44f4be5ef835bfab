#include "meter/sleeper.h"

#include <numeric>
#include <thread>

namespace meridane {

void RealSleeper::SleepMs(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Sleeper& DefaultSleeper() {
  static RealSleeper sleeper;
  return sleeper;
}

void RecordingSleeper::SleepMs(std::uint32_t ms) {
  pauses_.push_back(ms);
  if (afterPause) afterPause(pauses_.size());
}

std::uint64_t RecordingSleeper::TotalMs() const {
  return std::accumulate(pauses_.begin(), pauses_.end(), std::uint64_t{0});
}

}  // namespace meridane
