#pragma once
// Outcome codes of every meter link operation. Failures are returned, never thrown.
#include <cstdint>

namespace meridane {

// A distinct type, so that a link's code cannot be handed on where a download's outcome
// (DownloadResult) is expected; the values are those links have always returned.
enum class LinkResult : std::uint32_t {
  LINK_OK = 0,
  LINK_NOT_FOUND = 1,  // HID Open: no interface has the product string
  ERROR_INVALID_DATA = 13,
  ERROR_DEVICE_NOT_CONNECTED = 1167,
  LINK_WRITE_FAILED = 0xFFF0,
  LINK_BAD_SERIAL = 0xFFF2,
  LINK_NOT_CLINIC_METER = 0xFFF3,
  LINK_CLINIC_METER = 0xFFF4,
  LINK_TIMEOUT = 0xFFF5,
  LINK_NOT_SUPPORTED = 0xFFFA,
  LINK_NO_RECORDS = 0xFFFC,
  LINK_READ_FAILED = 0xFFFD,
  LINK_CANCELLED = 0xFFFE,
  LINK_DEVICE_GONE = 0xFFFF,
};
using enum LinkResult;

// "LINK_TIMEOUT" etc., or the number in hex for an unknown code (for logs and CLI output).
const char* LinkResultName(LinkResult r);

}  // namespace meridane
