#pragma once
// Where the Help button finds the user's guide "manual.pdf".
#include <string>
#include <vector>

namespace meridane {

// The places looked at, best first: beside the program (a build folder), the installed data
// folder reached from the program's folder (bin/../share/meridane, so any install prefix
// works), then the working directory. The program's own guide comes before the working
// directory's so that a start from the menu (working directory = home) never opens some
// other "manual.pdf" lying there.
std::vector<std::string> UserGuidePlaces(const std::string& programDir,
                                         const std::string& workingDir);

// The first place holding a regular file, as an absolute path; empty when there is none.
std::string FindUserGuide(const std::string& programDir, const std::string& workingDir);

}  // namespace meridane
