#pragma once
// Keyed SQLCipher connections. Every operation opens one connection, runs its statements
// and lets it go; values are bound to prepared statements, never spliced into SQL text.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/server_connection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace meridane {

// The failures of one connection, shared by it and every statement it prepared, so a
// statement moved elsewhere still counts against its own connection. A connection is used by
// one thread at a time; two connections never see each other's failures.
class ConnectionFailures {
 public:
  // Keeps the text (SQLite's or the server's own) and tells the reporter, if any.
  void Record(const std::string& message);
  uint64_t count() const { return count_; }
  // The texts in order; a run of failures beyond the first thousand is counted only.
  const std::vector<std::string>& messages() const { return messages_; }
  // Whoever opened the connection may have each failure told as it happens (the window's
  // message box, the command line's stderr); it is called on the connection's thread.
  std::function<void(const std::string& message)> reporter;

 private:
  uint64_t count_ = 0;
  std::vector<std::string> messages_;
};

class Database;

// Notes a connection's failure count; failed() says whether a statement on it failed
// since: a failed step looks just like "no more rows" to a caller reading rows.
class FailureWatch {
 public:
  explicit FailureWatch(const Database& db);
  bool failed() const;
  // The first failure's text since the watch began; empty when none.
  std::string error() const;

 private:
  std::shared_ptr<const ConnectionFailures> failures_;
  uint64_t start_;
};

// A prepared statement. Bind indexes start at 1; column indexes at 0.
class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, sqlite3_stmt* stmt, std::shared_ptr<ConnectionFailures> failures)
      : db_(db), stmt_(stmt), failures_(std::move(failures)) {}
  Statement(std::unique_ptr<ServerStatement> server, std::shared_ptr<ConnectionFailures> failures);
  // A statement that could not be prepared: failed() with the reason.
  static Statement Failed(std::shared_ptr<ConnectionFailures> failures, std::string error);
  Statement(Statement&& o) noexcept;
  Statement& operator=(Statement&& o) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  bool ok() const { return stmt_ != nullptr || server_ != nullptr; }
  // The SQLite statement; null on a server book.
  sqlite3_stmt* handle() const { return stmt_; }
  Statement& Bind(int i, std::string_view text);  // bound as TEXT
  Statement& Bind(int i, const char* text) { return Bind(i, std::string_view(text)); }
  Statement& Bind(int i, const std::string& text) { return Bind(i, std::string_view(text)); }
  Statement& BindInt(int i, int64_t v);
  Statement& BindDouble(int i, double v);
  Statement& BindNull(int i);

  // Steps once: true when a row is available. False at the end and on failure; failed()
  // tells them apart.
  bool Step();
  // Runs to completion; false on failure.
  bool Run();
  // Whether preparing, a bind or a step of this statement failed (it stays failed), and the
  // first failure's text. Each failure is recorded on the connection as well.
  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }
  // Ready to run again with no parameter bound.
  void Reset();
  // Ready to run again with the parameters as they are bound: for a loop that binds only
  // what changes from one row to the next.
  void Rewind();

  int ColumnCount() const;
  bool IsNull(int col) const;
  // SQLite's storage class of the value: SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, …
  int Type(int col) const;
  // Column as text ("" for NULL), the way sqlite3_get_table would give it.
  std::string Text(int col) const;
  // The same text without a copy; valid until the next Step, Reset or column call.
  std::string_view TextView(int col) const;
  int64_t Int(int col) const;
  double Double(int col) const;

 private:
  Statement& Checked(int rc);
  Statement& BindServer(int i, std::optional<std::string> value);
  void Fail(const std::string& message);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  std::unique_ptr<ServerStatement> server_;
  std::shared_ptr<ConnectionFailures> failures_;
  bool failed_ = false;
  std::string error_;
};

class Database {
 public:
  Database() = default;
  Database(Database&& o) noexcept;
  Database& operator=(Database&& o) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // Opens (creating if needed) and keys a database file with the program's key.
  // On failure writes "Can't open database: %s\n" to stderr and returns an unusable
  // connection whose error() says why.
  static Database OpenFile(const std::string& path);
  // Connects to a patient book on a PostgreSQL server (a postgresql:// URI). On failure
  // writes "Can't open database: %s\n" to stderr and returns an unusable connection whose
  // error() says why.
  static Database OpenServer(const std::string& uri);

  bool ok() const { return db_ != nullptr || server_ != nullptr; }
  // A book on a server keeps every patient's readings in one table and its own schema;
  // the store's statements differ there.
  bool server() const { return server_ != nullptr; }
  const std::string& error() const { return error_; }
  // The SQLite connection; null on a server book.
  sqlite3* handle() const { return db_; }

