#pragma once
// The protocol pauses go through a Sleeper so tests can record them instead of waiting.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace meridane {

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// Really sleeps.
class RealSleeper : public Sleeper {
 public:
  void SleepMs(std::uint32_t ms) override;
};
// A process-wide real sleeper, used when a link is given none.
Sleeper& DefaultSleeper();

// Records each pause and returns at once. An optional hook runs after each pause
// (e.g. to raise the cancel flag after a number of pauses).
class RecordingSleeper : public Sleeper {
 public:
  void SleepMs(std::uint32_t ms) override;
  const std::vector<std::uint32_t>& pauses() const { return pauses_; }
  std::uint64_t TotalMs() const;
  void Clear() { pauses_.clear(); }
  std::function<void(std::size_t pauseCount)> afterPause;

 private:
  std::vector<std::uint32_t> pauses_;
};

// The user's cancel request (Esc key or Cancel button in the progress dialog).
using CancelFlag = std::atomic<bool>;

}  // namespace meridane
