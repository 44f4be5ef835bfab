#pragma once
// Outcome codes of every meter link operation. Failures are returned, never thrown.
#include <cstdint>

namespace meridane {

using LinkResult = std::uint32_t;

inline constexpr LinkResult LINK_OK = 0;
inline constexpr LinkResult LINK_NOT_FOUND = 1;  // HID Open: no interface has the product string
inline constexpr LinkResult ERROR_INVALID_DATA = 13;
inline constexpr LinkResult ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr LinkResult LINK_WRITE_FAILED = 0xFFF0;
inline constexpr LinkResult LINK_BAD_SERIAL = 0xFFF2;
inline constexpr LinkResult LINK_NOT_CLINIC_METER = 0xFFF3;
inline constexpr LinkResult LINK_CLINIC_METER = 0xFFF4;
inline constexpr LinkResult LINK_TIMEOUT = 0xFFF5;
inline constexpr LinkResult LINK_NOT_SUPPORTED = 0xFFFA;
inline constexpr LinkResult LINK_NO_RECORDS = 0xFFFC;
inline constexpr LinkResult LINK_READ_FAILED = 0xFFFD;
inline constexpr LinkResult LINK_CANCELLED = 0xFFFE;
inline constexpr LinkResult LINK_DEVICE_GONE = 0xFFFF;

// "LINK_TIMEOUT" etc., or the number in hex for an unknown code (for logs and CLI output).
const char* LinkResultName(LinkResult r);

}  // namespace meridane
