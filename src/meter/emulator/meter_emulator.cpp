#include "meter/emulator/meter_emulator.h"

#include <algorithm>
#include <cstring>

#include "meter/families/hiduart.h"
#include "meter/transport/hid_transport.h"
#include "meter/meter_image.h"

namespace meridane {

MeterEmulator::MeterEmulator(LinkKind kind, std::vector<std::uint8_t> image, std::string serial,
                             EmulatorFaults faults)
    : kind_(kind),
      transport_(FindMeterFamily(kind) ? FindMeterFamily(kind)->transport : MeterTransport::Hid40),
      image_(std::move(image)),
      serial_(std::move(serial)),
      faults_(faults) {
  if (faults_.typeByte && !image_.empty()) image_[0] = *faults_.typeByte;
}

std::string MeterEmulator::ProductString() const { return HidProductName(kind_); }

std::size_t MeterEmulator::InputReportSize() const {
  return transport_ == MeterTransport::HidUart ? kUartReportSize : kHidInputSize;
}

std::vector<std::uint8_t> MeterEmulator::SerialBlock() const {
  auto block = BuildSerialBlock(serial_);
  if (faults_.badSerialChecksum) block.back() = static_cast<std::uint8_t>(block.back() + 1);
  return block;
}

void MeterEmulator::PrepareBlock(int index) {
  // A block asked for again keeps counting down its not-ready polls.
  const bool again = index == pendingBlock_ && !pendingDelivered_;
  if (faults_.goneFromBlock >= 0 && index >= faults_.goneFromBlock) gone_ = true;
  pending_.assign(kHidDataSize, 0);
  const std::size_t from = std::size_t(index) * kHidDataSize;
  if (from < image_.size())
    std::copy_n(image_.begin() + from, std::min(kHidDataSize, image_.size() - from),
                pending_.begin());
  pendingBlock_ = index;
  pendingDelivered_ = false;
  if (!again) notReadyLeft_ = faults_.notReadyPolls;
}

void MeterEmulator::StartStream(bool image) {
  stream_.clear();
  streamPos_ = 0;
  streamGoneAtLimit_ = false;
  if (!image) {
    if (!faults_.silentSerial) stream_ = SerialBlock();
    streamLimit_ = stream_.size();
    return;
  }
  const bool lead = faults_.uartLeadingByte && transport_ == MeterTransport::HidUart;
  if (lead) stream_.push_back(0x00);
  stream_.insert(stream_.end(), image_.begin(), image_.end());
  streamLimit_ = stream_.size();
  const std::size_t offset = lead ? 1 : 0;
  if (faults_.stopFromBlock >= 0)
    streamLimit_ = std::min(streamLimit_, offset + faults_.stopFromBlock * kHidDataSize);
  if (faults_.goneFromBlock >= 0) {
    streamLimit_ = std::min(streamLimit_, offset + faults_.goneFromBlock * kHidDataSize);
    streamGoneAtLimit_ = true;
  }
}

void MeterEmulator::Command(std::uint8_t cmd) {
  commands_.push_back(cmd);
  if (transport_ != MeterTransport::Hid40) {
    if (cmd == 'E' || cmd == 'R') StartStream(cmd == 'E');
    return;
  }
  switch (cmd) {
    case 'E':
      pendingBlock_ = -1;
      PrepareBlock(0);
      break;
    case 'a':
      // A block that was not collected is offered again rather than skipped.
      if (pendingBlock_ >= 0) PrepareBlock(pendingDelivered_ ? pendingBlock_ + 1 : pendingBlock_);
      break;
    case 'R':
      pending_ = SerialBlock();
      pending_.resize(kHidDataSize, 0);
      pendingBlock_ = -2;
      pendingDelivered_ = false;
      notReadyLeft_ = faults_.notReadyPolls;
      break;
    case 'W':
      inWrite_ = true;
      break;
    default:
      break;
  }
}

bool MeterEmulator::OnOutputReport(std::span<const std::uint8_t> report) {
  std::lock_guard lock(mu_);
  if (gone_) return false;
  if (report.empty()) return true;
  if (transport_ == MeterTransport::HidUart) {
    if (report[0] == kUartConfigReport) {
      static constexpr std::uint8_t k1200[4] = {0x00, 0x00, 0x04, 0xB0};
      uartConfigured_ = report.size() >= 5 && std::equal(k1200, k1200 + 4, report.begin() + 1);
    } else if (report[0] == kUartDataOutReport && report.size() >= 2 && uartConfigured_) {
      const std::size_t n = std::min<std::size_t>(report[1], report.size() - 2);
      for (std::size_t i = 0; i < n; ++i) Command(report[2 + i]);
    }
    return true;
  }
  if (report[0] != kReportSend || report.size() < 2) return true;
  if (inWrite_)
    written_.push_back(report[1]);
  else
    Command(report[1]);
  return true;
}

int MeterEmulator::Hid40Input(std::span<std::uint8_t> report) {
  const std::uint8_t id = report[0];
  std::fill(report.begin(), report.end(), 0);
  report[0] = id;
  const int size = static_cast<int>(std::min(report.size(), kHidInputSize));
  if (id == kReportFlush) {
    inWrite_ = false;  // every operation starts with a flush, which ends a write block
    return size;
  }
  if (id != kReportData) return -1;
  ++dataPolls_;
  if (pendingBlock_ == -1) return size;
  if (notReadyLeft_ > 0) {
    --notReadyLeft_;
    return size;
  }
  const bool stalled = pendingBlock_ == -2
                           ? faults_.silentSerial
                           : faults_.stopFromBlock >= 0 && pendingBlock_ >= faults_.stopFromBlock;
  if (stalled) return size;
  report[1] = 1;
  if (report.size() > kHidDataOffset)
    std::copy_n(pending_.begin(), std::min(kHidDataSize, report.size() - kHidDataOffset),
                report.begin() + kHidDataOffset);
  if (!pendingDelivered_ && pendingBlock_ >= 0) ++blocksDelivered_;
  pendingDelivered_ = true;
  return size;
}

int MeterEmulator::UartInput(std::span<std::uint8_t> report) {
  const std::uint8_t id = report[0];
  std::fill(report.begin(), report.end(), 0);
  report[0] = id;
  if (id != kUartDataInReport || report.size() < 2) return -1;
  ++dataPolls_;
  const std::size_t n = std::min(
      {kUartMaxData, report.size() - 2, streamLimit_ - std::min(streamLimit_, streamPos_)});
  if (n == 0 && streamGoneAtLimit_ && streamPos_ >= streamLimit_) {
    gone_ = true;
    return -1;
  }
  report[1] = static_cast<std::uint8_t>(n);
  std::copy_n(stream_.begin() + streamPos_, n, report.begin() + 2);
  streamPos_ += n;
  if (n > 0) ++blocksDelivered_;
  return static_cast<int>(std::min(report.size(), kUartReportSize));
}

int MeterEmulator::OnInputReport(std::span<std::uint8_t> report) {
  std::lock_guard lock(mu_);
  if (gone_ || report.empty()) return -1;
  return transport_ == MeterTransport::HidUart ? UartInput(report) : Hid40Input(report);
}

void MeterEmulator::OnSerialWrite(std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mu_);
  if (gone_) return;
  for (auto b : bytes) Command(b);
}

