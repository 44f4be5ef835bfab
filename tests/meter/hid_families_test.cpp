#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "meter/emulator/emulated_backends.h"
#include "meter/families/hiduart.h"
#include "meter/families/mk72.h"
#include "meter/families/tr35.h"
#include "meter/families/vxa.h"
#include "support/meter_images.h"

// Fault sets are written with designated initializers: unnamed members keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace meridane {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr LinkKind kHid40[] = {LinkKind::MK72, LinkKind::VXA, LinkKind::TR35};

struct Read {
  LinkResult result = LINK_OK;
  std::uint32_t bytes = 0, records = 0;
  Bytes buffer = test::Buffer();
  std::uint64_t pausedMs = 0;
  std::vector<std::uint8_t> commands;
  int blockRequests = 0;  // "a" commands sent
};

struct Options {
  EmulatorFaults faults;
  bool multiple = false;
  bool clinic = false;
  std::size_t cancelAfterPauses = 0;  // 0: never
};

Read ReadImage(LinkKind kind, const Bytes& image, const Options& opt = {}) {
  auto em = MakeEmulatedMeter(kind, image, "AB12345678", opt.faults);
  RecordingSleeper sleeper;
  CancelFlag cancel{false};
  if (opt.cancelAfterPauses)
    sleeper.afterPause = [&](std::size_t n) {
      if (n >= opt.cancelAfterPauses) cancel = true;
    };
  auto link = MakeLink(kind, em->Context(&sleeper, &cancel, opt.multiple));
  Read out;
  EXPECT_EQ(link->Open(0), LINK_OK);
  out.result = opt.clinic ? link->ReadClinicRecords(out.buffer, out.bytes, out.records)
                          : link->ReadRecords(out.buffer, out.bytes, out.records);
  link->Close();
  EXPECT_EQ(em->hid.openNow(), 0);
  out.pausedMs = sleeper.TotalMs();
  out.commands = em->meter->commands();
  out.blockRequests = static_cast<int>(std::count(out.commands.begin(), out.commands.end(), 'a'));
  return out;
}

// Blocks after the first, as the protocol counts them.
int Blocks(int n) { return n < 4 ? 0 : (8 * n + 5) >> 5; }

TEST(Hid40Families, ReadEveryImageSizeWithTheProtocolPauses) {
  for (LinkKind kind : kHid40) {
    for (int n : {0, 3, 4, 100, 1023}) {
      SCOPED_TRACE(std::string(LinkKindName(kind)) + " n=" + std::to_string(n));
      const Bytes image = test::SampleImage('P', n);
      Read r = ReadImage(kind, image);
      EXPECT_EQ(r.result, n == 0 ? LINK_NO_RECORDS : LINK_OK);
      EXPECT_EQ(r.records, static_cast<std::uint32_t>(n));
      EXPECT_EQ(r.bytes, 8u * n + 1);
      EXPECT_EQ(r.blockRequests, Blocks(n));
      EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));
      // 200 ms after "E"; each block 10 ms before, 200 ms after "a", 10 ms after.
      EXPECT_EQ(r.pausedMs, 200u + 220u * Blocks(n));
    }
  }
}

TEST(Hid40Families, CountsThatCannotFitTheBufferAreRefusedBeforeTheBody) {
  for (LinkKind kind : kHid40) {
    for (int n : {1024, 4095}) {
      Read r = ReadImage(kind, test::SampleImage('P', n));
      EXPECT_EQ(r.result, LINK_READ_FAILED);
      EXPECT_EQ(r.blockRequests, 0);
      EXPECT_EQ(r.records, 0u);
      EXPECT_EQ(r.bytes, 0u);
    }
  }
  // A smaller caller buffer is respected too, never overrun.
  auto em = MakeEmulatedMeter(LinkKind::MK72, test::SampleImage('P', 100), "AB12345678");
  RecordingSleeper sleeper;
  auto link = MakeLink(LinkKind::MK72, em->Context(&sleeper));
  ASSERT_EQ(link->Open(0), LINK_OK);
  Bytes small(400, 0xEE);
  std::uint32_t bytes = 0, records = 0;
  EXPECT_EQ(link->ReadRecords(std::span(small).first(300), bytes, records), LINK_READ_FAILED);
  EXPECT_TRUE(std::all_of(small.begin() + 300, small.end(), [](auto b) { return b == 0xEE; }));
}

