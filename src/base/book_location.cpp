#include "base/book_location.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include "base/data_paths.h"
#include "base/text_fill.h"
#include "base/text_lookup.h"

namespace meridane {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %XX sequences decoded the way the PostgreSQL client decodes them; a broken one stays.
std::string PercentDecoded(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += char(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The scheme of "scheme://…", empty when the text has none.
std::string_view UriScheme(std::string_view text) {
  const size_t colon = text.find("://");
  if (colon == std::string_view::npos || colon == 0) return {};
  for (size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
      return {};
  }
  return text.substr(0, colon);
}

bool IsServerScheme(std::string_view scheme) {
  return EqualsNoCase(scheme, "postgresql") || EqualsNoCase(scheme, "postgres");
}

// The parts of a connection URI, split as the PostgreSQL client splits them.
struct UriParts {
  std::string_view userInfo;  // before '@', empty without one
  bool hasUserInfo = false;
  std::string_view hosts;     // "host", "host:port", "[::1]:5432", "h1,h2:5433"
  std::string_view database;  // the path after the hosts, without its '/'
  std::string_view query;     // after '?'
};

UriParts SplitUri(std::string_view uri) {
  UriParts p;
  std::string_view rest = uri.substr(uri.find("://") + 3);
  // The client looks for the credentials up to the first '@' or '/', whatever lies between.
  const size_t stop = rest.find_first_of("@/");
  if (stop != std::string_view::npos && rest[stop] == '@') {
    p.userInfo = rest.substr(0, stop);
    p.hasUserInfo = true;
    rest.remove_prefix(stop + 1);
  }
  const size_t query = rest.find('?');
  if (query != std::string_view::npos) {
    p.query = rest.substr(query + 1);
    rest = rest.substr(0, query);
  }
  const size_t slash = rest.find('/');
  p.hosts = rest.substr(0, slash);
  if (slash != std::string_view::npos) p.database = rest.substr(slash + 1);
  return p;
}

// Calls f(key, value) for each query parameter, both decoded.
template <typename F>
void ForEachParameter(std::string_view query, F f) {
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view item = query.substr(0, amp);
    const size_t eq = item.find('=');
    f(PercentDecoded(item.substr(0, eq)),
      eq == std::string_view::npos ? std::string() : PercentDecoded(item.substr(eq + 1)));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
}

bool CarriesPassword(std::string_view uri) {
  const UriParts p = SplitUri(uri);
  if (p.hasUserInfo && p.userInfo.find(':') != std::string_view::npos) return true;
  bool found = false;
  ForEachParameter(p.query, [&](const std::string& key, const std::string& value) {
    if (EqualsNoCase(key, "password")) found = true;
    // A database name may itself be a whole connection string, which the client expands.
    if (!EqualsNoCase(key, "dbname")) return;
    if (IsServerScheme(UriScheme(value))) {
      found = found || CarriesPassword(value);
    } else {
      std::string lower = value;
      for (char& c : lower) c = Lower(c);
      found = found || lower.find("password") != std::string::npos;
    }
  });
  return found;
}

std::string Parameter(std::string_view query, std::string_view name) {
  std::string out;
  ForEachParameter(query, [&](const std::string& key, const std::string& value) {
    if (EqualsNoCase(key, name)) out = value;
  });
  return out;
}

std::optional<BookLocation> Refuse(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return std::nullopt;
}

std::mutex& OverrideLock() {
  static std::mutex lock;
  return lock;
}
std::optional<BookLocation>& Override() {
  static std::optional<BookLocation> location;
  return location;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : ".";
}

std::string SystemReason() { return std::generic_category().message(errno); }

}  // namespace

std::optional<BookLocation> ParseBookLocation(std::string_view text, std::string* error) {
  const std::string_view t = Trimmed(text);
  if (t.empty())
    return Refuse(error,
                  LookupText("BookLocation", "Empty", "The patient book's location is empty."));
  for (char c : t)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
      return Refuse(error, LookupText("BookLocation", "ControlChar",
                                      "The patient book's location holds a line break or another "
                                      "control character."));
  const std::string_view scheme = UriScheme(t);
  if (IsServerScheme(scheme)) {
    if (CarriesPassword(t))
      return Refuse(error, LookupText("BookLocation", "Password",
                                      "The server's address may not hold a password: keep it in "
                                      "the PostgreSQL password file (~/.pgpass) or service file."));
    return BookLocation{BookLocation::Kind::Server, std::string(t)};
  }
  if (!scheme.empty())
    return Refuse(error, FillText(LookupText("BookLocation", "OtherScheme",
                                             "A patient book is a file or a PostgreSQL server, "
                                             "whose address begins with postgresql:// and not "
                                             "with {scheme}://."),
                                  {{"scheme", scheme}}));
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(t), ec);
  if (ec) path = std::filesystem::path(t);
  const std::string where = path.lexically_normal().string();
  if (std::filesystem::is_directory(where, ec))
    return Refuse(error, FillText(LookupText("BookLocation", "Folder",
                                             "{path} is a folder: give the book's file, such as "
                                             "{path}/Patients.db."),
                                  {{"path", where}}));
  return BookLocation{BookLocation::Kind::File, where};
}

void SetBookLocationOverride(std::optional<BookLocation> location) {
  std::lock_guard<std::mutex> hold(OverrideLock());
  Override() = std::move(location);
}

std::optional<BookLocation> EnvironmentBookLocation(std::string* error) {
  if (error) error->clear();
  const char* value = std::getenv("MERIDANE_BOOK");
  if (!value || !*value) return std::nullopt;
  std::string why;
  auto location = ParseBookLocation(value, &why);
  if (!location && error)
    *error = FillText(
        LookupText("BookLocation", "Environment", "MERIDANE_BOOK cannot be used: {reason}"),
        {{"reason", why}});
  return location;
}

BookLocation CurrentBookLocation() {
  {
    std::lock_guard<std::mutex> hold(OverrideLock());
    if (Override()) return *Override();
  }
  if (auto fromEnvironment = EnvironmentBookLocation(nullptr)) return *fromEnvironment;
  return BookLocation{BookLocation::Kind::File, PatientDatabasePath()};
}

std::string DescribeBookLocation(const BookLocation& location) {
  if (location.kind == BookLocation::Kind::File)
    return FillText(LookupText("BookLocation", "ThisComputer", "This computer ({path})"),
                    {{"path", location.where}});
  const UriParts p = SplitUri(location.where);
  std::string hosts = PercentDecoded(p.hosts);
  if (hosts.empty()) hosts = Parameter(p.query, "host");
  if (hosts.empty()) hosts = "localhost";
  // One host without a port of its own: the port parameter, else PostgreSQL's usual one.
  const size_t bracket = hosts.rfind(']');
  const bool hasPort =
      hosts.find(',') != std::string::npos ||
      hosts.find(':', bracket == std::string::npos ? 0 : bracket) != std::string::npos;
  if (!hasPort) {
    const std::string port = Parameter(p.query, "port");
    hosts += ":" + (port.empty() ? std::string("5432") : port);
  }
  std::string database = PercentDecoded(p.database);
  if (database.empty()) database = Parameter(p.query, "dbname");
  // A database name that is a connection string of its own is not shown.
  if (database.find('=') != std::string::npos || !UriScheme(database).empty()) database.clear();
  if (!database.empty()) hosts += "/" + database;
  return FillText(LookupText("BookLocation", "ClinicServer", "Clinic server {server}"),
                  {{"server", hosts}});
}

std::string BookChoiceFile() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, like every program that reads the variable does.
  const std::string config = xdg && *xdg == '/' ? std::string(xdg) : HomeFolder() + "/.config";
  return config + "/meridane/book.conf";
}

