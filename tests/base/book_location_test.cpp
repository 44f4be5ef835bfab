// Where the patient book is: parsing a location, which one wins, the remembered choice, and
// what the user is shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "base/book_location.h"
#include "support/book.h"
#include "support/env.h"
#include "support/temp_folder.h"

namespace meridane {
namespace {

using Kind = BookLocation::Kind;

constexpr const char* kRefused = "";  // the `where` of a case that must be refused

TEST(BookLocation, ParsesFilesAndServersAndRefusesSecrets) {
  const std::string cwd = std::filesystem::current_path().string();
  // The text, the kind and place it names (kRefused: refused), a part of the refusal.
  const std::tuple<std::string, Kind, std::string, std::string> cases[] = {
      {"relative/book.db", Kind::File, cwd + "/relative/book.db", ""},
      {"postgresql://db.clinic:5432/meridane?sslmode=verify-full", Kind::Server,
       "postgresql://db.clinic:5432/meridane?sslmode=verify-full", ""},
      {"  POSTGRES://ann@h/m\n", Kind::Server, "POSTGRES://ann@h/m", ""},
      {"", Kind::File, kRefused, "empty"},
      {"a\nb.db", Kind::File, kRefused, "control character"},
      {"postgresql://ann:secret@h/m", Kind::Server, kRefused, "password"},
      // The client takes credentials up to the first '@' or '/', a '?' included.
      {"postgres://h?x=ann:secret@h2/m", Kind::Server, kRefused, "password"},
      {"postgresql://h/m?PASS%77ORD=secret", Kind::Server, kRefused, "password"},
      {"postgresql://h/m?dbname=host%3Dh%20password%3Dsecret", Kind::Server, kRefused, "password"},
      {"mysql://h/m", Kind::File, kRefused, "mysql://"},
      {"/", Kind::File, kRefused, "is a folder"},
  };
  for (const auto& [text, kind, where, reason] : cases) {
    SCOPED_TRACE(text);
    std::string error = "stale";
    const auto location = ParseBookLocation(text, &error);
    if (where == kRefused) {
      EXPECT_FALSE(location);
      EXPECT_NE(error.find(reason), std::string::npos) << error;
      EXPECT_EQ(error.find("secret"), std::string::npos) << error;
    } else {
      ASSERT_TRUE(location) << error;
      EXPECT_EQ(*location, (BookLocation{kind, where}));
    }
  }
}

TEST(BookLocation, DescriptionNeverShowsSecrets) {
  const std::pair<BookLocation, std::string> cases[] = {
      {{Kind::File, "/x/Patients.db"}, "This computer (/x/Patients.db)"},
      {{Kind::Server, "postgresql://ann@db.clinic/meridane?sslmode=verify-full&sslkey=/k"},
       "Clinic server db.clinic:5432/meridane"},
      {{Kind::Server, "postgresql://[::1]:6543/m"}, "Clinic server [::1]:6543/m"},
      // Built by hand, never parsed: still nothing secret is shown.
      {{Kind::Server, "postgresql://ann:secret@h/m?password=secret2"}, "Clinic server h:5432/m"},
  };
  for (const auto& [location, shown] : cases) EXPECT_EQ(DescribeBookLocation(location), shown);
}

TEST(BookLocation, OverrideThenEnvironmentThenDataFolder) {
  test::TempFolder dir("book");
  test::DataFolderOverride folder(dir.root());
  const BookLocation file{Kind::File, dir.Path("other.db")};
  const BookLocation server{Kind::Server, "postgresql://h/m"};
  const BookLocation home{Kind::File, dir.Path("Patients.db")};
  // The override, MERIDANE_BOOK, the book used, whether the variable is refused.
  const std::tuple<std::optional<BookLocation>, std::optional<std::string>, BookLocation, bool>
      cases[] = {
      {std::nullopt, std::nullopt, home, false},
      {std::nullopt, "", home, false},  // set but empty counts as unset
      {std::nullopt, "postgresql://h/m", server, false},
      {std::nullopt, "postgresql://u:pw@h/m", home, true},
      {file, "postgresql://h/m", file, false},
  };
  for (const auto& [given, value, current, refused] : cases) {
    SCOPED_TRACE(value.value_or("(unset)"));
    test::EnvOverride env("MERIDANE_BOOK", value);
    SetBookLocationOverride(given);
    EXPECT_EQ(CurrentBookLocation(), current);
    std::string error;
    EnvironmentBookLocation(&error);
    EXPECT_EQ(error.rfind("MERIDANE_BOOK cannot be used: ", 0) == 0, refused) << error;
  }
  SetBookLocationOverride(std::nullopt);
}

TEST(BookLocation, RememberedChoiceRoundTripsPrivately) {
  test::TempFolder dir("book");
  test::EnvOverride config("XDG_CONFIG_HOME", dir.Path("config"));
  const std::string file = dir.Path("config/meridane/book.conf");
  EXPECT_EQ(BookChoiceFile(), file);
  std::string error = "stale";
  EXPECT_FALSE(RememberedBookLocation(&error));
  EXPECT_EQ(error, "");  // nothing remembered is no error

  for (const BookLocation& b :
       {BookLocation{Kind::Server, "postgresql://h:5432/m?sslmode=verify-full"},
        BookLocation{Kind::File, dir.Path("my book.db")}}) {
    ASSERT_TRUE(RememberBookLocation(b, &error)) << error;
    EXPECT_EQ(RememberedBookLocation(&error), b);
    EXPECT_EQ(test::FileMode(file), 0600u);
    EXPECT_EQ(test::FileMode(dir.Path("config/meridane")), 0700u);
  }
  // A location the program refuses is never written; the old choice stays.
  EXPECT_FALSE(RememberBookLocation({Kind::Server, "postgresql://u:secret@h/m"}, &error));
  EXPECT_EQ(error.find("secret"), std::string::npos);
  EXPECT_EQ(RememberedBookLocation()->kind, Kind::File);

  // Written by hand: other keys are passed over; a password is refused.
  dir.Write("config/meridane/book.conf", "# mine\nother=1\nbook=postgresql://u:secret@h/m\n");
  EXPECT_FALSE(RememberedBookLocation(&error));
  EXPECT_EQ(error.rfind("The remembered patient book in " + file, 0), 0u) << error;
  EXPECT_EQ(error.find("secret"), std::string::npos);
}

}  // namespace
}  // namespace meridane
