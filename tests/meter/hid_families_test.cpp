#include <gtest/gtest.h>

#include <algorithm>

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
  int blockRequests = 0;  // "a" commands sent
};

struct Options {
  EmulatorFaults faults;
  bool multiple = false;
  bool clinic = false;
  std::size_t cancelAfterPauses = 0;          // 0: never
  std::size_t bufferSize = kImageBufferSize;  // what the caller hands over
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
  const auto buffer = std::span(out.buffer).first(opt.bufferSize);
  out.result = opt.clinic ? link->ReadClinicRecords(buffer, out.bytes, out.records)
                          : link->ReadRecords(buffer, out.bytes, out.records);
  link->Close();
  EXPECT_EQ(em->hid.openNow(), 0);
  out.pausedMs = sleeper.TotalMs();
  const auto commands = em->meter->commands();
  out.blockRequests = static_cast<int>(std::count(commands.begin(), commands.end(), 'a'));
  return out;
}

// Blocks after the first, as the protocol counts them.
int Blocks(int n) { return n < 4 ? 0 : (8 * n + 5) >> 5; }

TEST(HidFamilies, ReadEveryImageSizeWithTheProtocolPauses) {
  for (LinkKind kind : {LinkKind::MK72, LinkKind::VXA, LinkKind::TR35, LinkKind::HIDUART}) {
    const bool uart = kind == LinkKind::HIDUART;
    for (int n : {0, 3, 4, 100, uart ? 480 : 1023}) {
      SCOPED_TRACE(std::string(LinkKindName(kind)) + " n=" + std::to_string(n));
      const Bytes image = test::SampleImage('P', n);
      Read r = ReadImage(kind, image);
      EXPECT_EQ(r.result, n == 0 ? LINK_NO_RECORDS : LINK_OK);
      EXPECT_EQ(r.records, static_cast<std::uint32_t>(n));
      EXPECT_EQ(r.bytes, 8u * n + 1);
      EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));
      // 200 ms after "E"; each block 10 ms before, 200 ms after "a", 10 ms after; the bridge
      // 100 ms a report of 62 bytes.
      EXPECT_TRUE(uart || r.blockRequests == Blocks(n)) << r.blockRequests;
      EXPECT_EQ(r.pausedMs,
                uart ? 200u + 100u * ((image.size() + 61) / 62) : 200u + 220u * Blocks(n));
    }
  }
}

TEST(Hid40Families, CountsThatCannotFitTheBufferAreRefusedBeforeTheBody) {
  for (LinkKind kind : kHid40) {
    for (int n : {1024, 4095}) {
      Read r = ReadImage(kind, test::SampleImage('P', n));
      EXPECT_EQ(std::tie(r.result, r.blockRequests, r.records, r.bytes),
                std::make_tuple(LINK_READ_FAILED, 0, 0u, 0u));
    }
  }
  // A smaller caller buffer is respected too, never overrun.
  Read r = ReadImage(LinkKind::MK72, test::SampleImage('P', 100), {.bufferSize = 300});
  EXPECT_EQ(r.result, LINK_READ_FAILED);
  EXPECT_TRUE(
      std::all_of(r.buffer.begin() + 300, r.buffer.end(), [](auto b) { return b == 0xEE; }));
}

TEST(Hid40Families, SlowBlocksAreAskedForAgainAndVanishedBlocksKept) {
  for (LinkKind kind : kHid40) {
    // Each block is ready only on its third request; the same block is asked for again.
    const Bytes image = test::SampleImage('P', 20);
    Read r = ReadImage(kind, image, {.faults = {.notReadyPolls = 2}});
    ASSERT_EQ(r.result, LINK_OK) << LinkKindName(kind);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), r.buffer.begin()));
    EXPECT_EQ(r.blockRequests, 3 * Blocks(20));
    EXPECT_EQ(r.pausedMs, 200u + Blocks(20) * (3u * 210 + 10));
    // Gone after two blocks: the blocks that came stay in the buffer.
    const Bytes hundred = test::SampleImage('P', 100);
    r = ReadImage(kind, hundred, {.faults = {.goneFromBlock = 2}});
    EXPECT_EQ(r.result, LINK_WRITE_FAILED);
    EXPECT_TRUE(std::equal(hundred.begin(), hundred.begin() + 64, r.buffer.begin()));
  }
}

