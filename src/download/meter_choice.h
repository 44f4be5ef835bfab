#pragma once
// The meter a download reads: the meters attached over USB, or the meter emulator playing
// a memory image file, with the protocol's real pauses or none. The command line and the
// window take the same options and build the same choice from them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "download/meter_detection.h"
#include "meter/emulator/emulated_backends.h"
#include "meter/sleeper.h"

namespace meridane {

struct MeterOptions {
  std::string image;   // memory image file; empty: the meters attached over USB
  std::string serial;  // the emulated meter's serial number, 10 or 11 characters
  std::string family;  // a family name of the meter table; empty: vxa for a clinic image, else mk72
  bool noPauses = false;
};

class MeterChoice {
 public:
  // The choice the options describe; `error` names the option at fault when they are
  // unusable. `kind` forces the family (the clinic download only reads family VXA).
  static std::unique_ptr<MeterChoice> Make(const MeterOptions& options, std::string& error,
                                           std::optional<LinkKind> kind = std::nullopt);

  MeterAccess Access();
  bool emulated() const { return meter_ != nullptr; }
  bool noPauses() const { return noPauses_; }
  // The emulated meter's family (only meaningful when emulated()).
  LinkKind kind() const { return kind_; }
  // How often a waiting side without a window checks the outcome: the dialog's tick, or
  // briskly when the emulator answers at once.
  std::uint32_t PollIntervalMs() const { return noPauses_ ? 5 : 1000; }

 private:
  std::unique_ptr<EmulatedMeter> meter_;
  LinkKind kind_ = LinkKind::MK72;
  RecordingSleeper skip_;
  RealSleeper real_;
  bool noPauses_ = false;
};

}  // namespace meridane
