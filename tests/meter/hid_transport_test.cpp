#include <gtest/gtest.h>

#include "meter/emulator/emulated_backends.h"
#include "meter/families/hiduart.h"
#include "meter/families/mk72.h"
#include "meter/families/tr35.h"
#include "meter/families/vxa.h"
#include "support/meter_images.h"

namespace meridane {
namespace {

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
  EXPECT_EQ(table.front().path, "dev0");
  EXPECT_EQ(table.back().path, "dev63");

  // A matching interface past the 64th is not reached; skipped ones are never opened.
  hid.AddInterface(Iface("late"), "MK72");
  CCommHidMK72 link(LinkContext{&hid});
  EXPECT_EQ(link.Open(0), LINK_NOT_FOUND);
  for (const auto& p : hid.opened()) EXPECT_TRUE(p.rfind("dev", 0) == 0) << p;
  EXPECT_EQ(hid.opened().size(), 64u);
}

TEST(HidOpen, CloseIsHarmlessAndBaseLinkAnswersDefaults) {
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

  CDevComm base;
  auto buf = test::Buffer();
  std::uint32_t bytes = 7, records = 7;
  std::uint8_t len = 0;
  EXPECT_EQ(base.Open(0), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(base.OpenPort(), ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(base.ReadRecords(buf, bytes, records), ERROR_INVALID_DATA);
  for (LinkResult r : {base.WriteBlock({}), base.ReadSerialNumber(buf, len),
                       base.ReadClinicRecords(buf, bytes, records)})
    EXPECT_EQ(r, LINK_NOT_SUPPORTED);
}

// The real backends on a machine without meters: nothing found, nothing left open.
TEST(HidOpen, SystemBackendsFindNoMeterCleanly) {
  for (LinkKind k : {LinkKind::TR35, LinkKind::VXA, LinkKind::MK72}) {
    auto link = MakeLink(k, LinkContext{});
    EXPECT_EQ(link->Open(0), LINK_NOT_FOUND) << LinkKindName(k);
    link->Close();
  }
  CCommHIDUART uart{LinkContext{}};
  EXPECT_EQ(uart.Open(0), LINK_DEVICE_GONE);
  auto usb = MakeLink(LinkKind::USB, LinkContext{});
  const LinkResult r = usb->Open(0);
  EXPECT_TRUE(r == ERROR_DEVICE_NOT_CONNECTED || r == LINK_NOT_FOUND) << LinkResultName(r);
  usb->Close();
  EXPECT_EQ(ParseLinkKind("MK72"), LinkKind::MK72);
  EXPECT_EQ(ParseLinkKind("usb"), LinkKind::USB);
  EXPECT_FALSE(ParseLinkKind("mk7"));
}

}  // namespace
}  // namespace meridane
