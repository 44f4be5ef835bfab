#pragma once
// Books on the test server.
#include <string>

namespace meridane::test {

// The suites run a second time on a PostgreSQL book when the test command started a server
// (MERIDANE_TEST_SERVER, its URI) and the run asks for it (MERIDANE_TEST_BOOK=server).
bool ServerBookWanted();
// A new, empty schema on the test server, as the URI of a book that works in it. Schemas
// are not dropped: the server is a throwaway one.
std::string NewServerBookUri();

}  // namespace meridane::test

// For a case about the file itself (its bytes, locks, journals, tables per patient): skipped
// on a server book.
#define MERIDANE_FILE_BOOK_ONLY()                                                  \
  do {                                                                             \
    if (::meridane::test::ServerBookWanted()) GTEST_SKIP() << "a file book's case"; \
  } while (0)
