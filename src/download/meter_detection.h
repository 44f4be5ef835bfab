#pragma once
// Finding the attached meter: the links tried in a fixed order over the configured
// backends, and the serial number read before a download.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "download/download_outcome.h"
#include "meter/dev_comm.h"
#include "meter/link_context.h"
#include "meter/link_factory.h"

namespace meridane {

// What links are built over. Null members mean the system backends and real pauses; the
// meter emulator or a test puts its own in. The sleeper also takes the download's own
// fixed waits.
struct MeterAccess {
  HidBackend* hid = nullptr;
  SerialBackend* serial = nullptr;
  Sleeper* sleeper = nullptr;

  LinkContext Context(const CancelFlag* cancel = nullptr, bool multipleManagement = false,
                      ReadProgress* progress = nullptr) const;
  Sleeper& Sleep() const;
};

// The meter's serial number as the download keeps it between runs: room for 11 characters
// and the checksum byte, and the length in use (5 until a meter has been read).
struct MeterSerial {
  std::array<std::uint8_t, 12> buffer{};
  std::uint8_t length = 5;

  // The first `length` bytes of the buffer.
  std::string Text() const;
};

// The first link that opens, trying the families in the table's detection order (others are closed again), or nullptr.
// `lastOpen` receives the last Open result tried.
std::unique_ptr<CDevComm> OpenFirstMeter(const LinkContext& ctx, LinkResult* lastOpen = nullptr);

// Reads the serial number of the attached meter into `serial`; 0, or 0xFFFD when the text
// held afterwards has a character outside 0-9, A-Z, a-{. With no meter attached the serial
// of the last meter read is kept and judged.
DownloadResult ReadMeterSerial(const MeterAccess& access, MeterSerial& serial);

}  // namespace meridane
