#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "base/data_paths.h"
#include "base/text_lookup.h"
#include "support/book.h"
#include "support/temp_folder.h"

namespace meridane {
namespace {

using test::TempFolder;

// Sets or unsets an environment variable for one test.
class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
  }
  ~EnvGuard() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  void Set(const std::string& v) { setenv(name_, v.c_str(), 1); }
  void Unset() { unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

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
  EnvGuard profile("USERPROFILE");
  EnvGuard home("HOME");
  SetDataFolderOverride("");
  profile.Set("/tmp/winprofile");
  home.Set("/home/ann");
  EXPECT_EQ(DataFolder(), "/tmp/winprofile/MeridData_Pro");
  EXPECT_EQ(PatientDatabasePath(), "/tmp/winprofile/MeridData_Pro/Patients.db");
  profile.Unset();
  EXPECT_EQ(DataFolder(), "/home/ann/MeridData_Pro");
  profile.Set("");
  EXPECT_EQ(DataFolder(), "/home/ann/MeridData_Pro");
  home.Unset();
  profile.Unset();
  EXPECT_NE(DataFolder(), "/MeridData_Pro");  // the account's home, not the root

  TempFolder dir("app");
  home.Set(dir.root());
  std::string error;
  EXPECT_TRUE(EnsureDataFolder(&error));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("MeridData_Pro")));
  EXPECT_TRUE(EnsureDataFolder(&error));  // already there

  // A folder that cannot be made is reported, not thrown.
  dir.Write("plainfile", "x");
  test::DataFolderOverride below(dir.Path("plainfile/MeridData_Pro"));
  EXPECT_FALSE(EnsureDataFolder(&error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace meridane
