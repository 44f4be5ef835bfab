#pragma once
// Which patient book the program works on: an encrypted file on this computer, or a clinic's
// PostgreSQL server that several desks share. Passwords never pass through here: they live
// in the PostgreSQL password file or service file, as for every PostgreSQL client.
#include <optional>
#include <string>
#include <string_view>

namespace meridane {

struct BookLocation {
  enum class Kind { File, Server } kind = Kind::File;
  std::string where;  // the file path, or the server's connection URI as given
  bool operator==(const BookLocation&) const = default;
};

// "postgresql://…" or "postgres://…" is a server; anything else a file path (made absolute).
// Refused with a message in *error (looked up): empty text, a control character, another
// URI scheme, an existing folder, and a URI carrying a password (user:secret@host, or a
// password= parameter).
std::optional<BookLocation> ParseBookLocation(std::string_view text, std::string* error);

// The book this process works on: the override (--book, or the window's choice once made),
// else MERIDANE_BOOK when set and valid, else the file PatientDatabasePath() (so --data-dir
// keeps its meaning).
BookLocation CurrentBookLocation();
void SetBookLocationOverride(std::optional<BookLocation> location);

// MERIDANE_BOOK: nullopt with *error empty when unset or empty, nullopt with the reason when
// it cannot be used.
std::optional<BookLocation> EnvironmentBookLocation(std::string* error);

// For the user: "This computer (PATH)" / "Clinic server HOST:PORT/DB"; never a password, a
// user name or the query string.
std::string DescribeBookLocation(const BookLocation& location);

// The window's remembered choice, per user: ($XDG_CONFIG_HOME or ~/.config)/meridane/book.conf,
// a small key=value text file readable by its owner only. nullopt without *error when
// nothing is remembered; a file that cannot be read or holds a refused location gives the
// reason.
std::string BookChoiceFile();
std::optional<BookLocation> RememberedBookLocation(std::string* error = nullptr);
bool RememberBookLocation(const BookLocation& location, std::string* error = nullptr);

}  // namespace meridane
