// book copy: a whole patient book moved between a file and a server, checked before it is kept.
#include <iostream>

#include "base/book_location.h"
#include "cli/cli_common.h"
#include "store/book_copy.h"

namespace meridane::cli {

namespace {

struct CopyOptions {
  std::string from, to;
};

BookLocation LocationOrExit(const std::string& text, const char* option) {
  std::string error;
  std::optional<BookLocation> at = ParseBookLocation(text, &error);
  if (!at) throw CliExit{2, std::string(option) + ": " + error};
  return *at;
}

void BookCopyCommand(const CopyOptions& o) {
  const BookLocation from = LocationOrExit(o.from, "--from");
  const BookLocation to = LocationOrExit(o.to, "--to");
  const BookCopyResult r = CopyBook(from, to);
  for (const std::string& note : r.notes) std::cerr << note << "\n";
  if (!r.ok) throw CliExit{1, r.message};
  PrintRow({"patients", std::to_string(r.patients)});
  PrintRow({"readings", std::to_string(r.readings)});
  PrintRow({"details", std::to_string(r.details)});
  PrintRow({"checksum", r.checksum});
}

void RegisterBook(CLI::App& app, Context&) {
  auto* book = app.add_subcommand("book", "Whole patient books");
  book->require_subcommand(1);
  auto o = std::make_shared<CopyOptions>();
  auto* copy = book->add_subcommand(
      "copy", "Copy a whole book into an empty one: a file to a server, a server to a file, ...");
  copy->add_option("--from", o->from, "The book to copy: a book file or postgresql://HOST:PORT/DB")
      ->required();
  copy->add_option("--to", o->to, "The empty book to copy into (a new file is made)")->required();
  copy->callback([o] { BookCopyCommand(*o); });
}

Register reg(&RegisterBook);

}  // namespace

}  // namespace meridane::cli