TEST(Hid40Families, ReadyPollLimitAndSlowBlocks) {
  for (LinkKind kind : kHid40) {
    SCOPED_TRACE(std::string(LinkKindName(kind)));
    // Ready on the 200th poll: still in time; the 201st answer is ignored even when ready.
    EXPECT_EQ(ReadImage(kind, test::SampleImage('P', 3), {.faults = {.notReadyPolls = 199}}).result, LINK_OK);
    EXPECT_EQ(ReadImage(kind, test::SampleImage('P', 3), {.faults = {.notReadyPolls = 200}}).result,
              LINK_TIMEOUT);

    // Each block is ready only on its third request; the same block is asked for again.
    const Bytes image = test::SampleImage('P', 20);
    Read r = ReadImage(kind, image, {.faults = {.notReadyPolls = 2}});
    ASSERT_EQ(r.result, LINK_OK);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));
    EXPECT_EQ(r.blockRequests, 3 * Blocks(20));
    EXPECT_EQ(r.pausedMs, 200u + Blocks(20) * (3u * 210 + 10));
  }
}

TEST(Hid40Families, MeterStoppingMidImage) {
  Options opt{.faults = {.stopFromBlock = 3}};  // blocks 1 and 2 after the header block arrive
  // TR35 gives up after 201 passes for the stuck block.
  Read tr35 = ReadImage(LinkKind::TR35, test::SampleImage('P', 100), opt);
  EXPECT_EQ(tr35.result, LINK_TIMEOUT);
  EXPECT_EQ(tr35.blockRequests, 2 + 201);
  EXPECT_EQ(tr35.records, 100u);  // counts keep what was set before the failure

  // MK72 and VXA ask again until the user cancels.
  opt.cancelAfterPauses = 3000;
  for (LinkKind kind : {LinkKind::MK72, LinkKind::VXA}) {
    Read r = ReadImage(kind, test::SampleImage('P', 100), opt);
    EXPECT_EQ(r.result, LINK_CANCELLED);
    EXPECT_GT(r.blockRequests, 1000);
  }
  // A cancel is honoured while blocks are still arriving, too.
  opt.faults.stopFromBlock = -1;
  opt.cancelAfterPauses = 10;
  EXPECT_EQ(ReadImage(LinkKind::TR35, test::SampleImage('P', 100), opt).result, LINK_CANCELLED);
}

TEST(Hid40Families, DeviceGoneMidImage) {
  const Bytes image = test::SampleImage('P', 100);
  for (LinkKind kind : kHid40) {
    Read r = ReadImage(kind, image, {.faults = {.goneFromBlock = 2}});
    EXPECT_EQ(r.result, LINK_WRITE_FAILED);
    // The two blocks that came stay in the buffer.
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 64, r.buffer.begin()));
  }
  EXPECT_EQ(ReadImage(LinkKind::MK72, image, {.faults = {.goneFromBlock = 0}}).result, LINK_READ_FAILED);
}

