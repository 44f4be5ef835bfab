#pragma once
// Outcome codes of a download (the value worker and waiting side exchange) and the one
// message each code shows.
#include <cstdint>
#include <optional>
#include <string>

namespace meridane {

inline constexpr std::uint32_t kDownloadOk = 0;
inline constexpr std::uint32_t kDownloadNeedsIndividual = 0xFFEE;  // personal meter, clinic mode
inline constexpr std::uint32_t kDownloadNeedsMultiple = 0xFFEF;    // clinic meter, single mode
inline constexpr std::uint32_t kDownloadNoRecords = 0xFFFA;
inline constexpr std::uint32_t kDownloadNotSupported = 0xFFFB;
inline constexpr std::uint32_t kDownloadTooMany = 0xFFFC;
inline constexpr std::uint32_t kDownloadNoAnswer = 0xFFFD;
inline constexpr std::uint32_t kDownloadNotConnected = 0xFFFE;
inline constexpr std::uint32_t kDownloadRunning = 0xFFFF;

// The most readings one download may add.
inline constexpr std::size_t kMaxDownloadReadings = 10000;

struct OutcomeMessage {
  std::string caption;
  std::string text;
};

// The message for a finished download's code, looked up in the language file; nullopt for
// success and for the running value.
std::optional<OutcomeMessage> DownloadOutcomeMessage(std::uint32_t result);

}  // namespace meridane