  // Runs statements without results; false on failure, which is recorded on the connection.
  bool Exec(std::string_view sql);
  // Like Exec but not recorded: for statements whose failure the caller handles itself.
  bool ExecQuiet(std::string_view sql, std::string* error = nullptr);
  // A server book only: streams the rows of a `COPY (…) TO STDOUT` to `line`, one text line
  // each (see ServerConnection::CopyOut). False on failure, which is recorded on the
  // connection.
  bool CopyOut(std::string_view sql, const std::function<void(std::string_view line)>& line);
  // A server book only: a `COPY … FROM STDIN` of `data` (see ServerConnection::CopyIn). False
  // on failure, which is recorded on the connection.
  bool CopyIn(std::string_view sql, std::string_view data);
  // Prepares one statement; on failure the statement is !ok() and failed().
  Statement Prepare(std::string_view sql);

  // The statements that failed on this connection since it was opened (an open that failed
  // is error()): their count and texts, the last one's text ("" when none).
  bool failed() const { return failureCount() != 0; }
  uint64_t failureCount() const { return failures_ ? failures_->count() : 0; }
  const std::vector<std::string>& errors() const;
  std::string lastError() const;
  // A failure the store finds itself (data the book should not hold), counted like a
  // failed statement.
  void RecordFailure(const std::string& message);
  // Has each later failure told to `reporter` as it happens (see ConnectionFailures).
  void ReportFailuresTo(std::function<void(const std::string& message)> reporter);
  const std::shared_ptr<ConnectionFailures>& failures() const { return failures_; }

  // Whether the book has a table of that name (on a server, in its schema).
  bool TableExists(const std::string& name);
  // The rowid the last INSERT gave (file books only).
  int64_t LastInsertRowId() const;

  // BEGIN IMMEDIATE … COMMIT, rolled back when the guard leaves scope uncommitted. The write
  // lock is taken up front, so whatever is checked inside stays true until the commit and
  // another writer is waited for (busy timeout) instead of failing half-way. Inside an open
  // transaction it is a savepoint of it instead.
  class Transaction {
   public:
    explicit Transaction(Database& db);
    ~Transaction();
    // False when the transaction could not be started (the database is locked or read-only):
    // nothing may be written then, or it would go in statement by statement.
    bool ok() const { return open_; }
    bool Commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

   private:
    Database& db_;
    bool open_ = false;
    bool nested_ = false;
  };

  // Many reads as one, all seeing the book as it was at the first.
  // - File: its lock is taken and its pages checked once instead of at every statement.
  //   Writers wait (busy timeout) until it ends; keep it short.
  // - Server: a read-only REPEATABLE READ transaction. Other desks go on writing; a patient
  //   renumbered half-way through is seen whole, before or after, never half.
  // Inside an open transaction it does nothing: that transaction already reads as one.
  // A long run (a whole archive or export) reads a file without it: its lock would hold
  // another writer past the busy timeout, and a file's book has one writer at a time anyway.
  class ReadSnapshot {
   public:
    enum Length { kShort, kLongRun };
    explicit ReadSnapshot(Database& db, Length length = kShort);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;
    // False when a server could not start it: nothing read then may be trusted.
    bool ok() const { return open_ || inside_ || !db_.server(); }

   private:
    Database& db_;
    bool open_ = false;
    bool inside_ = false;
  };

 private:
  // `key`: the pass phrase, or a raw key literal from RawKeyForFile.
  static Database OpenKeyed(const std::string& path, std::string_view key, bool reportFailure);

  sqlite3* db_ = nullptr;
  std::unique_ptr<ServerConnection> server_;
  std::string error_;
  std::shared_ptr<ConnectionFailures> failures_ = std::make_shared<ConnectionFailures>();
};

// The program's key and the keyed open of the patient database (PatientDatabasePath()).
inline constexpr std::string_view kDatabaseKey = "QTV51937208";
// How long a connection waits for another process's lock before a statement fails.
inline constexpr int kBusyTimeoutMs = 5000;
// The patient database is private to its user: the folder 0700, the file and its journals
// 0600. Creates the folder when missing and tightens what an older version or a wider umask
// left open.
Database OpenPatientDatabase();
// ExecStatement: runs a statement; a failure is recorded on the connection.
bool ExecStatement(std::string_view sql, Database& db);

// Readings table name of a patient: "G" + IDNo, as a quoted identifier for SQL text.
std::string ReadingsTableName(const std::string& idNo);
std::string QuotedReadingsTable(const std::string& idNo);
// "column = ?" comparing without case, as SQLite's table names compare, in the book's SQL.
std::string CaseBlindEquals(const Database& db, std::string_view column);
// SQLite's own identifier quoting: "..." with inner quotes doubled.
std::string QuoteIdentifier(std::string_view name);

}  // namespace meridane
