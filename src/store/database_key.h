#pragma once
// The key derivation of keyed files, done once per file salt and process. Deriving the
// cipher key from the program's pass phrase costs tens of milliseconds; a file keeps its
// salt for life, so the derived key is kept and handed to SQLCipher as a raw key on every
// later open of the same file (or any file with the same salt).
#include <optional>
#include <string>
#include <string_view>

namespace meridane {

// After a GUI toolkit has run AVX code, the upper halves of the vector registers may be left
// dirty; every SSE instruction of a key derivation then pays a state-transition penalty
// (about twice the time). Clears that state; call right before a derivation.
void PrepareVectorUnitForKeyDerivation();

// The raw key literal ("x'…'") for the file at `path`, derived from `passPhrase` and the
// salt in the file's first 16 bytes; nullopt when the file has no salt yet (absent or empty).
// The first call for a salt derives; later calls return the kept key.
std::optional<std::string> RawKeyForFile(const std::string& path, std::string_view passPhrase);
// Forgets the key kept for the file's salt (the raw key did not open it).
void ForgetRawKey(const std::string& path);
// How many derivations this process has run (for benchmarks and tests).
int KeyDerivationCount();

}  // namespace meridane
