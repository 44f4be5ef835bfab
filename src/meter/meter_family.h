#pragma once
// The table of meter families. One row per family says everything the rest of the program
// needs to know about it: its name on the command line, the transport and report layout it
// speaks (which the emulator plays), how the device is recognised (HID product string or
// USB ids), its place in the order a download tries the families, and how to build its link.
// Detection, the link factory, the emulator, the command line and the udev rules all read
// this table; adding a family is its protocol file plus one row.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "meter/dev_comm.h"
#include "meter/link_context.h"

namespace meridane {

// The id of a family row. The built-in families are named; rows added at run time
// (RegisterMeterFamily) use other values.
enum class LinkKind : int { TR35, USB, VXA, MK72, HIDUART };

// How a family's meter is reached, and so which report layout the emulator plays.
enum class MeterTransport {
  Hid40,    // HID, 8-byte output and 40-byte input reports with the block handshake
  HidUart,  // HID-to-UART bridge, 64-byte reports carrying a byte stream
  Serial,   // USB-serial bridge port
};

struct MeterFamily {
  LinkKind kind;
  const char* name;  // lower case, as the command line takes it: "mk72"
  MeterTransport transport;
  const char* product;       // HID product string, matched byte for byte; "" for serial
  std::uint16_t usbVendor;   // USB ids of a serial bridge; 0 for HID families
  std::uint16_t usbProduct;
  int detectionPlace;  // 1 is tried first; 0: never tried by detection
  std::unique_ptr<CDevComm> (*make)(const LinkContext&);
};

// Every row: the built-in table, then the registered rows in registration order.
const std::vector<MeterFamily>& MeterFamilies();
// The built-in rows only (what the shipped udev rules cover).
const std::vector<MeterFamily>& BuiltInMeterFamilies();
// Adds a row. Rows are registered before any download starts (at start-up or in a test's
// static set-up); a kind or name already in the table is refused. Returns true when added.
bool RegisterMeterFamily(const MeterFamily& row);

const MeterFamily* FindMeterFamily(LinkKind kind);
const MeterFamily* FindMeterFamily(std::string_view name);  // case-insensitive

// The rows a download tries, in order (detectionPlace 1, 2, ...).
std::vector<const MeterFamily*> DetectionOrder();
// "tr35, usb, vxa or mk72": the detected families' names in detection order, for help texts.
std::string DetectedFamilyNames();

// The udev rules that let the desktop user open the devices of `rows`.
std::string UdevRules(const std::vector<MeterFamily>& rows);

// Builds a row's link: for the `make` member of a row.
template <typename Link>
std::unique_ptr<CDevComm> MakeLinkOf(const LinkContext& ctx) {
  return std::make_unique<Link>(ctx);
}

}  // namespace meridane
