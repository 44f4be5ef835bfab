#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "meter/families/usb_serial.h"
#include "meter/emulator/emulated_backends.h"
#include "meter/emulator/pty_meter.h"
#include "support/meter_images.h"

// Fault sets are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane {
namespace {

using Bytes = std::vector<std::uint8_t>;

SerialPortInfo Port(std::string path, std::string desc, int vid = -1, int pid = -1) {
  return {std::move(path), std::move(desc), vid, pid};
}

TEST(UsbLinkOpen, FirstBridgePortThatConfiguresIsUsed) {
  const Bytes image = test::SampleImage('P', 3);
  auto meter = std::make_shared<MeterEmulator>(LinkKind::USB, image, "AB12345678");
  auto other = std::make_shared<MeterEmulator>(LinkKind::USB, image, "CD12345678");
  EmulatedSerialBackend serial;
  serial.AddPort(Port("/dev/ttyS0", "ttyS0"));
  serial.AddPort(Port("/dev/ttyACM0", "Some modem", 0x1234, 0x5678));
  serial.AddPort(Port("/dev/ttyUSB0", "", 0x10C4, 0xEA60), nullptr, false);
  serial.AddPort(Port("/dev/ttyUSB1", "CP2102 bridge", 0x10C4, 0xEA60), nullptr, true, false);
  serial.AddPort(Port("/dev/ttyUSB2", "Silicon Labs CP210x USB to UART Bridge"), meter);
  serial.AddMeter(other, "/dev/ttyUSB3");

  RecordingSleeper sleeper;
  CCommUSB link(LinkContext{nullptr, &serial, &sleeper});
  ASSERT_EQ(link.Open(0), LINK_OK);
  EXPECT_EQ(link.portPath(), "/dev/ttyUSB2");
  EXPECT_EQ(serial.record().opened,
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"}));
  EXPECT_EQ(serial.record().openNow, 1);  // the port that failed to configure was closed
  const SerialLine& line = serial.record().lines.back();
  // 1200 baud 8N1, DTR and RTS on, no flow control.
  EXPECT_EQ(std::tie(line.baud, line.dataBits, line.parity, line.stopBits, line.dtr, line.rts,
                     line.hardwareFlow, line.xonXoff),
            std::make_tuple(1200u, 8, false, 1, true, true, false, false));
  EXPECT_EQ(serial.record().timeouts.back(), kOpenPortTimeouts);
  EXPECT_NE(link.GetHandle(), kInvalidLinkHandle);
  link.Close();
  link.Close();
  EXPECT_EQ(link.GetHandle(), kInvalidLinkHandle);
  EXPECT_EQ(serial.record().openNow, 0);

  EmulatedSerialBackend none;
  none.AddPort(Port("/dev/ttyS0", "ttyS0"));
  none.AddPort(Port("/dev/ttyUSB1", "CP2102", 0x10C4, 0xEA60), nullptr, true, false);
  CCommUSB noBridge(LinkContext{nullptr, &none, &sleeper});
  EXPECT_EQ(noBridge.Open(0), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(none.record().openNow, 0);
  none.failListing = true;
  EXPECT_EQ(noBridge.Open(0), LINK_NOT_FOUND);

  CCommUSB direct(LinkContext{nullptr, &none, &sleeper});
  direct.setPortPath("/dev/missing");
  EXPECT_EQ(direct.OpenPort(), LINK_DEVICE_GONE);
}

TEST(UsbLinkOpen, BridgeRecognition) {
  EXPECT_TRUE(IsCp210xPort(Port("/dev/ttyUSB0", "", 0x10C4, 0xEA60)) &&
              IsCp210xPort(Port("/dev/ttyUSB0", "CP2104 CP210x compatible")));
  EXPECT_FALSE(IsCp210xPort(Port("/dev/ttyUSB0", "FT232R", 0x0403, 0x6001)) ||
               IsCp210xPort(Port("/dev/ttyUSB0", "", 0x10C4, 0xEA61)));
  EXPECT_EQ(ComPathFromFriendlyName("Silicon Labs CP210x USB to UART Bridge (COM12)"),
            "\\\\.\\COM12");
  EXPECT_FALSE(ComPathFromFriendlyName("USB Serial Port (COM4)"));
}

struct UsbRead {
  LinkResult result = LINK_OK;
  std::uint32_t bytes = 0, records = 0;
  Bytes buffer = test::Buffer();
  bool openAfter = false;
  std::vector<std::uint32_t> pauses;
  std::vector<SerialTimeouts> timeouts;
};

UsbRead ReadUsb(const Bytes& image, EmulatorFaults faults = {}, bool cancelOnFirstPause = false) {
  auto em = MakeEmulatedMeter(LinkKind::USB, image, "AB12345678", faults);
  RecordingSleeper sleeper;
  CancelFlag cancel{false};
  if (cancelOnFirstPause) sleeper.afterPause = [&](std::size_t) { cancel = true; };
  auto link = MakeLink(LinkKind::USB, em->Context(&sleeper, &cancel));
  UsbRead r;
  EXPECT_EQ(link->Open(0), LINK_OK);
  Bytes sn(12);
  std::uint8_t length = 0;
  link->ReadSerialNumber(sn, length);  // read first, as every download does
  r.result = link->ReadRecords(r.buffer, r.bytes, r.records);
  r.openAfter = link->GetHandle() != kInvalidLinkHandle;
  link->Close();
  EXPECT_EQ(em->serial.record().openNow, 0);
  r.pauses = sleeper.pauses();
  r.timeouts = em->serial.record().timeouts;
  return r;
}

TEST(UsbLinkRead, ImagesOfEverySizeAndTheTimeoutsApplied) {
  // Good images, an empty meter, counts past the buffer (refused before the body) and a
  // clinic image; every read closes the port.
  const std::tuple<std::uint8_t, int, LinkResult> cases[] = {
      {'P', 3, LINK_OK},           {'P', 4, LINK_OK},           {'P', 100, LINK_OK},
      {'P', 1023, LINK_OK},        {'P', 0, LINK_NO_RECORDS},   {'P', 1024, LINK_READ_FAILED},
      {'P', 4095, LINK_READ_FAILED}, {'M', 3, LINK_READ_FAILED}};
  for (auto [type, n, result] : cases) {
    SCOPED_TRACE(n);
    const Bytes image = test::SampleImage(type, n);
    UsbRead r = ReadUsb(image);
    EXPECT_EQ(r.result, result);
    EXPECT_FALSE(r.openAfter);
    EXPECT_TRUE(n <= 1023 || r.timeouts.size() == 2u);
    if (result != LINK_OK) continue;
    EXPECT_EQ(r.records, static_cast<std::uint32_t>(n));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));
    EXPECT_EQ(r.pauses, std::vector<std::uint32_t>{100});
    EXPECT_EQ(r.timeouts, (std::vector<SerialTimeouts>{kOpenPortTimeouts, kSerialNumberTimeouts,
                                                       kImageBodyTimeouts}));
  }
}

TEST(UsbLinkRead, DeviceGoneStallAndCancelCloseThePort) {
  const Bytes image = test::SampleImage('P', 100);
  // Gone in the header or the body; a silent meter leaves the image short of its count.
  const std::pair<EmulatorFaults, LinkResult> cases[] = {{{.goneFromBlock = 0}, LINK_DEVICE_GONE},
                                                         {{.goneFromBlock = 5}, LINK_DEVICE_GONE},
                                                         {{.stopFromBlock = 5}, LINK_READ_FAILED}};
  for (const auto& [faults, result] : cases) {
    UsbRead r = ReadUsb(image, faults);
    EXPECT_EQ(r.result, result);
    EXPECT_FALSE(r.openAfter);
  }
  UsbRead cancelled = ReadUsb(image, {}, true);
  EXPECT_EQ(cancelled.result, LINK_CANCELLED);
  EXPECT_FALSE(cancelled.openAfter);  // a cancel in the header closes the port
}

// ---- the real termios code over a pseudo-terminal ----

struct PtyFixture {
  std::shared_ptr<MeterEmulator> meter;
  std::unique_ptr<PtyMeter> pty;
  std::unique_ptr<test::PtyBackend> backend;
  RecordingSleeper sleeper;
  CancelFlag cancel{false};
  std::unique_ptr<CCommUSB> link;
  Bytes sn = Bytes(12, 0), buf = test::Buffer();
  std::uint8_t len = 0;
  std::uint32_t bytes = 0, records = 0;

