#include "base/user_guide.h"

#include <filesystem>
#include <system_error>

#ifndef MERIDANE_GUIDE_RELDIR
#define MERIDANE_GUIDE_RELDIR "../share/meridane"
#endif

namespace meridane {

namespace {
constexpr const char* kGuideName = "manual.pdf";
}

std::vector<std::string> UserGuidePlaces(const std::string& programDir,
                                         const std::string& workingDir) {
  namespace fs = std::filesystem;
  std::vector<std::string> places;
  if (!programDir.empty()) {
    places.push_back((fs::path(programDir) / kGuideName).string());
    places.push_back(
        (fs::path(programDir) / MERIDANE_GUIDE_RELDIR / kGuideName).lexically_normal().string());
  }
  if (!workingDir.empty()) places.push_back((fs::path(workingDir) / kGuideName).string());
  return places;
}

std::string FindUserGuide(const std::string& programDir, const std::string& workingDir) {
  namespace fs = std::filesystem;
  for (const std::string& place : UserGuidePlaces(programDir, workingDir)) {
    std::error_code ec;
    if (fs::is_regular_file(place, ec)) {
      fs::path abs = fs::absolute(place, ec);
      return ec ? place : abs.lexically_normal().string();
    }
  }
  return {};
}

}  // namespace meridane
