#include "meter/families/usb_serial.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "meter/meter_image.h"

namespace meridane {
namespace {

constexpr int kWriteAttempts = 200;
constexpr std::uint32_t kWriteWaitMs = 40;
constexpr std::uint32_t kAfterImageCommandMs = 100;
constexpr std::size_t kSerialAnswerSize = 40;

}  // namespace

LinkResult CCommUSB::Open(std::uint32_t) {
  auto ports = ctx_.Serial().ListPorts();
  if (!ports) return LINK_NOT_FOUND;
  for (const auto& info : *ports) {
    if (!IsCp210xPort(info)) continue;
    portPath_ = info.path;
    if (OpenPort() == LINK_OK) return LINK_OK;
  }
  return ERROR_DEVICE_NOT_CONNECTED;
}

LinkResult CCommUSB::OpenPort() {
  writeTimeout_ = false;
  port_ = ctx_.Serial().Open(portPath_);
  if (!port_) {
    Close();
    return LINK_DEVICE_GONE;
  }
  port_->Purge();
  timeouts_ = kOpenPortTimeouts;
  if (!port_->Configure(SerialLine{}) || !port_->SetTimeouts(timeouts_)) {
    Close();
    return ERROR_DEVICE_NOT_CONNECTED;
  }
  return LINK_OK;
}

int CCommUSB::Close() {
  writeTimeout_ = false;
  if (port_) {
    port_->Purge();
    port_->Drain();
    port_.reset();
  }
  return 1;
}

LinkHandle CCommUSB::GetHandle() const {
  return HandleOf(port_);
}

LinkResult CCommUSB::WriteBlock(std::span<const std::uint8_t>) { return LINK_OK; }

// The outcome is not reported: the read that follows fails or times out on its own.
void CCommUSB::WriteByte(std::uint8_t b) {
  const std::uint8_t one[1] = {b};
  SerialIo io = port_->Write(one, kWriteAttempts, kWriteWaitMs);
  if (io.status == SerialStatus::Ok && io.bytes < 1) writeTimeout_ = true;
}

void CCommUSB::AbortRead(bool closePort) {
  if (port_) port_->Purge();
  if (closePort) Close();
}

LinkResult CCommUSB::ReadSerialNumber(std::span<std::uint8_t> buffer, std::uint8_t& length) {
  if (!port_) return LINK_READ_FAILED;
  timeouts_ = kSerialNumberTimeouts;
  port_->SetTimeouts(timeouts_);
  port_->Purge();
  port_->Drain();
  // The driver keeps what arrives after the write, so writing first loses nothing.
  WriteByte('R');
  std::array<std::uint8_t, kSerialAnswerSize> answer{};
  const SerialIo io = port_->Read(answer, ctx_.cancel);
  if (io.status == SerialStatus::Gone) {
    AbortRead(true);
    return LINK_DEVICE_GONE;
  }
  if (io.status == SerialStatus::Cancelled) {
    AbortRead(false);
    return LINK_CANCELLED;
  }
  if (io.status != SerialStatus::Ok) return LINK_READ_FAILED;

  const bool longForm = answer[0] == kLongSerialMarker;
  length = longForm ? 11 : 10;
  const std::size_t skip = longForm ? 1 : 0;
  const std::size_t n = std::size_t{length} + 1;
  // Only bytes that really arrived count: silence or a cut-off block is no serial number.
  if (io.bytes < skip + n || buffer.size() < n) return LINK_READ_FAILED;
  std::memcpy(buffer.data(), answer.data() + skip, n);
  if (!SerialChecksumOk(buffer, length)) return LINK_READ_FAILED;
  if (answer[0] == 0 && answer[1] == 0 && answer[2] == 0) return LINK_READ_FAILED;
  return LINK_OK;
}

LinkResult CCommUSB::ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                 std::uint32_t& recordCount) {
  std::fill(buffer.begin(), buffer.end(), 0);
  byteCount = 0;
  recordCount = 0;
  if (!port_ || buffer.size() < kImageHeaderSize) return LINK_READ_FAILED;
  port_->Purge();
  port_->Drain();
  WriteByte('E');
  ctx_.Sleep().SleepMs(kAfterImageCommandMs);

  SerialIo io = port_->Read(buffer.first(kImageHeaderSize), ctx_.cancel);
  if (io.status == SerialStatus::Gone || io.status == SerialStatus::Cancelled) {
    AbortRead(true);
    return io.status == SerialStatus::Gone ? LINK_DEVICE_GONE : LINK_CANCELLED;
  }
  if (io.status != SerialStatus::Ok || io.bytes < kImageHeaderSize ||
      buffer[0] != kPersonalMeterType) {
    Close();
    return LINK_READ_FAILED;
  }
  const std::uint32_t count = ImageRecordCount(buffer[1], buffer[2]);
  ctx_.ReportTotal(count);
  if (count == 0) {
    Close();
    return LINK_NO_RECORDS;
  }
  const std::size_t body = ImageByteCount(count);
  if (count > kMaxImageRecords || kImageHeaderSize + body > buffer.size()) {
    Close();
    return LINK_READ_FAILED;
  }

  // The body's own timeouts, whatever the serial-number read left behind: the 2 s gap ends a
  // read from a meter that stopped early instead of waiting out the 300 s.
  timeouts_ = kImageBodyTimeouts;
  port_->SetTimeouts(timeouts_);
  io = port_->Read(buffer.subspan(kImageHeaderSize, body), ctx_.cancel);
  if (io.status == SerialStatus::Cancelled) {
    AbortRead(false);  // the port stays open; the caller closes it
    return LINK_CANCELLED;
  }
  if (io.status == SerialStatus::Gone) {
    AbortRead(true);
    return LINK_DEVICE_GONE;
  }
  Close();
  ctx_.ReportReceived(kImageHeaderSize + io.bytes);
  // Every record must be in; the trailing byte is not used.
  if (io.status != SerialStatus::Ok || io.bytes < body - 1) return LINK_READ_FAILED;
  byteCount = static_cast<std::uint32_t>(io.bytes);
  recordCount = count;
  return LINK_OK;
}

}  // namespace meridane
