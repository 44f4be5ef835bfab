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

std::unique_ptr<CDevComm> MakeLink(LinkKind kind, const LinkContext& ctx);

}  // namespace meridane
