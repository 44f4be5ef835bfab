#include "meter/transport/hid_transport.h"

namespace meridane {

std::vector<HidInterfaceInfo> EnumerateHidInterfaces(HidBackend& backend) {
  std::vector<HidInterfaceInfo> table;
  for (auto& info : backend.Enumerate()) {
    if (info.path.empty() || info.path.size() > kMaxHidPathLength || !info.caps.readable) continue;
    if (table.size() == kMaxHidInterfaces) break;
    table.push_back(std::move(info));
  }
  return table;
}

int OpenHidByProduct(HidBackend& backend, std::unique_ptr<HidDevice>& device,
                     const std::string& product) {
  device.reset();
  for (const auto& info : EnumerateHidInterfaces(backend)) {
    auto candidate = backend.Open(info.path);
    if (!candidate) continue;
    // The string is compared whole, byte for byte: "MK72 " and "mk72" are other devices.
    if (auto name = candidate->ProductString(); name && *name == product) {
      device = std::move(candidate);
      return 0;
    }
  }
  return 1;
}

bool HidSendByte(HidDevice& device, std::uint8_t b) {
  std::array<std::uint8_t, kHidOutputSize> report{};
  report[0] = kReportSend;
  report[1] = b;
  return device.SendOutputReport(report);
}

bool HidFlush(HidDevice& device) {
  HidInputReport report{};
  report[0] = kReportFlush;
  return device.GetInputReport(report) > 0;
}

bool HidReadData(HidDevice& device, HidInputReport& report) {
  report.fill(0);
  report[0] = kReportData;
  // The ready bit and the 32 data bytes must all be there; a shorter answer is malformed.
  return device.GetInputReport(report) >= static_cast<int>(kHidInputSize);
}

LinkResult HidPollReady(HidDevice& device, HidInputReport& report) {
  for (int pass = 1;; ++pass) {
    if (!HidReadData(device, report)) return LINK_READ_FAILED;
    if (pass > kMaxReadyPolls) return LINK_TIMEOUT;
    if (HidDataReady(report)) return LINK_OK;
  }
}

}  // namespace meridane
