#pragma once
// Moving a whole patient book between a file and a server (either way, or file to file,
// server to server): every patient with every section, every reading with its idx (so its
// details stay attached) and every detail, written in one transaction on the target and
// checked against the source by counts and checksums before it is committed.
#include <cstdint>
#include <string>
#include <vector>

#include "base/book_location.h"

namespace meridane {

struct BookCopyResult {
  bool ok = false;
  // Why nothing was copied (looked up, for the user) when !ok.
  std::string message;
  int64_t patients = 0;
  int64_t readings = 0;
  int64_t details = 0;
  // SHA-256 (hex) of the book as copied, the same on both sides.
  std::string checksum;
  // Rows the source holds for no patient of its Patient table, left behind (looked up).
  std::vector<std::string> notes;
};

// Refuses, writing nothing: a source that cannot be opened or holds no book, a target that
// is the source or already holds anything, patients without an ID or sharing one (IDs
// compare without case, as a file's readings tables do), and, for a server target, readings
// its typed table cannot hold (a date and time that does not read, a value that is not a
// whole number) or holds once only (the same patient, date and time and value twice).
// A target file made here is removed again when the copy fails.
BookCopyResult CopyBook(const BookLocation& from, const BookLocation& to);

}  // namespace meridane