// What each family makes of each image kind, read mode and fault; a good read is the image.
TEST(HidFamilies, ResultForImageKindModeAndFault) {
  using enum LinkKind;
  const EmulatorFaults badType{.typeByte = 'X'};
  const Options multi{.multiple = true}, cr{.clinic = true},
      crMulti{.multiple = true, .clinic = true}, poll199{.faults = {.notReadyPolls = 199}},
      poll200{.faults = {.notReadyPolls = 200}}, gone0{.faults = {.goneFromBlock = 0}},
      gone3{.faults = {.goneFromBlock = 3}}, stop3{.faults = {.stopFromBlock = 3}},
      typeM{.faults = {.typeByte = 'M'}}, lead{.faults = {.uartLeadingByte = true}}, bad{badType},
      badCr{badType, false, true}, badCrMulti{badType, true, true};
  // Ready on the 200th poll is in time; the 201st answer is ignored even when ready. VXA in
  // individual management tells a clinic meter apart, in multiple reads only a clinic meter;
  // its clinic read does not depend on the flag; only VXA has one. The bridge drops one stray
  // byte ahead of the image.
  // clang-format off
  const struct {
    LinkKind kind;
    int n;
    char type;
    Options opt;
    LinkResult want;
  } kCases[] = {
      {MK72, 3, 'P', poll199, LINK_OK},      {VXA, 3, 'P', poll199, LINK_OK},
      {TR35, 3, 'P', poll199, LINK_OK},      {MK72, 3, 'P', poll200, LINK_TIMEOUT},
      {VXA, 3, 'P', poll200, LINK_TIMEOUT},  {TR35, 3, 'P', poll200, LINK_TIMEOUT},
      {MK72, 100, 'P', gone0, LINK_READ_FAILED},
      {MK72, 5, 'M', {}, LINK_READ_FAILED},  {TR35, 5, 'M', {}, LINK_READ_FAILED},
      {MK72, 5, 'P', bad, LINK_READ_FAILED}, {TR35, 5, 'P', bad, LINK_READ_FAILED},
      {VXA, 5, 'P', {}, LINK_OK},            {VXA, 5, 'M', {}, LINK_CLINIC_METER},
      {VXA, 5, 'P', bad, LINK_READ_FAILED},  {VXA, 5, 'M', multi, LINK_OK},
      {VXA, 5, 'P', multi, LINK_READ_FAILED},
      {VXA, 5, 'M', cr, LINK_OK},            {VXA, 5, 'M', crMulti, LINK_OK},
      {VXA, 5, 'P', cr, LINK_NOT_CLINIC_METER}, {VXA, 5, 'P', crMulti, LINK_NOT_CLINIC_METER},
      {VXA, 5, 'M', badCr, LINK_READ_FAILED},   {VXA, 5, 'M', badCrMulti, LINK_READ_FAILED},
      {MK72, 5, 'M', cr, LINK_NOT_SUPPORTED},   {TR35, 5, 'M', cr, LINK_NOT_SUPPORTED},
      {HIDUART, 10, 'P', typeM, LINK_READ_FAILED},  {HIDUART, 100, 'P', gone3, LINK_READ_FAILED},
      {HIDUART, 100, 'P', stop3, LINK_READ_FAILED}, {HIDUART, 10, 'P', cr, LINK_NOT_SUPPORTED},
      {HIDUART, 481, 'P', {}, LINK_READ_FAILED},    {HIDUART, 1023, 'P', {}, LINK_READ_FAILED},
      {HIDUART, 1024, 'P', {}, LINK_READ_FAILED},   {HIDUART, 10, 'P', lead, LINK_OK},
  };
  // clang-format on
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(LinkKindName(c.kind)) + " " + c.type + std::to_string(c.n));
    const Bytes image = test::SampleImage(c.type, c.n);
    Read r = ReadImage(c.kind, image, c.opt);
    EXPECT_EQ(r.result, c.want);
    EXPECT_TRUE(c.want != LINK_OK || std::equal(image.begin(), image.end(), r.buffer.begin()));
  }
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
      EXPECT_EQ(ReadSerial(kind, sn, {.badSerialChecksum = true}).result, LINK_READ_FAILED);
    }
    // Only VXA checks the characters, and only the first ten.
    for (const char* sn : {"AB-2345678", "ABCDEFGHI-K", "AB{2345678", "ABCDEFGHIJ-"})
      EXPECT_EQ(ReadSerial(kind, sn).result,
                kind == LinkKind::VXA && std::string(sn).find('-') < 10 ? LINK_BAD_SERIAL : LINK_OK)
          << sn;
    // A meter (or a bridge answering "R" with nothing) silent about its number.
    if (kind == LinkKind::TR35 || kind == LinkKind::HIDUART) {
      EXPECT_EQ(ReadSerial(kind, "AB12345678", {.silentSerial = true}).result,
                kind == LinkKind::TR35 ? LINK_TIMEOUT : LINK_READ_FAILED);
    }
  }
}

// A device whose input reports are scripted byte for byte.
struct ScriptedDevice : HidDevice {
  std::vector<Bytes> answers;
  std::string product;
  std::size_t next = 0;
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
};

// Every open hands out a fresh copy of the scripted device.
struct ScriptedBackend : HidBackend {
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
  Bytes ready{kReportData, 1, 0, 0, 0, 0, 0, 0, 'P', 3};  // a header of three records
  ready.resize(40);
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

}  // namespace
}  // namespace meridane
