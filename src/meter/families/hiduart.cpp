#include "meter/families/hiduart.h"

#include <cstring>

#include "meter/meter_image.h"

namespace meridane {
namespace {

constexpr std::uint32_t kBridgePauseMs = 100;

}  // namespace

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
