#pragma once
// The HID and serial backends with emulated meters (and, for tests, other devices) attached.
#include <memory>
#include <string>
#include <vector>

#include "meter/emulator/meter_emulator.h"
#include "meter/transport/hid_backend.h"
#include "meter/link_context.h"
#include "meter/transport/serial_backend.h"

namespace meridane {

class EmulatedHidBackend : public HidBackend {
 public:
  // The meter appears as one interface with its product string.
  void AddMeter(std::shared_ptr<MeterEmulator> meter, std::string path = {});
  // Any interface; with a meter it answers reports, without one it only has a product string.
  // openable = false makes Open fail; productReadable = false makes the string read fail.
  void AddInterface(HidInterfaceInfo info, std::string product,
                    std::shared_ptr<MeterEmulator> meter = nullptr, bool openable = true,
                    bool productReadable = true);
  bool failEnumeration = false;

  std::vector<HidInterfaceInfo> Enumerate() override;
  std::unique_ptr<HidDevice> Open(const std::string& path) override;

  // Paths opened so far, in order, and how many devices are open now.
  const std::vector<std::string>& opened() const { return opened_; }
  int openNow() const { return *openNow_; }

 private:
  struct Entry {
    HidInterfaceInfo info;
    std::string product;
    std::shared_ptr<MeterEmulator> meter;
    bool openable;
    bool productReadable;
  };
  std::vector<Entry> entries_;
  std::vector<std::string> opened_;
  std::shared_ptr<int> openNow_ = std::make_shared<int>(0);
};

class EmulatedSerialBackend : public SerialBackend {
 public:
  // The meter appears as a CP210x bridge port (10C4:EA60) at `path`.
  void AddMeter(std::shared_ptr<MeterEmulator> meter, std::string path = "/dev/ttyUSB0");
  // Any port; openable/configurable false make those steps fail.
  void AddPort(SerialPortInfo info, std::shared_ptr<MeterEmulator> meter = nullptr,
               bool openable = true, bool configurable = true);
  bool failListing = false;

  std::optional<std::vector<SerialPortInfo>> ListPorts() override;
  std::unique_ptr<SerialPort> Open(const std::string& path) override;

  // What the links did, for tests.
  struct Record {
    std::vector<std::string> opened;
    std::vector<SerialTimeouts> timeouts;  // every SetTimeouts, in order
    std::vector<SerialLine> lines;         // every Configure
    int purges = 0;
    int openNow = 0;
  };
  const Record& record() const { return *record_; }

 private:
  struct Entry {
    SerialPortInfo info;
    std::shared_ptr<MeterEmulator> meter;
    bool openable;
    bool configurable;
  };
  std::vector<Entry> entries_;
  std::shared_ptr<Record> record_ = std::make_shared<Record>();
};

// A meter with both backends, the meter attached to the one its kind uses. Build links over
// it with MakeLink(meter->kind(), em.Context(...)).
struct EmulatedMeter {
  std::shared_ptr<MeterEmulator> meter;
  EmulatedHidBackend hid;
  EmulatedSerialBackend serial;

  LinkContext Context(Sleeper* sleeper, const CancelFlag* cancel = nullptr,
                      bool multipleManagement = false);
};

std::unique_ptr<EmulatedMeter> MakeEmulatedMeter(LinkKind kind, std::vector<std::uint8_t> image,
                                                 std::string serial, EmulatorFaults faults = {});

}  // namespace meridane
