#pragma once
// The HID meter families: MK72, VXA ("GLUCOSE") and TR35 over 40-byte reports, and HIDUART
// behind a HID-to-UART bridge with 64-byte reports.
#include <memory>
#include <string>

#include "meter/dev_comm.h"
#include "meter/hid_transport.h"
#include "meter/link_context.h"

namespace meridane {

// Shared protocol of the 40-byte families; the subclasses differ in product string,
// image-type judgement, serial character check and the per-block pass limit.
class CCommHid40 : public CDevComm {
 public:
  LinkResult Open(std::uint32_t unused) override;
  int Close() override;
  LinkResult ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                         std::uint32_t& recordCount) override;
  LinkHandle GetHandle() const override;
  LinkResult WriteBlock(std::span<const std::uint8_t> bytes) override;
  LinkResult ReadSerialNumber(std::span<std::uint8_t> buffer, std::uint8_t& length) override;

 protected:
  enum class ImageKind { Personal, Clinic };
  CCommHid40(const LinkContext& ctx, std::string product)
      : ctx_(ctx), product_(std::move(product)) {}
  LinkResult ReadImage(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                       std::uint32_t& recordCount, ImageKind wanted);
  // LINK_OK to go on, or the result for this type byte.
  virtual LinkResult JudgeType(std::uint8_t type, ImageKind wanted) const;
  virtual bool CheckSerialChars() const { return false; }
  // 0: a block that is not ready is asked for again until cancelled.
  virtual int BlockPassLimit() const { return 0; }

  LinkContext ctx_;
  std::string product_;
  std::unique_ptr<HidDevice> device_;
};

class CCommHidMK72 : public CCommHid40 {
 public:
  explicit CCommHidMK72(const LinkContext& ctx = {}) : CCommHid40(ctx, kProductMK72) {}
};

class CCommHidVXA : public CCommHid40 {
 public:
  explicit CCommHidVXA(const LinkContext& ctx = {}) : CCommHid40(ctx, kProductVXA) {}
  LinkResult ReadClinicRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                               std::uint32_t& recordCount) override;

 protected:
  LinkResult JudgeType(std::uint8_t type, ImageKind wanted) const override;
  bool CheckSerialChars() const override { return true; }
};

class CCommHidTR35 : public CCommHid40 {
 public:
  explicit CCommHidTR35(const LinkContext& ctx = {}) : CCommHid40(ctx, kProductTR35) {}

 protected:
  int BlockPassLimit() const override { return kMaxReadyPolls; }
};

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
