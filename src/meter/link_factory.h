#pragma once
// Makes the link of one kind over the given backends.
#include <memory>
#include <optional>
#include <string_view>

#include "meter/dev_comm.h"
#include "meter/link_context.h"

namespace meridane {

enum class LinkKind { TR35, USB, VXA, MK72, HIDUART };

// "tr35", "usb", "vxa", "mk72", "hiduart".
std::string_view LinkKindName(LinkKind kind);
std::optional<LinkKind> ParseLinkKind(std::string_view name);  // case-insensitive
// The HID product string a link of this kind opens; empty for the serial link.
const char* HidProductName(LinkKind kind);

std::unique_ptr<CDevComm> MakeLink(LinkKind kind, const LinkContext& ctx);

}  // namespace meridane
