#include "meter/families/vxa.h"

#include "meter/meter_image.h"

namespace meridane {

LinkResult CCommHidVXA::ReadClinicRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                          std::uint32_t& recordCount) {
  return ReadImage(buffer, byteCount, recordCount, ImageKind::Clinic);
}

LinkResult CCommHidVXA::JudgeType(std::uint8_t type, ImageKind wanted) const {
  if (wanted == ImageKind::Clinic) {
    if (type == kPersonalMeterType) return LINK_NOT_CLINIC_METER;
    return type == kClinicMeterType ? LINK_OK : LINK_READ_FAILED;
  }
  if (ctx_.multipleManagement) return type == kClinicMeterType ? LINK_OK : LINK_READ_FAILED;
  if (type == kClinicMeterType) return LINK_CLINIC_METER;
  return type == kPersonalMeterType ? LINK_OK : LINK_READ_FAILED;
}

}  // namespace meridane
