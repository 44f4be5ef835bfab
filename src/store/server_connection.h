#pragma once
// A patient book on a PostgreSQL server, through libpq: one connection and the statements run
// on it. Database and Statement (store/database.h) use these when their book is a server, so
// the store's functions run the same way on either book.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace meridane {

class ServerConnection {
 public:
  // Connects to `uri` (a postgresql:// URI; the password comes from the password or service
  // file as for every PostgreSQL client). On failure ok() is false and error() says why.
  explicit ServerConnection(const std::string& uri);
  ~ServerConnection();
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  bool ok() const;
  const std::string& error() const { return error_; }
  pg_conn* handle() const { return conn_; }
  bool InTransaction() const;
  // A statement of the open transaction failed: everything until its rollback fails too.
  bool Aborted() const;

  // Runs statements without parameters or results; false with *error on failure.
  bool Exec(std::string_view sql, std::string* error);
  // Runs a `COPY (…) TO STDOUT` and hands each row's line, without its newline, to `line`
  // as it arrives: the server's text format, columns split by tabs, `\N` for NULL and
  // special characters escaped (UnescapeCopyText). Rows stream instead of being held as one
  // result: for answers of millions of rows. False with *error on failure.
  bool CopyOut(std::string_view sql, const std::function<void(std::string_view line)>& line,
               std::string* error);
  // Runs a `COPY … FROM STDIN` with `data`, rows in the server's text format, each ended by
  // a newline: many rows in one message instead of a statement each. False with *error on
  // failure (a row the table refuses fails the whole COPY).
  bool CopyIn(std::string_view sql, std::string_view data, std::string* error);
  // A name for a server-side prepared statement, unique on this connection.
  std::string NextStatementName() { return "m" + std::to_string(++statements_); }

  // The server's error text of the last failure, on one line.
  std::string LastError() const;

 private:
  // `started`: the ExecStatusType a COPY in that direction starts with.
  bool RunCopy(std::string_view sql, int started, const std::function<std::string()>& transfer,
               std::string* error);

  pg_conn* conn_ = nullptr;
  std::string error_;
  uint64_t statements_ = 0;
};

// One statement with `?` parameters, as the store writes them; run with its values bound as
// text, which the server converts by the column or operator they meet.
class ServerStatement {
 public:
  ServerStatement(ServerConnection& conn, std::string_view sql);
  ~ServerStatement();
  ServerStatement(const ServerStatement&) = delete;
  ServerStatement& operator=(const ServerStatement&) = delete;

  // False when index is not one of the statement's parameters.
  bool Bind(int index, std::optional<std::string> value);
  // Steps to the next row (runs the statement first); false at the end or on failure, when
  // *error gets the server's text.
  bool Step(std::string* error);
  bool Run(std::string* error);
  void Reset(bool clearBindings);

  int ColumnCount() const;
  bool IsNull(int col) const;
  // The column's kind as SQLite would report it: 1 integer, 2 float, 3 text, 5 null.
  int Type(int col) const;
  std::string_view TextView(int col) const;

 private:
  bool Execute(std::string* error);
  void ClearResult();

  ServerConnection& conn_;
  std::string sql_;
  std::vector<std::optional<std::string>> params_;
  pg_result* result_ = nullptr;
  bool executed_ = false;
  int row_ = -1;
  int runs_ = 0;
  std::string prepared_;  // the server-side name once the statement runs a second time
};

// One column of a CopyOut line as the text it stands for: `\\`, `\t`, `\n`, `\r`, `\b`,
// `\f` and `\v` undone. Returns `field` itself when it holds no backslash, else `scratch`.
std::string_view UnescapeCopyText(std::string_view field, std::string& scratch);

// `?` placeholders to the server's `$1`, `$2`, …, leaving quoted texts and names alone.
// Returns the number of parameters through *count.
std::string NumberPlaceholders(std::string_view sql, int* count);

}  // namespace meridane
