#pragma once
// The HID transport the HID families share: enumeration into a bounded table, opening by
// product string, and the 40-byte report exchange (flush, send byte, ready poll). It knows no
// family; product strings come from the family table.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "meter/transport/hid_backend.h"
#include "meter/link_result.h"

namespace meridane {

inline constexpr std::size_t kMaxHidInterfaces = 64;
// Paths this long or longer are skipped (the detail record limit of the original platform).
inline constexpr std::size_t kMaxHidPathLength = 254;

// Up to kMaxHidInterfaces usable interfaces in enumeration order. Interfaces with an empty or
// over-long path or unreadable capabilities are left out; beyond 64 usable ones the rest are
// ignored. None of them is ever opened with an unset path.
std::vector<HidInterfaceInfo> EnumerateHidInterfaces(HidBackend& backend);

// 0 with `device` set when an interface whose product string equals `product` byte for byte
// was opened; the first match wins and every other handle is closed. 1 when none matched.
int OpenHidByProduct(HidBackend& backend, std::unique_ptr<HidDevice>& device,
                     const std::string& product);

// 40-byte report families.
inline constexpr std::size_t kHidOutputSize = 8;
inline constexpr std::size_t kHidInputSize = 40;
inline constexpr std::uint8_t kReportSend = 0x0C;
inline constexpr std::uint8_t kReportFlush = 0x0A;
inline constexpr std::uint8_t kReportData = 0x0B;
inline constexpr std::size_t kHidDataOffset = 8;  // 32 data bytes at 8..39
inline constexpr std::size_t kHidDataSize = 32;
inline constexpr int kMaxReadyPolls = 200;

using HidInputReport = std::array<std::uint8_t, kHidInputSize>;

// Output report 0x0C carrying `b`. True on success.
bool HidSendByte(HidDevice& device, std::uint8_t b);
// Reads input report 0x0A; content ignored. True on success.
bool HidFlush(HidDevice& device);
// One read of report 0x0B into `report`; false on failure or a short answer.
bool HidReadData(HidDevice& device, HidInputReport& report);
inline bool HidDataReady(const HidInputReport& report) { return (report[1] & 1) != 0; }
// Polls report 0x0B without pause until ready: LINK_OK, LINK_READ_FAILED on a failed read,
// LINK_TIMEOUT when the 201st read is reached.
LinkResult HidPollReady(HidDevice& device, HidInputReport& report);

}  // namespace meridane
