#include "meter/link_factory.h"

namespace meridane {

std::string_view LinkKindName(LinkKind kind) {
  const MeterFamily* f = FindMeterFamily(kind);
  return f ? f->name : "";
}

std::optional<LinkKind> ParseLinkKind(std::string_view name) {
  if (const MeterFamily* f = FindMeterFamily(name)) return f->kind;
  return std::nullopt;
}

const char* HidProductName(LinkKind kind) {
  const MeterFamily* f = FindMeterFamily(kind);
  return f ? f->product : "";
}

std::unique_ptr<CDevComm> MakeLink(LinkKind kind, const LinkContext& ctx) {
  const MeterFamily* f = FindMeterFamily(kind);
  return f ? f->make(ctx) : nullptr;
}

}  // namespace meridane