std::optional<BookLocation> RememberedBookLocation(std::string* error) {
  if (error) error->clear();
  const std::string file = BookChoiceFile();
  std::ifstream in(file);
  if (!in) {
    if (errno == ENOENT) return std::nullopt;
    return Refuse(error, FillText(LookupText("BookLocation", "NotReadable",
                                             "The remembered patient book in {file} cannot be "
                                             "used: {reason}"),
                                  {{"file", file}, {"reason", SystemReason()}}));
  }
  std::string line, value;
  bool found = false;
  while (std::getline(in, line)) {
    const std::string_view l = Trimmed(line);
    if (l.empty() || l.front() == '#') continue;
    const size_t eq = l.find('=');
    if (eq != std::string_view::npos && Trimmed(l.substr(0, eq)) == "book") {
      value = std::string(Trimmed(l.substr(eq + 1)));
      found = true;
    }
  }
  if (!found) return std::nullopt;
  std::string why;
  auto location = ParseBookLocation(value, &why);
  if (!location)
    return Refuse(error, FillText(LookupText("BookLocation", "NotReadable",
                                             "The remembered patient book in {file} cannot be "
                                             "used: {reason}"),
                                  {{"file", file}, {"reason", why}}));
  return location;
}

bool RememberBookLocation(const BookLocation& location, std::string* error) {
  const std::string file = BookChoiceFile();
  auto fail = [&](const std::string& reason) {
    if (error)
      *error =
          FillText(LookupText("BookLocation", "NotSaved",
                              "The patient book choice could not be saved in {file}: {reason}"),
                   {{"file", file}, {"reason", reason}});
    return false;
  };
  // Only what the program itself accepts is written, so the file never holds a password.
  std::string why;
  const auto checked = ParseBookLocation(location.where, &why);
  if (!checked) return fail(why);
  if (checked->kind != location.kind) return fail(DescribeBookLocation(location));
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  std::error_code ec;
  std::filesystem::create_directories(folder.parent_path(), ec);
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return fail(SystemReason());
  // A whole new file replaces the old one, so a crash never leaves half a choice.
  std::string temp = file + ".XXXXXX";
  const int fd = mkstemp(temp.data());  // mode 0600
  if (fd < 0) return fail(SystemReason());
  const std::string text =
      "# The patient book this user's Meridane window opens.\nbook=" + checked->where + "\n";
  const bool written =
      write(fd, text.data(), text.size()) == ssize_t(text.size()) && fsync(fd) == 0;
  const int writeErrno = errno;
  close(fd);
  if (!written || rename(temp.c_str(), file.c_str()) != 0) {
    const std::string reason = std::generic_category().message(written ? errno : writeErrno);
    unlink(temp.c_str());
    return fail(reason);
  }
  return true;
}

}  // namespace meridane