TEST(Hid40Families, ImageTypeJudgement) {
  const Bytes personal = test::SampleImage('P', 5), clinic = test::SampleImage('M', 5);
  const Options opt{.faults = {.typeByte = 'X'}};
  for (LinkKind kind : {LinkKind::MK72, LinkKind::TR35}) {
    EXPECT_EQ(ReadImage(kind, clinic).result, LINK_READ_FAILED);
    EXPECT_EQ(ReadImage(kind, personal, opt).result, LINK_READ_FAILED);
  }
  const Options plain, multiple{.multiple = true}, clinicRead{.clinic = true},
      clinicReadMultiple{.multiple = true, .clinic = true};
  // Individual management: a clinic meter is told apart.
  EXPECT_EQ(ReadImage(LinkKind::VXA, personal, plain).result, LINK_OK);
  EXPECT_EQ(ReadImage(LinkKind::VXA, clinic, plain).result, LINK_CLINIC_METER);
  EXPECT_EQ(ReadImage(LinkKind::VXA, personal, opt).result, LINK_READ_FAILED);
  // Multiple management: only a clinic meter reads.
  EXPECT_EQ(ReadImage(LinkKind::VXA, clinic, multiple).result, LINK_OK);
  EXPECT_EQ(ReadImage(LinkKind::VXA, personal, multiple).result, LINK_READ_FAILED);
  // The clinic read does not depend on the flag.
  for (const Options& o : {clinicRead, clinicReadMultiple}) {
    Read r = ReadImage(LinkKind::VXA, clinic, o);
    EXPECT_EQ(r.result, LINK_OK);
    EXPECT_TRUE(std::equal(clinic.begin(), clinic.end(), r.buffer.begin()));
    EXPECT_EQ(ReadImage(LinkKind::VXA, personal, o).result, LINK_NOT_CLINIC_METER);
    EXPECT_EQ(ReadImage(LinkKind::VXA, clinic, {opt.faults, o.multiple, o.clinic}).result, LINK_READ_FAILED);
  }
  // Only VXA reads clinic records.
  for (LinkKind kind : {LinkKind::MK72, LinkKind::TR35})
    EXPECT_EQ(ReadImage(kind, clinic, clinicRead).result, LINK_NOT_SUPPORTED);
}

struct Serial {
  LinkResult result;
  std::uint8_t length = 0;
  Bytes buffer = Bytes(12, 0);
  std::uint64_t pausedMs = 0;
};

Serial ReadSerial(LinkKind kind, const std::string& sn, EmulatorFaults faults = {}) {
  auto em = MakeEmulatedMeter(kind, test::SampleImage('P', 3), sn, faults);
  RecordingSleeper sleeper;
  auto link = MakeLink(kind, em->Context(&sleeper));
  EXPECT_EQ(link->Open(0), LINK_OK);
  Serial s;
  s.result = link->ReadSerialNumber(s.buffer, s.length);
  s.pausedMs = sleeper.TotalMs();
  link->Close();
  return s;
}

TEST(HidSerialNumber, FormsChecksumsAndCharacters) {
  for (LinkKind kind : {LinkKind::MK72, LinkKind::VXA, LinkKind::TR35, LinkKind::HIDUART}) {
    SCOPED_TRACE(std::string(LinkKindName(kind)));
    for (const std::string sn : {"XY123456789", "AB12345678"}) {
      Serial s = ReadSerial(kind, sn);
      EXPECT_EQ(s.result, LINK_OK);
      EXPECT_EQ(std::string(s.buffer.begin(), s.buffer.begin() + s.length), sn);
      EXPECT_EQ(s.pausedMs, kind == LinkKind::HIDUART ? 300u : 200u);
    }

    for (const char* sn : {"XY123456789", "AB12345678"})
      EXPECT_EQ(ReadSerial(kind, sn, {.badSerialChecksum = true}).result, LINK_READ_FAILED);
    // Only VXA checks the characters.
    EXPECT_EQ(ReadSerial(kind, "AB-2345678").result,
              kind == LinkKind::VXA ? LINK_BAD_SERIAL : LINK_OK);
  }
  EXPECT_EQ(ReadSerial(LinkKind::VXA, "AB{2345678").result, LINK_OK);
  EXPECT_EQ(ReadSerial(LinkKind::VXA, "ABCDEFGHIJ-").result, LINK_OK);  // 11th not checked
  EXPECT_EQ(ReadSerial(LinkKind::VXA, "ABCDEFGHI-K").result, LINK_BAD_SERIAL);
  EXPECT_EQ(ReadSerial(LinkKind::TR35, "AB12345678", {.silentSerial = true}).result, LINK_TIMEOUT);
  // A bridge that answers "R" with nothing has no serial number to give.
  EXPECT_EQ(ReadSerial(LinkKind::HIDUART, "AB12345678", {.silentSerial = true}).result,
            LINK_READ_FAILED);
}

