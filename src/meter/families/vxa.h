#pragma once
// Family VXA (product string "GLUCOSE"): the 40-byte protocol with personal and clinic
// images, judged by the management mode, and checked serial characters.
#include "meter/families/hid40_protocol.h"

namespace meridane {

inline constexpr const char* kProductVXA = "GLUCOSE";

class CCommHidVXA : public CCommHid40 {
 public:
  explicit CCommHidVXA(const LinkContext& ctx = {}) : CCommHid40(ctx, kProductVXA) {}
  LinkResult ReadClinicRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                               std::uint32_t& recordCount) override;

 protected:
  LinkResult JudgeType(std::uint8_t type, ImageKind wanted) const override;
  bool CheckSerialChars() const override { return true; }
};

}  // namespace meridane
