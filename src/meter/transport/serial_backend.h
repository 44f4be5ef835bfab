#pragma once
// How the USB-serial link reaches the operating system: list serial ports with their USB
// identity, open one, set the line and timeouts, read and write with those timeouts, purge.
// The real backend finds ports with libserialport and does I/O through termios (which also
// works on a pseudo-terminal); the meter emulator provides another.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "meter/sleeper.h"

namespace meridane {

struct SerialPortInfo {
  std::string path;         // /dev/ttyUSB0, or \\.\COM3 on Windows
  std::string description;  // USB product description or the friendly name
  int usbVendorId = -1;     // -1 when not a USB port
  int usbProductId = -1;
};

// Millisecond timeouts with the meaning of the COMMTIMEOUTS fields: a read ends when its
// bytes are in, when readTotalConstant + readTotalMultiplier × n ms have passed (0 = no
// total limit) or when readInterval ms pass between two bytes after the first (0 = unused).
struct SerialTimeouts {
  std::uint32_t readInterval = 0;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 0;
  std::uint32_t writeTotalConstant = 0;
  bool operator==(const SerialTimeouts&) const = default;
};

struct SerialLine {
  std::uint32_t baud = 1200;
  int dataBits = 8;
  bool parity = false;
  int stopBits = 1;
  bool dtr = true;
  bool rts = true;
  bool hardwareFlow = false;
  bool xonXoff = false;
};

enum class SerialStatus {
  Ok,         // bytes transferred (possibly fewer than asked when a timeout ended the read)
  Cancelled,  // the cancel flag was raised
  Gone,       // the device vanished (EIO/ENXIO, hang-up)
  Failed,     // any other error
};

struct SerialIo {
  SerialStatus status = SerialStatus::Failed;
  std::size_t bytes = 0;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;  // closes the port
  virtual bool Configure(const SerialLine& line) = 0;
  virtual bool SetTimeouts(const SerialTimeouts& t) = 0;
  // Discards unread input and unsent output.
  virtual void Purge() = 0;
  // Waits until written bytes have left.
  virtual void Drain() = 0;
  // Writes all bytes or gives up after `attempts` waits of `waitMs` (Ok with fewer bytes).
  virtual SerialIo Write(std::span<const std::uint8_t> bytes, int attempts,
                         std::uint32_t waitMs) = 0;
  // Reads up to buffer.size() bytes under the current timeouts, watching `cancel`.
  virtual SerialIo Read(std::span<std::uint8_t> buffer, const CancelFlag* cancel) = 0;
};

class SerialBackend {
 public:
  virtual ~SerialBackend() = default;
  // nullopt when the platform cannot list ports at all.
  virtual std::optional<std::vector<SerialPortInfo>> ListPorts() = 0;
  // Exclusive open; nullptr on failure.
  virtual std::unique_ptr<SerialPort> Open(const std::string& path) = 0;
};

// libserialport to list, termios to talk; process-wide.
SerialBackend& SystemSerialBackend();
// The termios port on its own (any tty or pty path), for tests and tools.
std::unique_ptr<SerialPort> OpenTermiosPort(const std::string& path);

// The CP210x bridge: USB 10C4:EA60, or a description containing "CP210x", or (Windows
// friendly names) "Silicon Labs CP210x USB to UART".
inline constexpr std::uint16_t kCp210xVendorId = 0x10C4;
inline constexpr std::uint16_t kCp210xProductId = 0xEA60;
bool IsCp210xPort(const SerialPortInfo& info);
// Windows friendly name "Silicon Labs CP210x USB to UART Bridge (COM12)" → "\\.\COM12";
// nullopt when the name is not the bridge's or holds no "COM".
std::optional<std::string> ComPathFromFriendlyName(const std::string& friendlyName);

}  // namespace meridane
