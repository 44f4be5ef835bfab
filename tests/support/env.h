#pragma once
// Sets (or unsets) an environment variable while it lives; the old value comes back after.
#include <cstdlib>
#include <optional>
#include <string>

namespace meridane::test {

class EnvOverride {
 public:
  EnvOverride(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
    Set(value);
  }
  ~EnvOverride() { Set(old_); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;
  void Set(const std::optional<std::string>& value) {
    value ? setenv(name_, value->c_str(), 1) : unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace meridane::test
