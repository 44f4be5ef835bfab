#pragma once
// Outcome codes of a download (the value worker and waiting side exchange) and the one
// message each code shows.
#include <cstdint>
#include <optional>
#include <string>

namespace meridane {

// A distinct type from LinkResult: the worker maps each link code to one of these.
// Values other than those named can arrive (any other value shows the "check mode" text).
enum class DownloadResult : std::uint32_t {
  kDownloadOk = 0,
  kDownloadNeedsIndividual = 0xFFEE,  // personal meter, clinic mode
  kDownloadNeedsMultiple = 0xFFEF,    // clinic meter, single mode
  kDownloadNoRecords = 0xFFFA,
  kDownloadNotSupported = 0xFFFB,
  kDownloadTooMany = 0xFFFC,
  kDownloadNoAnswer = 0xFFFD,
  kDownloadNotConnected = 0xFFFE,
  kDownloadRunning = 0xFFFF,
};
using enum DownloadResult;

// The most readings one download may add.
inline constexpr std::size_t kMaxDownloadReadings = 10000;

struct OutcomeMessage {
  std::string caption;
  std::string text;
};

// The message for a finished download's code, looked up in the language file; nullopt for
// success and for the running value.
std::optional<OutcomeMessage> DownloadOutcomeMessage(DownloadResult result);

}  // namespace meridane
