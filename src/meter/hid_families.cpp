#include "meter/hid_families.h"

#include <algorithm>
#include <cstring>

#include "meter/meter_image.h"

namespace meridane {
namespace {

constexpr std::uint8_t kCmdImage = 'E';
constexpr std::uint8_t kCmdNextBlock = 'a';
constexpr std::uint8_t kCmdSerial = 'R';
constexpr std::uint8_t kCmdWrite = 'W';
constexpr std::uint32_t kCommandPauseMs = 200;
constexpr std::uint32_t kBlockPauseMs = 10;
constexpr std::uint32_t kBridgePauseMs = 100;

LinkHandle HandleOf(const std::unique_ptr<HidDevice>& d) {
  return d ? reinterpret_cast<LinkHandle>(d.get()) : kInvalidLinkHandle;
}

// Copies the serial block (length characters + checksum) starting at `block` and checks its
// sum; `available` bounds what the answer really holds.
LinkResult TakeSerialBlock(const std::uint8_t* block, std::size_t available,
                           std::span<std::uint8_t> buffer, std::uint8_t length) {
  const std::size_t n = std::size_t{length} + 1;
  if (available < n || buffer.size() < n) return LINK_READ_FAILED;
  std::memcpy(buffer.data(), block, n);
  return SerialChecksumOk(buffer, length) ? LINK_OK : LINK_READ_FAILED;
}

}  // namespace

// ---- 40-byte families ----

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

// ---- VXA ----

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

// ---- HIDUART ----

LinkResult CCommHIDUART::Open(std::uint32_t) {
  if (OpenHidByProduct(ctx_.Hid(), device_, kProductHIDUART) != 0) {
    Close();
    return LINK_DEVICE_GONE;
  }
  return LINK_OK;
}

int CCommHIDUART::Close() {
  device_.reset();
  return 1;
}

LinkHandle CCommHIDUART::GetHandle() const { return HandleOf(device_); }

LinkResult CCommHIDUART::WriteBlock(std::span<const std::uint8_t>) { return LINK_OK; }

bool CCommHIDUART::SendConfigure(bool release) {
  std::array<std::uint8_t, kUartReportSize> report{};
  report[0] = kUartConfigReport;
  if (!release) {
    // 1200 baud, big-endian.
    report[3] = 0x04;
    report[4] = 0xB0;
  }
  return device_ && device_->SendOutputReport(report);
}

bool CCommHIDUART::SendCommand(std::uint8_t cmd) {
  std::array<std::uint8_t, kUartReportSize> report{};
  report[0] = kUartDataOutReport;
  report[1] = 1;
  report[2] = cmd;
  return device_ && device_->SendOutputReport(report);
}

bool CCommHIDUART::StartCommand(std::uint8_t cmd, std::uint32_t pauseAfterMs) {
  if (!SendConfigure(false)) return false;
  ctx_.Sleep().SleepMs(kBridgePauseMs);
  if (!SendCommand(cmd)) return false;
  ctx_.Sleep().SleepMs(pauseAfterMs);
  return true;
}

int CCommHIDUART::ReadDataIn(std::array<std::uint8_t, kUartReportSize>& report) {
  if (!device_) return -1;
  report.fill(0);
  report[0] = kUartDataInReport;
  const int got = device_->GetInputReport(report);
  if (got < 2) return -1;
  const int n = report[1];
  // A count larger than the report (or than what arrived) is a malformed answer.
  if (n > static_cast<int>(kUartMaxData) || n + 2 > got) return -1;
  return n;
}

LinkResult CCommHIDUART::ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                     std::uint32_t& recordCount) {
  byteCount = 0;
  recordCount = 0;
  Sleeper& sleep = ctx_.Sleep();
  if (!StartCommand(kCmdImage, kBridgePauseMs)) return LINK_READ_FAILED;

  std::array<std::uint8_t, kUartReportSize> report{};
  int n = ReadDataIn(report);
  if (n <= 0) return LINK_READ_FAILED;
  std::size_t pos = 0;
  auto append = [&](const std::uint8_t* from, std::size_t len) {
    if (pos + len > buffer.size()) return false;
    std::memcpy(buffer.data() + pos, from, len);
    pos += len;
    return true;
  };
  bool appended = false;
  if (report[2] == kPersonalMeterType) {
    appended = append(report.data() + 2, n);
  } else if (n >= 2 && report[3] == kPersonalMeterType) {
    appended = append(report.data() + 3, n - 1);  // the bridge let one stray byte through first
  }
  if (!appended) return LINK_READ_FAILED;
  if (pos >= 3) ctx_.ReportTotal(ImageRecordCount(buffer[1], buffer[2]));
  ctx_.ReportReceived(pos);
  for (;;) {
    sleep.SleepMs(kBridgePauseMs);
    n = ReadDataIn(report);
    if (n < 0) return LINK_READ_FAILED;
    if (n == 0) break;
    // A stream that would overrun the caller's buffer cannot be a valid image.
    if (!append(report.data() + 2, n)) return LINK_READ_FAILED;
    ctx_.ReportReceived(pos);
  }

  const std::uint32_t count = pos >= 3 ? ImageRecordCount(buffer[1], buffer[2]) : 0;
  recordCount = count;
  byteCount = ImageByteCount(count);
  if (!SendConfigure(true)) return LINK_READ_FAILED;
  if (pos < 3) return LINK_READ_FAILED;
  if (count == 0) return LINK_NO_RECORDS;
  if (count > kMaxUartImageRecords) return LINK_READ_FAILED;
  // Every record must have arrived before the stream ended.
  if (pos < kImageHeaderSize + kRecordSize * count) return LINK_READ_FAILED;
  return LINK_OK;
}

LinkResult CCommHIDUART::ReadSerialNumber(std::span<std::uint8_t> buffer, std::uint8_t& length) {
  if (!StartCommand(kCmdSerial, kCommandPauseMs)) return LINK_READ_FAILED;
  std::array<std::uint8_t, kUartReportSize> report{};
  const int n = ReadDataIn(report);
  if (n < 0) return LINK_READ_FAILED;
  const bool longForm = report[2] == kLongSerialMarker;
  length = longForm ? 11 : 10;
  // Only the n bytes the bridge delivered count; an empty answer is no serial number.
  const std::size_t skip = longForm ? 1 : 0;
  const std::size_t available = static_cast<std::size_t>(n) > skip ? n - skip : 0;
  return TakeSerialBlock(report.data() + 2 + skip, available, buffer, length);
}

}  // namespace meridane
