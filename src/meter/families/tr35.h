#pragma once
// Family TR35: the 40-byte protocol; a block that stays not ready is given up after
// kMaxReadyPolls passes instead of being asked for until cancelled.
#include "meter/families/hid40_protocol.h"

namespace meridane {

inline constexpr const char* kProductTR35 = "TR35";

class CCommHidTR35 : public CCommHid40 {
 public:
  explicit CCommHidTR35(const LinkContext& ctx = {}) : CCommHid40(ctx, kProductTR35) {}

 protected:
  int BlockPassLimit() const override { return kMaxReadyPolls; }
};

}  // namespace meridane
