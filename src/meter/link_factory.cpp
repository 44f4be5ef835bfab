#include "meter/link_factory.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "meter/comm_usb.h"
#include "meter/hid_families.h"

namespace meridane {

std::string_view LinkKindName(LinkKind kind) {
  switch (kind) {
    case LinkKind::TR35:
      return "tr35";
    case LinkKind::USB:
      return "usb";
    case LinkKind::VXA:
      return "vxa";
    case LinkKind::MK72:
      return "mk72";
    case LinkKind::HIDUART:
      return "hiduart";
  }
  return "";
}

std::optional<LinkKind> ParseLinkKind(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (LinkKind k :
       {LinkKind::TR35, LinkKind::USB, LinkKind::VXA, LinkKind::MK72, LinkKind::HIDUART})
    if (LinkKindName(k) == lower) return k;
  return std::nullopt;
}

const char* HidProductName(LinkKind kind) {
  switch (kind) {
    case LinkKind::MK72:
      return kProductMK72;
    case LinkKind::VXA:
      return kProductVXA;
    case LinkKind::TR35:
      return kProductTR35;
    case LinkKind::HIDUART:
      return kProductHIDUART;
    case LinkKind::USB:
      break;
  }
  return "";
}

std::unique_ptr<CDevComm> MakeLink(LinkKind kind, const LinkContext& ctx) {
  switch (kind) {
    case LinkKind::TR35:
      return std::make_unique<CCommHidTR35>(ctx);
    case LinkKind::USB:
      return std::make_unique<CCommUSB>(ctx);
    case LinkKind::VXA:
      return std::make_unique<CCommHidVXA>(ctx);
    case LinkKind::MK72:
      return std::make_unique<CCommHidMK72>(ctx);
    case LinkKind::HIDUART:
      return std::make_unique<CCommHIDUART>(ctx);
  }
  return nullptr;
}

}  // namespace meridane
