#pragma once
// What a link is built over: the backends it talks through, the sleeper for its pauses and
// the cancel flag it watches. Null members fall back to the system backends, the real
// sleeper and "never cancelled". The pointees must outlive the link.
#include "meter/sleeper.h"

namespace meridane {

class HidBackend;
class SerialBackend;

struct LinkContext {
  HidBackend* hid = nullptr;
  SerialBackend* serial = nullptr;
  Sleeper* sleeper = nullptr;
  const CancelFlag* cancel = nullptr;
  // Multiple (clinic) management mode: decides how family VXA judges the image type.
  bool multipleManagement = false;

  HidBackend& Hid() const;
  SerialBackend& Serial() const;
  Sleeper& Sleep() const;
  bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

}  // namespace meridane
