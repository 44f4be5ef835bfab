#pragma once
// The meter options of the command line's downloads, which the window takes too.
#include <CLI/CLI.hpp>

#include "download/meter_choice.h"
#include "meter/meter_family.h"

namespace meridane::cli {

// --meter-image FILE --serial SN [--family F] [--no-pauses]; `family` false leaves --family
// out (the clinic download reads family VXA only).
inline void AddMeterOptions(CLI::App* cmd, MeterOptions& o, bool family) {
  auto* image = cmd->add_option("--meter-image", o.image,
                                "Memory image file the emulated meter plays (without it: the "
                                "meters attached over USB)");
  cmd->add_option("--serial", o.serial, "The emulated meter's serial number (10 or 11 characters)")
      ->needs(image);
  image->needs("--serial");
  if (family)
    cmd->add_option("--family", o.family,
                    "Meter family: " + DetectedFamilyNames() +
                        " (default: vxa for a clinic image, else mk72)");
  cmd->add_flag("--no-pauses", o.noPauses, "Skip the protocol's pauses and fixed waits");
}

}  // namespace meridane::cli