TEST(Hid40Families, WriteBlockSendsBytesAndChecksum) {
  auto em = MakeEmulatedMeter(LinkKind::VXA, test::SampleImage('P', 3), "AB12345678");
  RecordingSleeper sleeper;
  auto link = MakeLink(LinkKind::VXA, em->Context(&sleeper));
  ASSERT_EQ(link->Open(0), LINK_OK);
  const Bytes block{0x10, 0x20, 0xF0, 'E'};
  EXPECT_EQ(link->WriteBlock(block), LINK_OK);
  Bytes expected = block;
  expected.push_back(static_cast<std::uint8_t>(0x100 - ((0x10 + 0x20 + 0xF0 + 'E') & 0xFF)));
  EXPECT_EQ(em->meter->written(), expected);
  EXPECT_EQ(sleeper.pauses(), std::vector<std::uint32_t>(4, 200));
  // The "E" inside the block was data, not a command; the next read works as usual.
  Bytes buf = test::Buffer();
  std::uint32_t bytes, records;
  EXPECT_EQ(link->ReadRecords(buf, bytes, records), LINK_OK);
  EXPECT_EQ(records, 3u);
  link->Close();
  EXPECT_EQ(link->WriteBlock(block), LINK_WRITE_FAILED);
}

// A device whose input reports are scripted byte for byte.
class ScriptedDevice : public HidDevice {
 public:
  std::vector<Bytes> answers;
  std::optional<std::string> ProductString() override { return product; }
  bool SendOutputReport(std::span<const std::uint8_t>) override { return true; }
  int GetInputReport(std::span<std::uint8_t> report) override {
    if (report[0] == kReportFlush) return static_cast<int>(report.size());
    if (next >= answers.size()) return -1;
    const Bytes& a = answers[next++];
    const std::size_t n = std::min(a.size(), report.size());
    std::copy_n(a.begin(), n, report.begin());
    return static_cast<int>(n);
  }
  std::string product;
  std::size_t next = 0;
};

// Every open hands out a fresh copy of the scripted device.
class ScriptedBackend : public HidBackend {
 public:
  ScriptedDevice device;
  std::vector<HidInterfaceInfo> Enumerate() override { return {HidInterfaceInfo{"s", 0, 0, {}}}; }
  std::unique_ptr<HidDevice> Open(const std::string&) override {
    return std::make_unique<ScriptedDevice>(device);
  }
};

LinkResult ReadScripted(LinkKind kind, std::vector<Bytes> answers) {
  ScriptedBackend backend;
  backend.device.product = kind == LinkKind::HIDUART ? kProductHIDUART : kProductMK72;
  backend.device.answers = std::move(answers);
  RecordingSleeper sleeper;
  auto link = MakeLink(kind, LinkContext{&backend, nullptr, &sleeper});
  EXPECT_EQ(link->Open(0), LINK_OK);
  Bytes buf = test::Buffer();
  std::uint32_t bytes, records;
  return link->ReadRecords(buf, bytes, records);
}

Bytes UartReport(const Bytes& data, int n) {
  Bytes r(64, 0);
  r[0] = kUartDataInReport;
  r[1] = static_cast<std::uint8_t>(n);
  std::copy(data.begin(), data.end(), r.begin() + 2);
  return r;
}

