#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>
#include <tuple>

#include "base/data_paths.h"
#include "base/display_rules.h"
#include "base/text_lookup.h"
#include "base/user_guide.h"
#include "support/book.h"
#include "support/env.h"
#include "support/temp_folder.h"

namespace meridane {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

TEST(LookupText, BehavesLikeTheProfileApi) {
  TempFolder dir("app");
  const std::string file = dir.Write(
      "lang.ini",
      "\xEF\xBB\xBF[Label]\r\n"
      "Warning = Achtung  \r\n"
      "; Quoted=no\r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Empty=\r\n"
      "Long=" + std::string(300, 'x') + "\r\n"
      "[OpMsg]\n"
      "OpMsg3=Other section\n");
  // Present but empty is not the default; OpMsg3 is in another section.
  const std::array<std::array<std::string, 3>, 9> cases{{{"Label", "Warning", "Achtung"},
      {"label", "WARNING", "Achtung"}, {"Label", "Quoted", "  spaced  "}, {"Label", "Empty", ""},
      {"Label", "Long", std::string(255, 'x')}, {"Label", "OpMsg3", "d"},
      {"Label", "; Quoted", "d"}, {"Label", "Missing", "d"}, {"Nope", "Warning", "d"}}};
  for (const auto& [section, key, text] : cases)
    EXPECT_EQ(LookupTextIn(file, section, key, "d"), text) << section << "/" << key;
  EXPECT_EQ(LookupTextIn(dir.Path("absent.ini"), "Label", "Warning", "W"), "W");
  EXPECT_EQ(LookupTextIn("", "Label", "x", std::string(400, 'd')), std::string(255, 'd'));

  // The windows pass no file: every lookup is its default.
  EXPECT_EQ(LookupText("OpMsg", "OpMsg3", "Cannot find the user's guide."),
            "Cannot find the user's guide.");
  SetLanguageFile(file);
  EXPECT_EQ(LookupText("OpMsg", "OpMsg3", "x"), "Other section");
  SetLanguageFile("");
}

TEST(DataFolder, FromTheEnvironmentAndNeverFatal) {
  test::EnvOverride profile("USERPROFILE", "/tmp/winprofile");
  test::EnvOverride home("HOME", "/home/ann");
  SetDataFolderOverride("");
  EXPECT_EQ(DataFolder(), "/tmp/winprofile/MeridData_Pro");
  EXPECT_EQ(PatientDatabasePath(), "/tmp/winprofile/MeridData_Pro/Patients.db");
  profile.Set(std::nullopt);
  EXPECT_EQ(DataFolder(), "/home/ann/MeridData_Pro");
  profile.Set("");
  EXPECT_EQ(DataFolder(), "/home/ann/MeridData_Pro");
  home.Set(std::nullopt);
  profile.Set(std::nullopt);
  EXPECT_NE(DataFolder(), "/MeridData_Pro");  // the account's home, not the root

  TempFolder dir("app");
  home.Set(dir.root());
  std::string error;
  EXPECT_TRUE(EnsureDataFolder(&error));
  EXPECT_TRUE(fs::is_directory(dir.Path("MeridData_Pro")));
  EXPECT_TRUE(EnsureDataFolder(&error));  // already there

  // A folder that cannot be made is reported, not thrown.
  dir.Write("plainfile", "x");
  test::DataFolderOverride below(dir.Path("plainfile/MeridData_Pro"));
  EXPECT_FALSE(EnsureDataFolder(&error));
  EXPECT_FALSE(error.empty());
}


// Where the main window goes, which display warnings start-up shows, and the stepped
// scrolling of small screens, for screens no test machine has.
TEST(DisplayRules, PlacementWarningsAndScrollSteps) {
  // A screen, then where the window goes and its DPI, resolution and large-DPI flags.
  const std::pair<ScreenMetrics, MainWindowPlacement> cases[] = {
      {{1920, 1080, 96}, {448, 156, 1024, 738, false, false, false}},
      {{800, 600, 96}, {0, 0, 800, 570, false, true, false}},
      {{1024, 768, 120}, {0, 0, 1024, 738, true, false, true}},
      {{1024, 767, 96}, {0, 0, 1024, 737, false, true, false}},
      {{1023, 768, 144}, {0, 0, 1023, 738, true, true, true}},
  };
  auto fields = [](const MainWindowPlacement& p) {
    return std::tuple(p.x, p.y, p.width, p.height, p.dpiWarning, p.resolutionWarning,
                      p.largeDpiLayout);
  };
  for (const auto& [s, want] : cases)
    EXPECT_EQ(fields(PlaceMainWindow(s)), fields(want))
        << s.width << "x" << s.height << "@" << s.dpi;
  EXPECT_TRUE(HomePageScrolls({800, 600, 120}));
  EXPECT_FALSE(HomePageScrolls({800, 600, 96}));
  // A tenth of the overhang: (783 - 600) / 10 down, (1048 - 800) / 10 across at 96 dpi.
  EXPECT_EQ(ScrollStepPixels({800, 600, 96}, true), 18);
  EXPECT_EQ(ScrollStepPixels({800, 600, 96}, false), 24);
  EXPECT_EQ(ScrollStepPixels({800, 600, 120}, true), 19);
  EXPECT_EQ(ScrollStepPixels({800, 600, 120}, false), 25);
  EXPECT_EQ(ScrollStepPixels({1920, 1080, 96}, true), 0);  // nothing to scroll
}

// A fake install tree: prefix/bin (the program), prefix/share/meridane (the installed
// guide), a build folder with the guide beside the program, and a working directory.
TEST(UserGuide, FoundWhereTheProgramRunsFromThenInTheWorkingDirectory) {
  // Folders holding a manual.pdf, the program's folder, the folder of the guide found ("": none).
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{"usr/share/meridane"}, "usr/bin", "usr/share/meridane"},
      {{"work"}, "usr/bin", "work"},
      {{"usr/share/meridane", "work"}, "usr/bin", "usr/share/meridane"},  // installed one first
      {{"build/src/gui", "work"}, "build/src/gui", "build/src/gui"},
      {{"usr/share/meridane"}, "build/src/gui", ""},  // a build never takes an installed guide
      {{}, "usr/bin", ""},
  };
  for (const auto& [guides, programDir, expected] : cases) {
    TempFolder t("guide");
    for (const char* d : {"usr/bin", "usr/share/meridane", "build/src/gui", "work"})
      fs::create_directories(t.Path(d));
    for (const std::string& g : guides) t.Write(g + "/manual.pdf", "%PDF-1.4\n");
    const std::string want = expected.empty() ? "" : t.Path(expected + "/manual.pdf");
    EXPECT_EQ(FindUserGuide(t.Path(programDir), t.Path("work")), want) << programDir << expected;
  }
}

}  // namespace
}  // namespace meridane
