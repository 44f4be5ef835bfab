#pragma once
// The meter link interface. A link finds one kind of meter, opens it and reads its serial
// number and memory image. Calling order: construct, Open(0); on LINK_OK ReadSerialNumber,
// then ReadRecords or ReadClinicRecords; Close (harmless when not open); destroy.
// Links never throw and show nothing; one link serves one download on one thread.
#include <cstdint>
#include <memory>
#include <span>

#include "meter/link_result.h"

namespace meridane {

// An open device as an opaque number; -1 when closed.
using LinkHandle = std::intptr_t;
inline constexpr LinkHandle kInvalidLinkHandle = -1;

// The handle of an owned device: its address, or kInvalidLinkHandle when there is none.
template <typename Device>
LinkHandle HandleOf(const std::unique_ptr<Device>& d) {
  return d ? reinterpret_cast<LinkHandle>(d.get()) : kInvalidLinkHandle;
}

class CDevComm {
 public:
  virtual LinkResult Open(std::uint32_t unused);  // 1167
  virtual int Close();                            // 1
  // Fills `buffer` (callers pass kImageBufferSize bytes) with the memory image; byteCount is
  // 8 × recordCount + 1. Never writes past the span.
  virtual LinkResult ReadRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                 std::uint32_t& recordCount);          // 13
  virtual int Reserved1(std::uint32_t, std::uint32_t, std::uint32_t);  // 13
  virtual int Reserved2(std::uint32_t, std::uint32_t, std::uint32_t);  // 13
  virtual LinkHandle GetHandle() const;                                // -1
  virtual LinkResult OpenPort();                                       // 1167
  // Does not close the device: call Close first.
  virtual ~CDevComm();
  virtual LinkResult WriteBlock(std::span<const std::uint8_t> bytes);  // LINK_NOT_SUPPORTED
  // buffer ≥ 12 bytes: `length` (10 or 11) characters then the checksum byte, unterminated.
  virtual LinkResult ReadSerialNumber(std::span<std::uint8_t> buffer,
                                      std::uint8_t& length);  // LINK_NOT_SUPPORTED
  virtual LinkResult ReadClinicRecords(std::span<std::uint8_t> buffer, std::uint32_t& byteCount,
                                       std::uint32_t& recordCount);  // LINK_NOT_SUPPORTED
};

}  // namespace meridane