TEST(HidMalformedAnswers, AreResultsNotOverruns) {
  Bytes ready(40, 0);
  ready[0] = kReportData;
  ready[1] = 1;
  ready[8] = 'P';
  ready[9] = 3;
  EXPECT_EQ(ReadScripted(LinkKind::MK72, {ready}), LINK_OK);
  EXPECT_EQ(ReadScripted(LinkKind::MK72, {Bytes(ready.begin(), ready.begin() + 20)}),
            LINK_READ_FAILED);  // short report
  ready[9] = 4;
  EXPECT_EQ(ReadScripted(LinkKind::MK72, {ready, Bytes(ready.begin(), ready.begin() + 39)}),
            LINK_WRITE_FAILED);  // short block answer

  const Bytes head{'P', 3, 0, 0, 0};
  EXPECT_EQ(ReadScripted(LinkKind::HIDUART, {UartReport(head, 63)}), LINK_READ_FAILED);
  Bytes cut = UartReport(head, 30);
  cut.resize(10);  // n says 30, 8 arrived
  EXPECT_EQ(ReadScripted(LinkKind::HIDUART, {cut}), LINK_READ_FAILED);
  // Header claims 3 records, the stream ends after one.
  EXPECT_EQ(
      ReadScripted(LinkKind::HIDUART,
                   {UartReport({'P', 3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, 13), UartReport({}, 0)}),
      LINK_READ_FAILED);
  // A stream that never ends cannot overrun the buffer.
  std::vector<Bytes> endless{UartReport({'P', 3}, 62)};
  for (int i = 0; i < 200; ++i) endless.push_back(UartReport({}, 62));
  EXPECT_EQ(ReadScripted(LinkKind::HIDUART, endless), LINK_READ_FAILED);
}

TEST(HidUart, ReadsImagesThroughTheBridge) {
  for (int n : {0, 3, 4, 100, 480}) {
    SCOPED_TRACE(n);
    const Bytes image = test::SampleImage('P', n);
    Read r = ReadImage(LinkKind::HIDUART, image);
    EXPECT_EQ(r.result, n == 0 ? LINK_NO_RECORDS : LINK_OK);
    EXPECT_EQ(r.records, static_cast<std::uint32_t>(n));
    EXPECT_EQ(r.bytes, 8u * n + 1);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));
    const std::uint64_t reports = (image.size() + 61) / 62;
    EXPECT_EQ(r.pausedMs, 200u + 100u * reports);
  }
  for (int n : {481, 1023, 1024})
    EXPECT_EQ(ReadImage(LinkKind::HIDUART, test::SampleImage('P', n)).result, LINK_READ_FAILED)
        << n;

  // One stray byte ahead of the image is dropped.
  const Bytes image = test::SampleImage('P', 10);
  Read r = ReadImage(LinkKind::HIDUART, image, {.faults = {.uartLeadingByte = true}});
  EXPECT_EQ(r.result, LINK_OK);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));

  const Bytes hundred = test::SampleImage('P', 100);
  EXPECT_EQ(ReadImage(LinkKind::HIDUART, image, {.faults = {.typeByte = 'M'}}).result, LINK_READ_FAILED);
  EXPECT_EQ(ReadImage(LinkKind::HIDUART, hundred, {.faults = {.goneFromBlock = 3}}).result, LINK_READ_FAILED);
  EXPECT_EQ(ReadImage(LinkKind::HIDUART, hundred, {.faults = {.stopFromBlock = 3}}).result, LINK_READ_FAILED);
  EXPECT_EQ(ReadImage(LinkKind::HIDUART, image, {.clinic = true}).result, LINK_NOT_SUPPORTED);

  auto em = MakeEmulatedMeter(LinkKind::HIDUART, image, "AB12345678");
  CCommHIDUART link(em->Context(nullptr));
  EXPECT_EQ(link.WriteBlock(Bytes{1, 2}), LINK_OK);  // nothing is sent, even when closed
  EXPECT_TRUE(em->meter->commands().empty());
}

}  // namespace
}  // namespace meridane