  PtyFixture(const Bytes& image, const std::string& sn, EmulatorFaults faults = {}) {
    meter = std::make_shared<MeterEmulator>(LinkKind::USB, image, sn, faults);
    pty = PtyMeter::Start(meter);
    if (!pty) return;
    backend = std::make_unique<test::PtyBackend>(pty->path());
    link = std::make_unique<CCommUSB>(LinkContext{nullptr, backend.get(), &sleeper, &cancel});
  }
  LinkResult ReadSerial() { return link->ReadSerialNumber(sn, len); }
  LinkResult ReadAll() { return link->ReadRecords(buf, bytes, records); }
};

TEST(UsbLinkPty, ReadsSerialAndImageThroughTermios) {
  const Bytes image = test::SampleImage('P', 100);
  PtyFixture f(image, "XY123456789");
  ASSERT_TRUE(f.link) << "no pseudo-terminal";
  ASSERT_EQ(f.link->Open(0), LINK_OK);
  EXPECT_EQ(f.link->portPath(), f.pty->path());
  EXPECT_EQ(f.ReadSerial(), LINK_OK);  // waits out the 3 s total timeout
  EXPECT_EQ(std::string(f.sn.begin(), f.sn.begin() + f.len), "XY123456789");
  EXPECT_EQ(f.ReadAll(), LINK_OK);
  EXPECT_EQ(f.records * 8 + 1, f.bytes);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), f.buf.begin()));
  EXPECT_EQ(f.link->GetHandle(), kInvalidLinkHandle);
  EXPECT_EQ(f.meter->commands(), (Bytes{'R', 'E'}));

  EXPECT_FALSE(OpenTermiosPort("/dev/null"));  // not a tty
}

TEST(UsbLinkPty, SilentMeterEmptyImageCancelAndUnplug) {
  // A count of 0 and an unplug close the port; a cancel in the body leaves it open.
  const struct {
    int n;
    EmulatorFaults faults;
    LinkResult want;
    bool leftOpen;
  } kCases[] = {{0, {.silentSerial = true}, LINK_NO_RECORDS, false},
                {100, {.stopFromBlock = 2}, LINK_CANCELLED, true},
                {100, {.goneFromBlock = 0}, LINK_DEVICE_GONE, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(LinkResultName(c.want));
    PtyFixture f(test::SampleImage('P', c.n), "AB12345678", c.faults);
    ASSERT_TRUE(f.link);
    ASSERT_EQ(f.link->Open(0), LINK_OK);
    EXPECT_TRUE(!c.faults.silentSerial || f.ReadSerial() == LINK_READ_FAILED);
    std::thread user([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      f.cancel = true;
    });
    EXPECT_EQ(f.ReadAll(), c.want);
    user.join();
    EXPECT_EQ(f.link->GetHandle() != kInvalidLinkHandle, c.leftOpen);
    f.link->Close();
    EXPECT_EQ(f.link->GetHandle(), kInvalidLinkHandle);
  }
}

}  // namespace
}  // namespace meridane
