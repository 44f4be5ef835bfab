// Arbitrary report bytes fed to every link family and the record decoders. The first byte
// picks the link, the operation and the management mode; the rest is what the "meter"
// answers, one report (or serial chunk) at a time, each led by a length byte so short and
// malformed answers are explored too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "meter/families/usb_serial.h"
#include "meter/link_factory.h"
#include "meter/link_factory.h"
#include "meter/meter_image.h"

using namespace meridane;

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
  // Next answer: a length byte, then up to that many bytes (fewer when input runs out).
  bool Next(std::span<std::uint8_t> out, std::size_t& got) {
    if (pos >= size) return false;
    std::size_t want = data[pos++];
    want = std::min({want, out.size(), size - pos});
    std::memcpy(out.data(), data + pos, want);
    pos += want;
    got = want;
    return true;
  }
};

class FuzzDevice : public HidDevice {
 public:
  explicit FuzzDevice(Input& in) : in_(in) {}
  std::optional<std::string> ProductString() override { return std::nullopt; }
  bool SendOutputReport(std::span<const std::uint8_t>) override { return in_.pos < in_.size; }
  int GetInputReport(std::span<std::uint8_t> report) override {
    const std::uint8_t id = report[0];
    std::size_t got = 0;
    if (!in_.Next(report, got)) return -1;
    if (got == 0) return -1;
    report[0] = id;
    return static_cast<int>(got);
  }

 private:
  Input& in_;
};

class FuzzHid : public HidBackend {
 public:
  FuzzHid(Input& in, std::string product) : in_(in), product_(std::move(product)) {}
  std::vector<HidInterfaceInfo> Enumerate() override {
    return {HidInterfaceInfo{"fuzz", 0, 0, {}}};
  }
  std::unique_ptr<HidDevice> Open(const std::string&) override {
    struct Named : FuzzDevice {
      Named(Input& in, std::string p) : FuzzDevice(in), p_(std::move(p)) {}
      std::optional<std::string> ProductString() override { return p_; }
      std::string p_;
    };
    return std::make_unique<Named>(in_, product_);
  }

 private:
  Input& in_;
  std::string product_;
};

class FuzzPort : public SerialPort {
 public:
  explicit FuzzPort(Input& in) : in_(in) {}
  bool Configure(const SerialLine&) override { return true; }
  bool SetTimeouts(const SerialTimeouts&) override { return true; }
  void Purge() override {}
  void Drain() override {}
  SerialIo Write(std::span<const std::uint8_t> b, int, std::uint32_t) override {
    return {SerialStatus::Ok, b.size()};
  }
  SerialIo Read(std::span<std::uint8_t> buffer, const CancelFlag*) override {
    std::size_t got = 0;
    if (!in_.Next(buffer, got)) return {SerialStatus::Gone, 0};
    return {got == 0xFF ? SerialStatus::Failed : SerialStatus::Ok, got};
  }

 private:
  Input& in_;
};

class FuzzSerial : public SerialBackend {
 public:
  explicit FuzzSerial(Input& in) : in_(in) {}
  std::optional<std::vector<SerialPortInfo>> ListPorts() override {
    return std::vector<SerialPortInfo>{{"fuzz", "CP210x", 0x10C4, 0xEA60}};
  }
  std::unique_ptr<SerialPort> Open(const std::string&) override {
    return std::make_unique<FuzzPort>(in_);
  }

 private:
  Input& in_;
};

class NoSleep : public Sleeper {
 public:
  void SleepMs(std::uint32_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t sel = data[0];
  Input in{data + 1, size - 1};
  const LinkKind kind = static_cast<LinkKind>(sel % 5);
  const int op = (sel / 5) % 3;
  FuzzHid hid(in, HidProductName(kind));
  FuzzSerial serial(in);
  NoSleep sleep;
  CancelFlag cancel{false};
  LinkContext ctx{&hid, &serial, &sleep, &cancel, (sel & 0x80) != 0};
  auto link = MakeLink(kind, ctx);
  if (link->Open(0) != LINK_OK) return 0;

  // Exactly the caller's buffer size on the heap, so any overrun is caught.
  std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[kImageBufferSize]);
  std::span<std::uint8_t> image(buf.get(), kImageBufferSize);
  std::uint32_t bytes = 0, records = 0;
  LinkResult r;
  if (op == 2) {
    std::uint8_t sn[12];
    std::uint8_t len = 0;
    r = link->ReadSerialNumber(sn, len);
    if (r == LINK_OK && len != 10 && len != 11) std::abort();
  } else {
    r = op == 1 ? link->ReadClinicRecords(image, bytes, records)
                : link->ReadRecords(image, bytes, records);
    if (r == LINK_OK) {
      // A good read promises that every counted record lies inside the buffer.
      if (records > kMaxImageRecords || kImageHeaderSize + 8u * records > kImageBufferSize)
        std::abort();
      for (std::uint32_t i = 0; i < records; ++i) {
        std::span<const std::uint8_t, 8> rec(buf.get() + kImageHeaderSize + 8 * i, 8);
        MeterRecord p = DecodePersonalRecord(rec);
        MeterRecord c = DecodeClinicRecord(rec);
        if (c.medicalNo > 1023 || p.gluco > 255 * 100 + 165 || c.gluco != p.gluco) std::abort();
      }
    }
  }
  link->Close();
  return 0;
}
