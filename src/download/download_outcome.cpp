#include "download/download_outcome.h"

#include "base/text_lookup.h"

namespace meridane {

std::optional<OutcomeMessage> DownloadOutcomeMessage(DownloadResult result) {
  if (result == kDownloadOk || result == kDownloadRunning) return std::nullopt;
  static constexpr const char* kCheckMode =
      "Please make sure the meter has switched to the communication mode and correctly "
      "connected to your computer.";
  const char* section = "OpMsg";
  const char* key = "OpMsg3";
  const char* fallback = kCheckMode;
  switch (result) {
    case kDownloadNeedsIndividual:
      section = "ErrMsg", key = "ErrMsg4",
      fallback = "Your meter is designed for Individual Management. Please go back and select "
                 "Individual Management.";
      break;
    case kDownloadNeedsMultiple:
      section = "ErrMsg", key = "ErrMsg4",
      fallback = "Your meter is designed for Multiple Management. Please go back and select "
                 "Multiple Management.";
      break;
    case kDownloadNoRecords:
      fallback = "No records in the meter.";
      break;
    case kDownloadNotSupported:
      section = "ErrMsg", key = "ErrMsg4",
      fallback = "The meter doesn\u2019t support the function you are using.";
      break;
    case kDownloadTooMany:
      section = "ErrMsg", key = "ErrMsg4", fallback = "Records are more than 10,000.";
      break;
    case kDownloadNotConnected:
      section = "ErrMsg", key = "ErrMsg19", fallback = "Please make sure the meter is connected properly.";
      break;
    default:
      break;
  }
  return OutcomeMessage{LookupText("Label", "Warning", "Warning"),
                        LookupText(section, key, fallback)};
}

}  // namespace meridane
