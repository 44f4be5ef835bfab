#include "download/download_outcome.h"

#include "base/text_lookup.h"

namespace meridane {

std::optional<OutcomeMessage> DownloadOutcomeMessage(DownloadResult result) {
  if (result == kDownloadOk || result == kDownloadRunning) return std::nullopt;
  TextId text{"OpMsg", "OpMsg3",
              "Please make sure the meter has switched to the communication mode and correctly "
              "connected to your computer."};
  switch (result) {
    case kDownloadNeedsIndividual:
      text = TextId{"ErrMsg", "ErrMsg4",
                    "Your meter is designed for Individual Management. Please go back and select "
                    "Individual Management."};
      break;
    case kDownloadNeedsMultiple:
      text = TextId{"ErrMsg", "ErrMsg4",
                    "Your meter is designed for Multiple Management. Please go back and select "
                    "Multiple Management."};
      break;
    case kDownloadNoRecords:
      text = TextId{"OpMsg", "OpMsg3", "No records in the meter."};
      break;
    case kDownloadNotSupported:
      text = TextId{"ErrMsg", "ErrMsg4", "The meter doesn\u2019t support the function you are using."};
      break;
    case kDownloadTooMany:
      text = TextId{"ErrMsg", "ErrMsg4", "Records are more than 10,000."};
      break;
    case kDownloadNotConnected:
      text = TextId{"ErrMsg", "ErrMsg19", "Please make sure the meter is connected properly."};
      break;
    default:
      break;
  }
  return OutcomeMessage{LookupText("Label", "Warning", "Warning"),
                        LookupText(text)};  // dynamic text
}

}  // namespace meridane
