#include "meter/emulator/emulated_backends.h"

#include <algorithm>

namespace meridane {
namespace {

class EmulatedHidDevice : public HidDevice {
 public:
  EmulatedHidDevice(std::shared_ptr<MeterEmulator> meter, std::string product, bool readable,
                    std::shared_ptr<int> openNow)
      : meter_(std::move(meter)),
        product_(std::move(product)),
        readable_(readable),
        openNow_(std::move(openNow)) {
    ++*openNow_;
  }
  ~EmulatedHidDevice() override { --*openNow_; }

  std::optional<std::string> ProductString() override {
    if (!readable_) return std::nullopt;
    return product_;
  }
  bool SendOutputReport(std::span<const std::uint8_t> report) override {
    return meter_ && meter_->OnOutputReport(report);
  }
  int GetInputReport(std::span<std::uint8_t> report) override {
    return meter_ ? meter_->OnInputReport(report) : -1;
  }

 private:
  std::shared_ptr<MeterEmulator> meter_;
  std::string product_;
  bool readable_;
  std::shared_ptr<int> openNow_;
};

class EmulatedSerialPort : public SerialPort {
 public:
  EmulatedSerialPort(std::shared_ptr<MeterEmulator> meter, bool configurable,
                     std::shared_ptr<EmulatedSerialBackend::Record> record)
      : meter_(std::move(meter)), configurable_(configurable), record_(std::move(record)) {
    ++record_->openNow;
  }
  ~EmulatedSerialPort() override { --record_->openNow; }

  bool Configure(const SerialLine& line) override {
    record_->lines.push_back(line);
    return configurable_;
  }
  bool SetTimeouts(const SerialTimeouts& t) override {
    record_->timeouts.push_back(t);
    return true;
  }
  void Purge() override {
    ++record_->purges;
    if (meter_) meter_->PurgeSerialAnswer();
  }
  void Drain() override {}
  SerialIo Write(std::span<const std::uint8_t> bytes, int, std::uint32_t) override {
    if (!meter_) return {SerialStatus::Ok, bytes.size()};
    if (meter_->gone()) return {SerialStatus::Gone, 0};
    meter_->OnSerialWrite(bytes);
    return {SerialStatus::Ok, bytes.size()};
  }
  // Time is not emulated: what the meter has not sent by now never comes, as if the read's
  // timeout had run out.
  SerialIo Read(std::span<std::uint8_t> buffer, const CancelFlag* cancel) override {
    if (cancel && cancel->load()) return {SerialStatus::Cancelled, 0};
    if (!meter_) return {SerialStatus::Ok, 0};
    return meter_->TakeSerialAnswer(buffer);
  }

 private:
  std::shared_ptr<MeterEmulator> meter_;
  bool configurable_;
  std::shared_ptr<EmulatedSerialBackend::Record> record_;
};

}  // namespace

void EmulatedHidBackend::AddMeter(std::shared_ptr<MeterEmulator> meter, std::string path) {
  HidInterfaceInfo info;
  info.path = path.empty() ? "emulated-hid-" + std::to_string(entries_.size()) : std::move(path);
  info.caps.inputReportLength = static_cast<std::uint16_t>(meter->InputReportSize());
  info.caps.outputReportLength = meter->transport() == MeterTransport::HidUart ? 64 : 8;
  std::string product = meter->ProductString();
  AddInterface(std::move(info), std::move(product), std::move(meter));
}

void EmulatedHidBackend::AddInterface(HidInterfaceInfo info, std::string product,
                                      std::shared_ptr<MeterEmulator> meter, bool openable,
                                      bool productReadable) {
  entries_.push_back(
      {std::move(info), std::move(product), std::move(meter), openable, productReadable});
}

std::vector<HidInterfaceInfo> EmulatedHidBackend::Enumerate() {
  std::vector<HidInterfaceInfo> out;
  if (failEnumeration) return out;
  for (const auto& e : entries_) out.push_back(e.info);
  return out;
}

std::unique_ptr<HidDevice> EmulatedHidBackend::Open(const std::string& path) {
  opened_.push_back(path);
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return e.info.path == path; });
  if (it == entries_.end() || !it->openable) return nullptr;
  return std::make_unique<EmulatedHidDevice>(it->meter, it->product, it->productReadable, openNow_);
}

void EmulatedSerialBackend::AddMeter(std::shared_ptr<MeterEmulator> meter, std::string path) {
  AddPort({std::move(path), "CP2102 USB to UART Bridge Controller", 0x10C4, 0xEA60},
          std::move(meter));
}

void EmulatedSerialBackend::AddPort(SerialPortInfo info, std::shared_ptr<MeterEmulator> meter,
                                    bool openable, bool configurable) {
  entries_.push_back({std::move(info), std::move(meter), openable, configurable});
}

std::optional<std::vector<SerialPortInfo>> EmulatedSerialBackend::ListPorts() {
  if (failListing) return std::nullopt;
  std::vector<SerialPortInfo> out;
  for (const auto& e : entries_) out.push_back(e.info);
  return out;
}

std::unique_ptr<SerialPort> EmulatedSerialBackend::Open(const std::string& path) {
  record_->opened.push_back(path);
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return e.info.path == path; });
  if (it == entries_.end() || !it->openable) return nullptr;
  return std::make_unique<EmulatedSerialPort>(it->meter, it->configurable, record_);
}

LinkContext EmulatedMeter::Context(Sleeper* sleeper, const CancelFlag* cancel,
                                   bool multipleManagement) {
  LinkContext ctx;
  ctx.hid = &hid;
  ctx.serial = &serial;
  ctx.sleeper = sleeper;
  ctx.cancel = cancel;
  ctx.multipleManagement = multipleManagement;
  return ctx;
}

std::unique_ptr<EmulatedMeter> MakeEmulatedMeter(LinkKind kind, std::vector<std::uint8_t> image,
                                                 std::string serial, EmulatorFaults faults) {
  auto em = std::make_unique<EmulatedMeter>();
  em->meter = std::make_shared<MeterEmulator>(kind, std::move(image), std::move(serial), faults);
  if (em->meter->transport() == MeterTransport::Serial)
    em->serial.AddMeter(em->meter);
  else
    em->hid.AddMeter(em->meter);
  return em;
}

}  // namespace meridane