SerialIo MeterEmulator::TakeSerialAnswer(std::span<std::uint8_t> buffer) {
  std::lock_guard lock(mu_);
  if (gone_) return {SerialStatus::Gone, 0};
  const std::size_t avail = streamLimit_ - std::min(streamLimit_, streamPos_);
  const std::size_t n = std::min(avail, buffer.size());
  std::copy_n(stream_.begin() + streamPos_, n, buffer.begin());
  streamPos_ += n;
  if (n < buffer.size() && streamGoneAtLimit_) {
    gone_ = true;
    return {SerialStatus::Gone, n};
  }
  return {SerialStatus::Ok, n};
}

void MeterEmulator::PurgeSerialAnswer() {
  std::lock_guard lock(mu_);
  streamPos_ = streamLimit_;
}

std::vector<std::uint8_t> MeterEmulator::commands() const {
  std::lock_guard lock(mu_);
  return commands_;
}
std::vector<std::uint8_t> MeterEmulator::written() const {
  std::lock_guard lock(mu_);
  return written_;
}
int MeterEmulator::dataPolls() const {
  std::lock_guard lock(mu_);
  return dataPolls_;
}
int MeterEmulator::blocksDelivered() const {
  std::lock_guard lock(mu_);
  return blocksDelivered_;
}
bool MeterEmulator::gone() const {
  std::lock_guard lock(mu_);
  return gone_;
}

}  // namespace meridane
