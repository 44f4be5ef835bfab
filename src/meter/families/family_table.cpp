// The built-in meter families, one row each, and the registry that serves the table.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>

#include "meter/families/hiduart.h"
#include "meter/families/mk72.h"
#include "meter/families/tr35.h"
#include "meter/families/usb_serial.h"
#include "meter/families/vxa.h"
#include "meter/meter_family.h"
#include "meter/transport/serial_backend.h"

namespace meridane {
namespace {

// Table order is the order of the udev rules; detectionPlace is the order a download tries.
std::vector<MeterFamily> BuiltInRows() {
  return {
      {LinkKind::MK72, "mk72", MeterTransport::Hid40, kProductMK72, 0, 0, 4,
       MakeLinkOf<CCommHidMK72>},
      {LinkKind::VXA, "vxa", MeterTransport::Hid40, kProductVXA, 0, 0, 3,
       MakeLinkOf<CCommHidVXA>},
      {LinkKind::TR35, "tr35", MeterTransport::Hid40, kProductTR35, 0, 0, 1,
       MakeLinkOf<CCommHidTR35>},
      // Never tried by detection: a bridge meter is only read when asked for by name.
      {LinkKind::HIDUART, "hiduart", MeterTransport::HidUart, kProductHIDUART, 0, 0, 0,
       MakeLinkOf<CCommHIDUART>},
      {LinkKind::USB, "usb", MeterTransport::Serial, "", kCp210xVendorId, kCp210xProductId, 2,
       MakeLinkOf<CCommUSB>},
  };
}

struct Registry {
  std::mutex mu;
  std::vector<MeterFamily> rows = BuiltInRows();
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

}  // namespace

const std::vector<MeterFamily>& MeterFamilies() { return TheRegistry().rows; }

const std::vector<MeterFamily>& BuiltInMeterFamilies() {
  static const std::vector<MeterFamily> rows = BuiltInRows();
  return rows;
}

bool RegisterMeterFamily(const MeterFamily& row) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mu);
  if (!row.make || !row.name) return false;
  for (const MeterFamily& f : r.rows)
    if (f.kind == row.kind || SameName(f.name, row.name)) return false;
  r.rows.push_back(row);
  return true;
}

const MeterFamily* FindMeterFamily(LinkKind kind) {
  for (const MeterFamily& f : MeterFamilies())
    if (f.kind == kind) return &f;
  return nullptr;
}

const MeterFamily* FindMeterFamily(std::string_view name) {
  for (const MeterFamily& f : MeterFamilies())
    if (SameName(f.name, name)) return &f;
  return nullptr;
}

std::vector<const MeterFamily*> DetectionOrder() {
  std::vector<const MeterFamily*> order;
  for (const MeterFamily& f : MeterFamilies())
    if (f.detectionPlace > 0) order.push_back(&f);
  std::stable_sort(order.begin(), order.end(), [](const MeterFamily* a, const MeterFamily* b) {
    return a->detectionPlace < b->detectionPlace;
  });
  return order;
}

std::string DetectedFamilyNames() {
  const auto order = DetectionOrder();
  std::string out;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0) out += i + 1 == order.size() ? " or " : ", ";
    out += order[i]->name;
  }
  return out;
}

std::string UdevRules(const std::vector<MeterFamily>& rows) {
  std::string out =
      "# Meridane: let the person at the desktop open glucose meters without root.\n"
      "# uaccess gives the logged-in seat user an ACL on the device node; it must run before\n"
      "# 73-seat-late.rules, hence the 70- prefix.\n"
      "# Written from the program's table of meter families; a test keeps the two the same.\n"
      "\n"
      "# HID meters, matched by the USB product string they report (byte for byte, as the "
      "program\n"
      "# matches them). Each rule covers the hidraw node the program opens.\n";
  for (const MeterFamily& f : rows)
    if (f.transport != MeterTransport::Serial)
      out += std::string("KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{product}==\"") +
             f.product + "\", TAG+=\"uaccess\"\n";
  for (const MeterFamily& f : rows) {
    if (f.transport != MeterTransport::Serial) continue;
    char ids[256];
    std::snprintf(ids, sizeof ids,
                  "# Meters behind a USB-to-UART bridge (%04X:%04X). ModemManager is told\n"
                  "# to leave the port alone: its probing would swallow the meter's answers.\n",
                  f.usbVendor, f.usbProduct);
    out += "\n";
    out += ids;
    std::snprintf(ids, sizeof ids, "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\"",
                  f.usbVendor, f.usbProduct);
    out += std::string("SUBSYSTEM==\"tty\", ") + ids +
           ", TAG+=\"uaccess\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n";
  }
  return out;
}

}  // namespace meridane
