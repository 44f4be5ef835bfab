#pragma once
// The protocol the 40-byte HID families share: "E" and the block handshake "a" for the
// memory image, "R" for the serial number, "W" for a write block, over output report 0x0C and
// input reports 0x0A/0x0B. A family subclasses it with its product string and, where it
// differs, its image-type judgement, serial character check and per-block pass limit.
#include <memory>
#include <string>

#include "meter/dev_comm.h"
#include "meter/link_context.h"
#include "meter/transport/hid_transport.h"

namespace meridane {

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

}  // namespace meridane
