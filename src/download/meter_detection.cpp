#include "download/meter_detection.h"

#include <algorithm>

#include "download/download_outcome.h"
#include "meter/sleeper.h"

namespace meridane {
namespace {

constexpr std::uint32_t kAfterSerialReadMs = 500;

bool SerialTextChar(std::uint8_t c) {
  return (c >= 0x30 && c <= 0x39) || (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7B);
}

}  // namespace

LinkContext MeterAccess::Context(const CancelFlag* cancel, bool multipleManagement,
                                 ReadProgress* progress) const {
  LinkContext ctx;
  ctx.hid = hid;
  ctx.serial = serial;
  ctx.sleeper = sleeper;
  ctx.cancel = cancel;
  ctx.multipleManagement = multipleManagement;
  ctx.progress = progress;
  return ctx;
}

Sleeper& MeterAccess::Sleep() const { return sleeper ? *sleeper : DefaultSleeper(); }

std::string MeterSerial::Text() const {
  std::size_t n = std::min<std::size_t>(length, buffer.size());
  return std::string(buffer.begin(), buffer.begin() + n);
}

std::unique_ptr<CDevComm> OpenFirstMeter(const LinkContext& ctx, LinkResult* lastOpen) {
  for (const MeterFamily* family : DetectionOrder()) {
    std::unique_ptr<CDevComm> link = family->make(ctx);
    LinkResult r = link->Open(0);
    if (lastOpen) *lastOpen = r;
    if (r == LINK_OK) return link;
    link->Close();
  }
  return nullptr;
}

DownloadResult ReadMeterSerial(const MeterAccess& access, MeterSerial& serial) {
  if (auto link = OpenFirstMeter(access.Context())) {
    std::fill(serial.buffer.begin(), serial.buffer.begin() + 11, std::uint8_t{0});
    // A bad checksum does not matter here: the characters are judged below.
    link->ReadSerialNumber(serial.buffer, serial.length);
    access.Sleep().SleepMs(kAfterSerialReadMs);
    link->Close();
  }
  std::size_t n = std::min<std::size_t>(serial.length, serial.buffer.size());
  for (std::size_t i = 0; i < n; ++i)
    if (!SerialTextChar(serial.buffer[i])) return kDownloadNoAnswer;
  return kDownloadOk;
}

}  // namespace meridane
