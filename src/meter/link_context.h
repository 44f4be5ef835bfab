#pragma once
// What a link is built over: the backends it talks through, the sleeper for its pauses and
// the cancel flag it watches. Null members fall back to the system backends, the real
// sleeper and "never cancelled". The pointees must outlive the link.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "meter/sleeper.h"

namespace meridane {

// How far an image read has come, in records: the total once the meter has said how many,
// and how many of them have arrived. Written by the link on the worker thread, read by the
// progress dialog; each value stands alone, so relaxed order is enough.
struct ReadProgress {
  std::atomic<std::uint32_t> total{0};
  std::atomic<std::uint32_t> done{0};

  void Reset() {
    total.store(0, std::memory_order_relaxed);
    done.store(0, std::memory_order_relaxed);
  }
};

class HidBackend;
class SerialBackend;

struct LinkContext {
  HidBackend* hid = nullptr;
  SerialBackend* serial = nullptr;
  Sleeper* sleeper = nullptr;
  const CancelFlag* cancel = nullptr;
  ReadProgress* progress = nullptr;
  // Multiple (clinic) management mode: decides how family VXA judges the image type.
  bool multipleManagement = false;

  HidBackend& Hid() const;
  SerialBackend& Serial() const;
  Sleeper& Sleep() const;
  bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
  // Records in the image once its header is in, and records received so far.
  void ReportTotal(std::uint32_t records) const;
  void ReportReceived(std::size_t imageBytes) const;
};

}  // namespace meridane
