#pragma once
// A glucose meter in software: plays a meter of any family in the family table from a memory image and a
// serial number, answering "E", "a", "R" and "W" as the wire protocol does, over the HID
// backend (40- or 64-byte reports) or the serial backend. Faults can be injected. Used by
// tests, the command line (--meter-image) and the window's demo mode.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "meter/link_factory.h"
#include "meter/transport/serial_backend.h"

namespace meridane {

struct EmulatorFaults {
  // After each command, the first N data polls answer "not ready".
  int notReadyPolls = 0;
  // Blocks from index k on are never ready (0 is the block answering "E"). Over serial the
  // image stream stops after 32 × k bytes.
  int stopFromBlock = -1;
  // The device vanishes when block k is asked for (HID: every later report fails). Over
  // serial, reads report the device gone after 32 × k bytes of the image (0: in the header).
  int goneFromBlock = -1;
  bool badSerialChecksum = false;
  // No answer at all to "R".
  bool silentSerial = false;
  // Replaces the image's type byte ("P"/"M"/anything).
  std::optional<std::uint8_t> typeByte;
  // HIDUART: the first data report carries one extra leading byte before the image.
  bool uartLeadingByte = false;
};

class MeterEmulator {
 public:
  // `serial`: 10 characters give the short form, 11 the long form; characters are sent as
  // given (so a serial with "-" plays a meter with a bad serial).
  MeterEmulator(LinkKind kind, std::vector<std::uint8_t> image, std::string serial,
                EmulatorFaults faults = {});

  LinkKind kind() const { return kind_; }
  // The layout it plays, from its family's row (a kind without a row plays 40-byte HID).
  MeterTransport transport() const { return transport_; }
  // The product string the meter reports over HID (empty for the serial kind).
  std::string ProductString() const;
  // 40 for the 40-byte HID families, 64 for the HID-to-UART bridge.
  std::size_t InputReportSize() const;

  // HID side. False / -1 once the device is gone.
  bool OnOutputReport(std::span<const std::uint8_t> report);
  int OnInputReport(std::span<std::uint8_t> report);

  // Serial side: bytes the computer wrote, and the meter's answer waiting to be read.
  void OnSerialWrite(std::span<const std::uint8_t> bytes);
  // Takes up to buffer.size() answer bytes. Gone once the injected loss point is reached.
  SerialIo TakeSerialAnswer(std::span<std::uint8_t> buffer);
  // A purge of the port drops what has not been read.
  void PurgeSerialAnswer();

  // Observations for tests.
  std::vector<std::uint8_t> commands() const;  // command bytes in order
  std::vector<std::uint8_t> written() const;   // bytes after "W" (data then checksum)
  int dataPolls() const;
  int blocksDelivered() const;
  bool gone() const;

 private:
  void Command(std::uint8_t cmd);
  void PrepareBlock(int index);
  std::vector<std::uint8_t> SerialBlock() const;
  // Starts a byte-stream answer (serial line or bridge): the image or the serial block.
  void StartStream(bool image);
  int Hid40Input(std::span<std::uint8_t> report);
  int UartInput(std::span<std::uint8_t> report);

  mutable std::mutex mu_;
  LinkKind kind_;
  MeterTransport transport_;
  std::vector<std::uint8_t> image_;
  std::string serial_;
  EmulatorFaults faults_;

  std::vector<std::uint8_t> commands_;
  std::vector<std::uint8_t> written_;
  bool inWrite_ = false;
  bool gone_ = false;
  int dataPolls_ = 0;
  int blocksDelivered_ = 0;
  // 40-byte families: the answer being prepared.
  std::vector<std::uint8_t> pending_;
  bool pendingDelivered_ = true;
  int pendingBlock_ = -1;  // -1 none, -2 serial block
  int notReadyLeft_ = 0;
  bool uartConfigured_ = false;
  // Serial line and HIDUART bridge: the answer stream and where it stops.
  std::vector<std::uint8_t> stream_;
  std::size_t streamPos_ = 0;
  std::size_t streamLimit_ = 0;
  bool streamGoneAtLimit_ = false;
};

}  // namespace meridane
