#pragma once
// How the HID links reach the operating system: enumerate interfaces, open one by path, read
// its product string, send output reports and read input reports by report ID. The real
// backend uses hidapi (hidraw); the meter emulator provides another.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace meridane {

struct HidCaps {
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
  std::uint16_t inputReportLength = 0;  // 0 when the platform does not say
  std::uint16_t outputReportLength = 0;
  bool readable = true;  // false: capabilities could not be read, interface is skipped
};

struct HidInterfaceInfo {
  std::string path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  HidCaps caps;
};

// One open interface. Closed when destroyed.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // Product string narrowed to bytes (ASCII as is, anything else UTF-8); nullopt on failure.
  virtual std::optional<std::string> ProductString() = 0;
  // report[0] is the report ID. True when the whole report was sent.
  virtual bool SendOutputReport(std::span<const std::uint8_t> report) = 0;
  // report[0] holds the report ID on entry. Returns the number of bytes received (report ID
  // included) or -1 on failure; never writes past the span.
  virtual int GetInputReport(std::span<std::uint8_t> report) = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // Present interfaces in the platform's enumeration order; empty on failure.
  virtual std::vector<HidInterfaceInfo> Enumerate() = 0;
  // nullptr when the path cannot be opened.
  virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
};

// The hidapi backend, shared by the process (hid_init runs once).
HidBackend& SystemHidBackend();

}  // namespace meridane
