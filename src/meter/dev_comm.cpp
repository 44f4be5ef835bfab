#include "meter/dev_comm.h"

#include <algorithm>

#include "meter/link_context.h"
#include "meter/meter_image.h"
#include "meter/transport/hid_backend.h"
#include "meter/transport/serial_backend.h"

namespace meridane {

LinkResult CDevComm::Open(std::uint32_t) { return ERROR_DEVICE_NOT_CONNECTED; }
int CDevComm::Close() { return 1; }
LinkResult CDevComm::ReadRecords(std::span<std::uint8_t>, std::uint32_t&, std::uint32_t&) {
  return ERROR_INVALID_DATA;
}
int CDevComm::Reserved1(std::uint32_t, std::uint32_t, std::uint32_t) { return static_cast<int>(ERROR_INVALID_DATA); }
int CDevComm::Reserved2(std::uint32_t, std::uint32_t, std::uint32_t) { return static_cast<int>(ERROR_INVALID_DATA); }
LinkHandle CDevComm::GetHandle() const { return kInvalidLinkHandle; }
LinkResult CDevComm::OpenPort() { return ERROR_DEVICE_NOT_CONNECTED; }
CDevComm::~CDevComm() = default;
LinkResult CDevComm::WriteBlock(std::span<const std::uint8_t>) { return LINK_NOT_SUPPORTED; }
LinkResult CDevComm::ReadSerialNumber(std::span<std::uint8_t>, std::uint8_t&) {
  return LINK_NOT_SUPPORTED;
}
LinkResult CDevComm::ReadClinicRecords(std::span<std::uint8_t>, std::uint32_t&, std::uint32_t&) {
  return LINK_NOT_SUPPORTED;
}

HidBackend& LinkContext::Hid() const { return hid ? *hid : SystemHidBackend(); }
SerialBackend& LinkContext::Serial() const { return serial ? *serial : SystemSerialBackend(); }
Sleeper& LinkContext::Sleep() const { return sleeper ? *sleeper : DefaultSleeper(); }

void LinkContext::ReportTotal(std::uint32_t records) const {
  if (progress) progress->total.store(records, std::memory_order_relaxed);
}

void LinkContext::ReportReceived(std::size_t imageBytes) const {
  if (!progress) return;
  const std::uint32_t total = progress->total.load(std::memory_order_relaxed);
  const std::size_t whole =
      imageBytes > kImageHeaderSize ? (imageBytes - kImageHeaderSize) / kRecordSize : 0;
  progress->done.store(static_cast<std::uint32_t>(std::min<std::size_t>(whole, total)),
                       std::memory_order_relaxed);
}

}  // namespace meridane
