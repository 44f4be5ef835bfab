#pragma once
// Family MK72: the plain 40-byte protocol, personal images only.
#include "meter/families/hid40_protocol.h"

namespace meridane {

inline constexpr const char* kProductMK72 = "MK72";

class CCommHidMK72 : public CCommHid40 {
 public:
  explicit CCommHidMK72(const LinkContext& ctx = {}) : CCommHid40(ctx, kProductMK72) {}
};

}  // namespace meridane
