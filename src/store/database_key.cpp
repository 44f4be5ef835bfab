#include "store/database_key.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace meridane {
namespace {

// SQLCipher 3 defaults: PBKDF2-HMAC-SHA1, 64,000 iterations, 256-bit key, 16-byte salt.
constexpr int kKdfIterations = 64000;
constexpr int kKeyBytes = 32;
constexpr std::size_t kSaltBytes = 16;
using Salt = std::array<unsigned char, kSaltBytes>;

struct KeyCache {
  std::mutex mu;
  std::map<Salt, std::string> keys;
  int derivations = 0;
};

KeyCache& Cache() {
  static KeyCache cache;
  return cache;
}

std::optional<Salt> ReadSalt(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Salt salt{};
  if (!in.read(reinterpret_cast<char*>(salt.data()), salt.size())) return std::nullopt;
  return salt;
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void ClearUpperVectorState() { _mm256_zeroupper(); }
#endif

}  // namespace

void PrepareVectorUnitForKeyDerivation() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("avx")) ClearUpperVectorState();
#endif
}

std::optional<std::string> RawKeyForFile(const std::string& path, std::string_view passPhrase) {
  const std::optional<Salt> salt = ReadSalt(path);
  if (!salt) return std::nullopt;
  KeyCache& cache = Cache();
  std::lock_guard lock(cache.mu);
  if (auto it = cache.keys.find(*salt); it != cache.keys.end()) return it->second;
  PrepareVectorUnitForKeyDerivation();
  unsigned char key[kKeyBytes];
  if (PKCS5_PBKDF2_HMAC_SHA1(passPhrase.data(), static_cast<int>(passPhrase.size()), salt->data(),
                             static_cast<int>(salt->size()), kKdfIterations, kKeyBytes,
                             key) != 1)
    return std::nullopt;
  ++cache.derivations;
  std::string raw = "x'";
  char hex[3];
  for (unsigned char b : key) {
    std::snprintf(hex, sizeof hex, "%02X", b);
    raw += hex;
  }
  raw += "'";
  cache.keys.emplace(*salt, raw);
  return raw;
}

void ForgetRawKey(const std::string& path) {
  const std::optional<Salt> salt = ReadSalt(path);
  if (!salt) return;
  std::lock_guard lock(Cache().mu);
  Cache().keys.erase(*salt);
}

int KeyDerivationCount() {
  std::lock_guard lock(Cache().mu);
  return Cache().derivations;
}

}  // namespace meridane
