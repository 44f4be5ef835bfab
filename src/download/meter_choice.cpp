#include "download/meter_choice.h"

#include "meter/meter_family.h"
#include "meter/meter_image.h"

namespace meridane {

std::unique_ptr<MeterChoice> MeterChoice::Make(const MeterOptions& o, std::string& error,
                                               std::optional<LinkKind> kind) {
  auto choice = std::unique_ptr<MeterChoice>(new MeterChoice);
  choice->noPauses_ = o.noPauses;
  if (o.image.empty()) {
    if (!o.serial.empty()) {
      error = "--serial: only with --meter-image";
      return nullptr;
    }
    return choice;  // hidapi and the serial ports
  }
  if (!kind && !o.family.empty()) {
    kind = ParseLinkKind(o.family);
    if (!kind) {
      error = "--family: expected " + DetectedFamilyNames() + ", got '" + o.family + "'";
      return nullptr;
    }
  }
  auto image = LoadMeterImageFile(o.image);
  if (!image) {
    error = "--meter-image: cannot read '" + o.image + "'";
    return nullptr;
  }
  if (o.serial.size() != 10 && o.serial.size() != 11) {
    error = "--serial: expected 10 or 11 characters, got '" + o.serial + "'";
    return nullptr;
  }
  // Clinic images are only ever read by family VXA.
  if (!kind) kind = (*image)[0] == kClinicMeterType ? LinkKind::VXA : LinkKind::MK72;
  choice->kind_ = *kind;
  choice->meter_ = MakeEmulatedMeter(*kind, std::move(*image), o.serial);
  return choice;
}

MeterAccess MeterChoice::Access() {
  Sleeper* sleeper = noPauses_ ? static_cast<Sleeper*>(&skip_) : &real_;
  if (!meter_) return {nullptr, nullptr, sleeper};
  return {&meter_->hid, &meter_->serial, sleeper};
}

}  // namespace meridane
