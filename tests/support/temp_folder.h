#pragma once
// A throw-away folder and small file helpers for tests and benchmarks.
#include <string>

namespace meridane::test {

// A fresh folder below the system's temporary folder (mkdtemp), removed with everything in it
// when the object goes. `tag` names it, e.g. /tmp/meridane-store-Ab12Cd.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& root() const { return root_; }
  std::string Path(const std::string& name) const { return root_ + "/" + name; }
  // Writes `contents` to Path(name), making the folders on the way, and returns that path.
  std::string Write(const std::string& name, const std::string& contents) const;

 private:
  std::string root_;
};

// A whole file's bytes; empty when it cannot be read.
std::string Slurp(const std::string& path);

// The permission bits of a file or folder (0 when it cannot be read).
unsigned FileMode(const std::string& path);

// What a shell command writes to stdout.
std::string RunCommand(const std::string& command);

}  // namespace meridane::test
