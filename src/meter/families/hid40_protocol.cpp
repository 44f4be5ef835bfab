#include "meter/families/hid40_protocol.h"

#include <algorithm>
#include <cstring>

#include "meter/meter_image.h"

namespace meridane {
namespace {

constexpr std::uint32_t kBlockPauseMs = 10;

}  // namespace

LinkResult CCommHid40::Open(std::uint32_t) {
  return static_cast<LinkResult>(OpenHidByProduct(ctx_.Hid(), device_, product_));
}

int CCommHid40::Close() {
  device_.reset();
  return 1;
}

LinkHandle CCommHid40::GetHandle() const { return HandleOf(device_); }

LinkResult CCommHid40::JudgeType(std::uint8_t type, ImageKind) const {
  return type == kPersonalMeterType ? LINK_OK : LINK_READ_FAILED;
}

LinkResult CCommHid40::ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                   std::uint32_t& recordCount) {
  return ReadImage(buffer, byteCount, recordCount, ImageKind::Personal);
}

LinkResult CCommHid40::ReadImage(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                 std::uint32_t& recordCount, ImageKind wanted) {
  byteCount = 0;
  recordCount = 0;
  if (!device_) return LINK_WRITE_FAILED;
  HidDevice& dev = *device_;
  Sleeper& sleep = ctx_.Sleep();

  if (!HidFlush(dev) || !HidSendByte(dev, kCmdImage)) return LINK_WRITE_FAILED;
  sleep.SleepMs(kCommandPauseMs);
  HidInputReport report{};
  if (LinkResult r = HidPollReady(dev, report); r != LINK_OK) return r;
  const std::uint8_t* data = report.data() + kHidDataOffset;
  if (LinkResult r = JudgeType(data[0], wanted); r != LINK_OK) return r;

  const std::uint32_t count = ImageRecordCount(data[1], data[2]);
  const std::uint32_t blocks = (8 * count + 5) >> 5;
  // The whole image arrives in 1 + blocks pieces of 32 bytes; refuse what cannot fit rather
  // than write past the caller's buffer.
  if (count > kMaxImageRecords || (std::size_t{blocks} + 1) * kHidDataSize > buffer.size())
    return LINK_READ_FAILED;

  recordCount = count;
  byteCount = ImageByteCount(count);
  std::memcpy(buffer.data(), data, kHidDataSize);
  ctx_.ReportTotal(count);
  ctx_.ReportReceived(kHidDataSize);
  if (count == 0) return LINK_NO_RECORDS;
  if (count < 4) return LINK_OK;

  std::size_t pos = kHidDataSize;
  const int passLimit = BlockPassLimit();
  for (std::uint32_t block = 0; block < blocks; ++block) {
    for (int pass = 1;; ++pass) {
      sleep.SleepMs(kBlockPauseMs);
      if (!HidFlush(dev) || !HidSendByte(dev, kCmdNextBlock)) return LINK_WRITE_FAILED;
      sleep.SleepMs(kCommandPauseMs);
      if (!HidReadData(dev, report)) return LINK_WRITE_FAILED;
      if (ctx_.Cancelled()) return LINK_CANCELLED;
      if (passLimit > 0 && pass > passLimit) return LINK_TIMEOUT;
      if (HidDataReady(report)) break;
    }
    std::memcpy(buffer.data() + pos, report.data() + kHidDataOffset, kHidDataSize);
    pos += kHidDataSize;
    ctx_.ReportReceived(pos);
    sleep.SleepMs(kBlockPauseMs);
  }
  return LINK_OK;
}

LinkResult CCommHid40::ReadSerialNumber(std::span<std::uint8_t> buffer, std::uint8_t& length) {
  if (!device_) return LINK_WRITE_FAILED;
  HidDevice& dev = *device_;
  if (!HidFlush(dev) || !HidSendByte(dev, kCmdSerial)) return LINK_WRITE_FAILED;
  ctx_.Sleep().SleepMs(kCommandPauseMs);
  HidInputReport report{};
  if (LinkResult r = HidPollReady(dev, report); r != LINK_OK) return r;

  const std::uint8_t* data = report.data() + kHidDataOffset;
  const bool longForm = data[0] == kLongSerialMarker;
  length = longForm ? 11 : 10;
  const std::uint8_t* block = longForm ? data + 1 : data;
  const std::size_t available = kHidDataSize - (longForm ? 1 : 0);
  if (LinkResult r = TakeSerialBlock(block, available, buffer, length); r != LINK_OK) return r;
  if (CheckSerialChars() && !std::all_of(buffer.begin(), buffer.begin() + 10,
                                         [](std::uint8_t c) { return IsAllowedSerialChar(c); }))
    return LINK_BAD_SERIAL;
  return LINK_OK;
}

LinkResult CCommHid40::WriteBlock(std::span<const std::uint8_t> bytes) {
  if (!device_) return LINK_WRITE_FAILED;
  HidDevice& dev = *device_;
  if (!HidFlush(dev) || !HidSendByte(dev, kCmdWrite)) return LINK_WRITE_FAILED;
  for (std::uint8_t b : bytes) {
    if (!HidSendByte(dev, b)) return LINK_WRITE_FAILED;
    ctx_.Sleep().SleepMs(kCommandPauseMs);
  }
  return HidSendByte(dev, Checksum8(bytes)) ? LINK_OK : LINK_WRITE_FAILED;
}

}  // namespace meridane
