#pragma once
// Family HIDUART: a personal meter behind a HID-to-UART bridge with 64-byte reports. The
// bridge is configured for 1200 baud, then "E" or "R" is sent and the answer arrives as a
// byte stream in data-in reports.
#include <array>
#include <memory>

#include "meter/dev_comm.h"
#include "meter/link_context.h"
#include "meter/transport/hid_transport.h"

namespace meridane {

inline constexpr const char* kProductHIDUART = "HIDUART";

// 64-byte report layout of the bridge.
inline constexpr std::size_t kUartReportSize = 64;
inline constexpr std::uint8_t kUartConfigReport = 0xFD;
inline constexpr std::uint8_t kUartDataOutReport = 0x02;
inline constexpr std::uint8_t kUartDataInReport = 0x01;
inline constexpr std::size_t kUartMaxData = kUartReportSize - 2;

class CCommHIDUART : public CDevComm {
 public:
  explicit CCommHIDUART(const LinkContext& ctx = {}) : ctx_(ctx) {}
  LinkResult Open(std::uint32_t unused) override;  // LINK_DEVICE_GONE when nothing matched
  int Close() override;
  LinkResult ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                         std::uint32_t& recordCount) override;
  LinkHandle GetHandle() const override;
  LinkResult WriteBlock(std::span<const std::uint8_t> bytes) override;  // LINK_OK, sends nothing
  LinkResult ReadSerialNumber(std::span<std::uint8_t> buffer, std::uint8_t& length) override;

 private:
  bool SendConfigure(bool release);
  bool SendCommand(std::uint8_t cmd);
  // Configure, pause, send the command, pause: how every bridge read begins.
  bool StartCommand(std::uint8_t cmd, std::uint32_t pauseAfterMs);
  // Reads one data-in report; n is checked against the report size. -1 on failure.
  int ReadDataIn(std::array<std::uint8_t, kUartReportSize>& report);

  LinkContext ctx_;
  std::unique_ptr<HidDevice> device_;
};

}  // namespace meridane
