#include "base/user_guide.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace meridane {
namespace {

namespace fs = std::filesystem;

// A fake install tree: prefix/bin (the program), prefix/share/meridane (the installed
// guide), a build folder with the guide beside the program, and a working directory.
struct GuideTree : test::TempFolder {
  GuideTree() : TempFolder("guide") {
    for (const char* d : {"usr/bin", "usr/share/meridane", "build/src/gui", "work"})
      fs::create_directories(Path(d));
  }
  std::string Put(const std::string& dir) { return Write(dir + "/manual.pdf", "%PDF-1.4\n"); }
  std::string Dir(const std::string& d) const { return Path(d); }
};

TEST(UserGuide, FoundWhereTheProgramRunsFromThenInTheWorkingDirectory) {
  struct Case {
    const char* name;
    std::vector<std::string> guides;  // folders (below the tree) holding a manual.pdf
    std::string programDir;
    std::string expected;  // folder of the guide found, "" for none
  };
  const std::vector<Case> cases{
      {"installed program finds the installed guide", {"usr/share/meridane"}, "usr/bin",
       "usr/share/meridane"},
      {"installed program, guide only in the working dir", {"work"}, "usr/bin", "work"},
      {"installed guide wins over the working dir", {"usr/share/meridane", "work"}, "usr/bin",
       "usr/share/meridane"},
      {"build folder finds the guide beside the program", {"build/src/gui", "work"},
       "build/src/gui", "build/src/gui"},
      {"build folder does not pick up an installed guide elsewhere", {"usr/share/meridane"},
       "build/src/gui", ""},
      {"nothing anywhere", {}, "usr/bin", ""},
  };
  for (const Case& c : cases) {
    GuideTree t;
    for (const std::string& g : c.guides) t.Put(g);
    std::string found = FindUserGuide(t.Dir(c.programDir), t.Dir("work"));
    std::string want = c.expected.empty() ? "" : t.Path(c.expected + "/manual.pdf");
    EXPECT_EQ(found, want) << c.name;
  }
}

TEST(UserGuide, OnlyARegularFileCounts) {
  GuideTree t;
  // A folder named like the guide is not the guide; the next place is tried.
  fs::create_directories(t.Path("usr/share/meridane/manual.pdf"));
  std::string in_work = t.Put("work");
  EXPECT_EQ(FindUserGuide(t.Dir("usr/bin"), t.Dir("work")), in_work);
  // A symbolic link to the guide (as distributions like to lay them out) is followed.
  fs::remove_all(t.Path("usr/share/meridane/manual.pdf"));
  fs::create_symlink(in_work, t.Path("usr/share/meridane/manual.pdf"));
  EXPECT_EQ(FindUserGuide(t.Dir("usr/bin"), ""),
            t.Path("usr/share/meridane/manual.pdf"));
}

TEST(UserGuide, RelativeWorkingDirectoryGivesAnAbsolutePath) {
  GuideTree t;
  t.Put("work");
  fs::path old = fs::current_path();
  fs::current_path(t.root());
  std::string found = FindUserGuide("", "work");
  fs::current_path(old);
  EXPECT_EQ(found, t.Path("work/manual.pdf"));
  EXPECT_EQ(UserGuidePlaces("", "").size(), 0u);
}

}  // namespace
}  // namespace meridane
