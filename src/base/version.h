#pragma once

namespace meridane {

// The release's version text: painted on the home page, in the About box and written into
// every CSV export.
inline constexpr const char* kVersionText = "4.06";

}  // namespace meridane
