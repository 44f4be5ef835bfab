#pragma once
// Makes the link of one family over the given backends, as the family table says.
#include <memory>
#include <optional>
#include <string_view>

#include "meter/dev_comm.h"
#include "meter/link_context.h"
#include "meter/meter_family.h"

namespace meridane {

// The family's name in the table: "tr35", "usb", "vxa", "mk72", "hiduart"; "" when unknown.
std::string_view LinkKindName(LinkKind kind);
std::optional<LinkKind> ParseLinkKind(std::string_view name);  // case-insensitive
// The HID product string a link of this kind opens; empty for the serial link.
const char* HidProductName(LinkKind kind);

// nullptr for a kind that has no row.
std::unique_ptr<CDevComm> MakeLink(LinkKind kind, const LinkContext& ctx);

}  // namespace meridane
