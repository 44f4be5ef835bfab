#pragma once
// Meter records and images, a caller's buffer and a pseudo-terminal port listing shared by the
// meter, download and command-line tests.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "meter/meter_image.h"
#include "meter/sleeper.h"
#include "meter/transport/serial_backend.h"

namespace meridane::test {

// One record as a meter stores it.
inline MeterRecord Rec(int gluco, int y, int mo, int d, int h, int mi, int mark = 0,
                       int medicalNo = 0, bool isVoid = false) {
  return MeterRecord{gluco, y, mo, d, h, mi, mark, medicalNo, isVoid};
}

// Returns at once: the worker's fixed waits and the link's pauses cost nothing.
class NoSleep : public Sleeper {
 public:
  void SleepMs(std::uint32_t) override {}
};

// An image of the given records, encoded as a personal or a clinic meter stores them.
inline std::vector<std::uint8_t> ImageOf(const std::vector<MeterRecord>& records,
                                         bool clinic = false) {
  std::vector<std::vector<std::uint8_t>> enc;
  for (const auto& r : records)
    enc.push_back(clinic ? EncodeClinicRecord(r) : EncodePersonalRecord(r));
  return BuildMeterImage(clinic ? kClinicMeterType : kPersonalMeterType, enc);
}

// The same image as a file's bytes, for writing it where the command line can read it.
inline std::string ImageText(const std::vector<MeterRecord>& records, bool clinic = false) {
  auto image = ImageOf(records, clinic);
  return std::string(image.begin(), image.end());
}

// n distinct personal (or clinic) records: glucose 40 + i mod 560, one reading a minute.
inline std::vector<std::uint8_t> SampleImage(std::uint8_t type, int n) {
  std::vector<MeterRecord> records;
  for (int i = 0; i < n; ++i)
    records.push_back({40 + i % 560, 2024, 1 + (i / 1440) % 12, 1 + (i / 60) % 24 % 28,
                       (i / 60) % 24, i % 60, i % 2, i % 1024, false});
  return ImageOf(records, type == kClinicMeterType);
}

inline std::vector<std::uint8_t> Buffer() {
  return std::vector<std::uint8_t>(kImageBufferSize, 0xEE);
}

// The machine's termios code, with a bridge listed at a pseudo-terminal behind a plain port.
class PtyBackend : public SerialBackend {
 public:
  explicit PtyBackend(std::string path) : path_(std::move(path)) {}
  std::optional<std::vector<SerialPortInfo>> ListPorts() override {
    return std::vector<SerialPortInfo>{
        {"/dev/ttyS0", "ttyS0", -1, -1},
        {path_, "CP2102 USB to UART Bridge Controller", 0x10C4, 0xEA60}};
  }
  std::unique_ptr<SerialPort> Open(const std::string& path) override {
    return OpenTermiosPort(path);
  }

 private:
  std::string path_;
};

}  // namespace meridane::test
