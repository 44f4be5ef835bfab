#pragma once
// The personal meter behind a CP210x USB-serial bridge: 1200 baud 8N1, DTR and RTS on, no
// flow control; "R" for the serial-number block and "E" for the memory image, without the
// block handshake of the HID families.
#include <memory>
#include <string>

#include "meter/dev_comm.h"
#include "meter/link_context.h"
#include "meter/transport/serial_backend.h"

namespace meridane {

inline constexpr SerialTimeouts kOpenPortTimeouts{2000, 0, 5000, 0, 0};
inline constexpr SerialTimeouts kSerialNumberTimeouts{0, 0, 3000, 0, 100};
inline constexpr SerialTimeouts kImageBodyTimeouts{2000, 0, 300000, 0, 0};

class CCommUSB : public CDevComm {
 public:
  explicit CCommUSB(const LinkContext& ctx = {}) : ctx_(ctx) {}
  // First bridge port (in listing order) that opens and configures: LINK_OK; none: 1167.
  LinkResult Open(std::uint32_t unused) override;
  int Close() override;
  // Closes the port on every path except a cancel during the body.
  LinkResult ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                         std::uint32_t& recordCount) override;
  LinkHandle GetHandle() const override;
  // Opens and configures portPath(): LINK_DEVICE_GONE when it cannot be opened, 1167 when it
  // cannot be configured.
  LinkResult OpenPort() override;
  LinkResult WriteBlock(std::span<const std::uint8_t> bytes) override;  // LINK_OK, sends nothing
  LinkResult ReadSerialNumber(std::span<std::uint8_t> buffer, std::uint8_t& length) override;

  const std::string& portPath() const { return portPath_; }
  void setPortPath(std::string path) { portPath_ = std::move(path); }
  bool writeTimedOut() const { return writeTimeout_; }
  const SerialTimeouts& timeouts() const { return timeouts_; }

 private:
  void WriteByte(std::uint8_t b);
  // Cleanup after a read that ended in cancel or device loss.
  void AbortRead(bool closePort);

  LinkContext ctx_;
  bool writeTimeout_ = false;
  SerialTimeouts timeouts_;
  std::unique_ptr<SerialPort> port_;
  std::string portPath_;
};

}  // namespace meridane
