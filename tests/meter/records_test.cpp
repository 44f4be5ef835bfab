#include <gtest/gtest.h>

#include "meter/emulator/emulated_backends.h"
#include "meter/families/hiduart.h"
#include "meter/families/mk72.h"
#include "meter/families/tr35.h"
#include "meter/families/vxa.h"
#include "meter/link_result.h"
#include "meter/meter_image.h"
#include "support/meter_images.h"

namespace meridane {
namespace {

using Bytes = std::vector<std::uint8_t>;

MeterRecord Personal(Bytes b) {
  return DecodePersonalRecord(std::span<const std::uint8_t, 8>(b.data(), 8));
}
MeterRecord Clinic(Bytes b) {
  return DecodeClinicRecord(std::span<const std::uint8_t, 8>(b.data(), 8));
}

TEST(MeterImage, PersonalRecordDecodes) {
  EXPECT_EQ(Personal({0x01, 0x25, 0x24, 0x03, 0x15, 0x07, 0x45, 0x80}),
            (MeterRecord{125, 2024, 3, 15, 7, 45, 1, 0, false}));
  // Hundreds are plain binary, not BCD; bits 6-0 of byte 7 mean nothing.
  EXPECT_EQ(Personal({0x05, 0x99, 0x09, 0x12, 0x31, 0x23, 0x59, 0x7F}),
            (MeterRecord{599, 2009, 12, 31, 23, 59, 0, 0, false}));
  // Out-of-range BCD nibbles are taken as they stand; judging them is the caller's job.
  EXPECT_EQ(Personal({0x00, 0x1A, 0x2A, 0x13, 0x00, 0x00, 0x00, 0x00}),
            (MeterRecord{20, 2030, 13, 0, 0, 0, 0, 0, false}));
}

TEST(MeterImage, ClinicRecordDecodesBitFields) {
  // year 24 = 0b0011000: bits 6-4 in byte 2, bits 3-0 in byte 3's high nibble.
  // day 31, hour 23 (0b10111), minute 59, medical number 1023.
  Bytes r{0x02, 0x47, 0x01, 0x8C, (31 << 3) | 0b101, (0b11 << 6) | 59, 0xFF, 0x83};
  EXPECT_EQ(Clinic(r), (MeterRecord{247, 2024, 12, 31, 23, 59, 1, 1023, false}));
  // Bit 5 voids the record whatever else it says; unused bits do not leak into fields.
  r[7] = 0x20;
  r[2] |= 0xF8;
  EXPECT_EQ(Clinic(r), (MeterRecord{247, 2024, 12, 31, 23, 59, 0, 0xFF, true}));
}

HidInterfaceInfo Iface(std::string path) {
  HidInterfaceInfo info;
  info.path = std::move(path);
  return info;
}

TEST(HidOpen, FirstExactProductMatchWinsAndNoOtherHandleStaysOpen) {
  const auto image = test::SampleImage('P', 3);
  auto first = std::make_shared<MeterEmulator>(LinkKind::MK72, image, "AB12345678");
  auto second = std::make_shared<MeterEmulator>(LinkKind::MK72, image, "CD12345678");
  EmulatedHidBackend hid;
  hid.AddInterface(Iface("kbd"), "Keyboard");
  hid.AddInterface(Iface("blank"), "MK72 ");
  hid.AddInterface(Iface("lower"), "mk72");
  hid.AddInterface(Iface("unreadable"), "MK72", nullptr, true, false);
  hid.AddInterface(Iface("locked"), "MK72", nullptr, false);
  hid.AddMeter(first, "meter1");
  hid.AddMeter(second, "meter2");

  std::unique_ptr<HidDevice> dev;
  ASSERT_EQ(OpenHidByProduct(hid, dev, "MK72"), 0);
  ASSERT_TRUE(dev && hid.openNow() == 1);
  EXPECT_EQ(hid.opened(),
            (std::vector<std::string>{"kbd", "blank", "lower", "unreadable", "locked", "meter1"}));
  // The handle is the first meter's: the second is never touched.
  EXPECT_TRUE(HidFlush(*dev) && HidSendByte(*dev, 'R'));
  EXPECT_EQ(first->commands().size(), 1u);
  EXPECT_TRUE(second->commands().empty());
  dev.reset();

  EXPECT_EQ(OpenHidByProduct(hid, dev, "GLUCOSE"), 1);
  EXPECT_TRUE(!dev && hid.openNow() == 0);
}

TEST(HidOpen, EnumerationSkipsUnusableInterfacesAndKeeps64) {
  EmulatedHidBackend hid;
  hid.AddInterface(Iface(""), "MK72");
  hid.AddInterface(Iface(std::string(kMaxHidPathLength + 1, 'x')), "MK72");
  HidInterfaceInfo noCaps = Iface("nocaps");
  noCaps.caps.readable = false;
  hid.AddInterface(noCaps, "MK72");
  for (int i = 0; i < 70; ++i) hid.AddInterface(Iface("dev" + std::to_string(i)), "Other");
  auto table = EnumerateHidInterfaces(hid);
  ASSERT_EQ(table.size(), kMaxHidInterfaces);
  EXPECT_EQ(table.front().path + " " + table.back().path, "dev0 dev63");

  // A matching interface past the 64th is not reached; skipped ones are never opened.
  hid.AddInterface(Iface("late"), "MK72");
  CCommHidMK72 link(LinkContext{&hid});
  EXPECT_EQ(link.Open(0), LINK_NOT_FOUND);
  for (const auto& p : hid.opened()) EXPECT_TRUE(p.rfind("dev", 0) == 0) << p;
  EXPECT_EQ(hid.opened().size(), 64u);
}

TEST(HidOpen, CloseIsHarmlessWithoutAMeter) {
  EmulatedHidBackend hid;
  hid.failEnumeration = true;
  LinkContext ctx{&hid};
  for (LinkKind k : {LinkKind::MK72, LinkKind::VXA, LinkKind::TR35}) {
    auto link = MakeLink(k, ctx);
    EXPECT_EQ(link->Open(0), LINK_NOT_FOUND);
    EXPECT_EQ(link->GetHandle(), kInvalidLinkHandle);
    link->Close();
    link->Close();
    std::uint8_t sn[12], len = 0;
    EXPECT_EQ(link->ReadSerialNumber(sn, len), LINK_WRITE_FAILED);  // never opened
  }
  CCommHIDUART uart(ctx);
  EXPECT_EQ(uart.Open(0), LINK_DEVICE_GONE);
  EXPECT_EQ(uart.GetHandle(), kInvalidLinkHandle);
}

}  // namespace
}  // namespace meridane
