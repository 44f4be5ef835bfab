#include "store/database.h"

#include <sqlcipher/sqlite3.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <utility>

#include "base/book_location.h"
#include "base/data_paths.h"
#include "store/database_key.h"
#include "store/server_connection.h"

namespace meridane {

namespace {
// A connection failing statement after statement (a loop over a broken table) keeps its
// first texts; the rest are counted.
constexpr size_t kKeptFailureTexts = 1000;
}  // namespace

void ConnectionFailures::Record(const std::string& message) {
  ++count_;
  if (messages_.size() < kKeptFailureTexts) messages_.push_back(message);
  if (reporter) reporter(message);
}

FailureWatch::FailureWatch(const Database& db)
    : failures_(db.failures()), start_(db.failureCount()) {}

bool FailureWatch::failed() const { return failures_ && failures_->count() != start_; }

std::string FailureWatch::error() const {
  if (!failed()) return {};
  const std::vector<std::string>& m = failures_->messages();
  if (start_ < m.size()) return m[start_];
  return m.empty() ? std::string() : m.back();
}

// ---- Statement ----

Statement::Statement(std::unique_ptr<ServerStatement> server,
                     std::shared_ptr<ConnectionFailures> failures)
    : server_(std::move(server)), failures_(std::move(failures)) {}

Statement Statement::Failed(std::shared_ptr<ConnectionFailures> failures, std::string error) {
  Statement st;
  st.failures_ = std::move(failures);
  st.failed_ = true;
  st.error_ = std::move(error);
  return st;
}

Statement::Statement(Statement&& o) noexcept
    : db_(std::exchange(o.db_, nullptr)),
      stmt_(std::exchange(o.stmt_, nullptr)),
      server_(std::move(o.server_)),
      failures_(std::move(o.failures_)),
      failed_(std::exchange(o.failed_, false)),
      error_(std::move(o.error_)) {}

Statement& Statement::operator=(Statement&& o) noexcept {
  if (this != &o) {
    if (stmt_) sqlite3_finalize(stmt_);
    db_ = std::exchange(o.db_, nullptr);
    stmt_ = std::exchange(o.stmt_, nullptr);
    server_ = std::move(o.server_);
    failures_ = std::move(o.failures_);
    failed_ = std::exchange(o.failed_, false);
    error_ = std::move(o.error_);
  }
  return *this;
}

// The statement keeps its first failure; the connection hears of every one.
void Statement::Fail(const std::string& message) {
  if (!failed_) error_ = message;
  failed_ = true;
  if (failures_) failures_->Record(message);
}

Statement::~Statement() {
  if (stmt_) sqlite3_finalize(stmt_);
}

// A bind that does not take (a statement still running, a parameter it does not have)
// would leave the previous row's value in place: it is a failed statement like any other.
Statement& Statement::Checked(int rc) {
  if (rc != SQLITE_OK) Fail(std::string("cannot bind a value: ") + sqlite3_errstr(rc));
  return *this;
}

Statement& Statement::BindServer(int i, std::optional<std::string> value) {
  if (!server_->Bind(i, std::move(value)))
    Fail("cannot bind a value: column index out of range");
  return *this;
}

Statement& Statement::Bind(int i, std::string_view text) {
  if (server_) return BindServer(i, std::string(text));
  if (!stmt_) return *this;
  return Checked(
      sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

Statement& Statement::BindInt(int i, int64_t v) {
  if (server_) return BindServer(i, std::to_string(v));
  return stmt_ ? Checked(sqlite3_bind_int64(stmt_, i, v)) : *this;
}

Statement& Statement::BindDouble(int i, double v) {
  if (server_) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return BindServer(i, std::string(text));
  }
  return stmt_ ? Checked(sqlite3_bind_double(stmt_, i, v)) : *this;
}

Statement& Statement::BindNull(int i) {
  if (server_) return BindServer(i, std::nullopt);
  return stmt_ ? Checked(sqlite3_bind_null(stmt_, i)) : *this;
}

bool Statement::Step() {
  if (server_) {
    std::string error;
    if (server_->Step(&error)) return true;
    if (!error.empty()) Fail(error);
    return false;
  }
  if (!stmt_) return false;
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) Fail(sqlite3_errmsg(db_));
  return false;
}

bool Statement::Run() {
  if (server_) {
    std::string error;
    if (server_->Run(&error)) return true;
    Fail(error);
    return false;
  }
  if (!stmt_) return false;
  int rc;
  while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    Fail(sqlite3_errmsg(db_));
    return false;
  }
  return true;
}

void Statement::Reset() {
  if (server_) return server_->Reset(true);
  if (!stmt_) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void Statement::Rewind() {
  if (server_) return server_->Reset(false);
  if (stmt_) sqlite3_reset(stmt_);
}

int Statement::ColumnCount() const {
  if (server_) return server_->ColumnCount();
  return stmt_ ? sqlite3_column_count(stmt_) : 0;
}

int Statement::Type(int col) const {
  if (server_) return server_->Type(col);
  return stmt_ ? sqlite3_column_type(stmt_, col) : SQLITE_NULL;
}

bool Statement::IsNull(int col) const {
  if (server_) return server_->IsNull(col);
  return !stmt_ || sqlite3_column_type(stmt_, col) == SQLITE_NULL;
}

std::string Statement::Text(int col) const {
  if (server_) return std::string(server_->TextView(col));
  if (!stmt_) return {};
  const unsigned char* p = sqlite3_column_text(stmt_, col);
  if (!p) return {};
  return std::string(reinterpret_cast<const char*>(p),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
}

std::string_view Statement::TextView(int col) const {
  if (server_) return server_->TextView(col);
  if (!stmt_) return {};
  const unsigned char* p = sqlite3_column_text(stmt_, col);
  if (!p) return {};
  return std::string_view(reinterpret_cast<const char*>(p),
                          static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
}

// A server's value comes as text; numbers are read from it in place (0 for NULL or junk),
// without a copy per column of every row.
int64_t Statement::Int(int col) const {
  if (server_) {
    const std::string_view t = server_->TextView(col);
    int64_t v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
  }
  return stmt_ ? sqlite3_column_int64(stmt_, col) : 0;
}

double Statement::Double(int col) const {
  if (server_) {
    const std::string_view t = server_->TextView(col);
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
  }
  return stmt_ ? sqlite3_column_double(stmt_, col) : 0;
}

// ---- Database ----

Database::Database(Database&& o) noexcept
    : db_(std::exchange(o.db_, nullptr)),
      server_(std::move(o.server_)),
      error_(std::move(o.error_)),
      failures_(std::move(o.failures_)) {}

Database& Database::operator=(Database&& o) noexcept {
  if (this != &o) {
    if (db_) sqlite3_close(db_);
    db_ = std::exchange(o.db_, nullptr);
    server_ = std::move(o.server_);
    error_ = std::move(o.error_);
    failures_ = std::move(o.failures_);
  }
  return *this;
}

Database::~Database() {
  if (db_) sqlite3_close(db_);
}

Database Database::OpenFile(const std::string& path) {
  // A file this process has keyed before opens with its derived key, skipping the
  // derivation; should that key not fit, the pass phrase decides, as it always did.
  if (std::optional<std::string> raw = RawKeyForFile(path, kDatabaseKey)) {
    Database d = OpenKeyed(path, *raw, false);
    if (d.ok()) return d;
    ForgetRawKey(path);
  }
  return OpenKeyed(path, kDatabaseKey, true);
}

Database Database::OpenServer(const std::string& uri) {
  Database d;
  auto conn = std::make_unique<ServerConnection>(uri);
  if (!conn->ok()) {
    d.error_ = conn->error();
    std::fprintf(stderr, "Can't open database: %s\n", d.error_.c_str());
    return d;
  }
  d.server_ = std::move(conn);
  return d;
}

Database Database::OpenKeyed(const std::string& path, std::string_view key, bool reportFailure) {
  Database d;
  sqlite3* db = nullptr;
  // A connection belongs to one operation and is never used by two threads at once, so
  // SQLite need not lock it around every call.
  int rc = sqlite3_open_v2(path.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  // Before the first statement: a command started while another one commits waits for it
  // rather than failing with "database is locked".
  if (rc == SQLITE_OK) rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (rc == SQLITE_OK) {
    rc = sqlite3_key(db, key.data(), static_cast<int>(key.size()));
  }
  // Keying is lazy: make sure the key fits the file before anyone relies on it. A pass
  // phrase is derived by that first statement.
  if (rc == SQLITE_OK) {
    PrepareVectorUnitForKeyDerivation();
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    d.error_ = db ? sqlite3_errmsg(db) : "out of memory";
    if (reportFailure) std::fprintf(stderr, "Can't open database: %s\n", d.error_.c_str());
    if (db) sqlite3_close(db);
    return d;
  }
  d.db_ = db;
  return d;
}

bool Database::Exec(std::string_view sql) {
  std::string err;
  if (ExecQuiet(sql, &err)) return true;
  RecordFailure(err);
  return false;
}

bool Database::CopyOut(std::string_view sql,
                       const std::function<void(std::string_view line)>& line) {
  std::string err = "COPY needs a server book";
  if (server_ && server_->CopyOut(sql, line, &err)) return true;
  RecordFailure(err);
  return false;
}

bool Database::CopyIn(std::string_view sql, std::string_view data) {
  std::string err = "COPY needs a server book";
  if (server_ && server_->CopyIn(sql, data, &err)) return true;
  RecordFailure(err);
  return false;
}

const std::vector<std::string>& Database::errors() const {
  static const std::vector<std::string> none;
  return failures_ ? failures_->messages() : none;
}

std::string Database::lastError() const {
  const std::vector<std::string>& m = errors();
  return m.empty() ? std::string() : m.back();
}

// A moved-from connection gets a record of its own again, never its successor's.
void Database::RecordFailure(const std::string& message) {
  if (!failures_) failures_ = std::make_shared<ConnectionFailures>();
  failures_->Record(message);
}

void Database::ReportFailuresTo(std::function<void(const std::string& message)> reporter) {
  if (!failures_) failures_ = std::make_shared<ConnectionFailures>();
  failures_->reporter = std::move(reporter);
}

bool Database::ExecQuiet(std::string_view sql, std::string* error) {
  if (server_) return server_->Exec(sql, error);
  if (!db_) {
    if (error) *error = error_.empty() ? "database is not open" : error_;
    return false;
  }
  char* msg = nullptr;
  std::string s(sql);
  int rc = sqlite3_exec(db_, s.c_str(), nullptr, nullptr, &msg);
  if (rc != SQLITE_OK) {
    if (error) *error = msg ? msg : sqlite3_errmsg(db_);
    sqlite3_free(msg);
    return false;
  }
  return true;
}

Statement Database::Prepare(std::string_view sql) {
  if (!failures_) failures_ = std::make_shared<ConnectionFailures>();
  if (server_) return Statement(std::make_unique<ServerStatement>(*server_, sql), failures_);
  if (!db_) {
    const std::string why = error_.empty() ? "database is not open" : error_;
    RecordFailure(why);
    return Statement::Failed(failures_, why);
  }
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) {
    const std::string why = sqlite3_errmsg(db_);
    RecordFailure(why);
    if (stmt) sqlite3_finalize(stmt);
    return Statement::Failed(failures_, why);
  }
  return Statement(db_, stmt, failures_);
}

bool Database::TableExists(const std::string& name) {
  if (server_) {
    Statement st = Prepare(
        "SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
        "AND table_name = lower(?);");
    st.Bind(1, name);
    return st.Step();
  }
  if (!db_) return false;
  Statement st = Prepare("SELECT name FROM sqlite_master WHERE type='table' AND name=?;");
  st.Bind(1, name);
  return st.Step();
}

int64_t Database::LastInsertRowId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

// Inside a caller's transaction the guard becomes a savepoint, so store functions can be
// composed into a larger unit of work without "cannot start a transaction" failures.
Database::Transaction::Transaction(Database& db) : db_(db) {
  if (db_.server()) {
    // One writer at a time on the whole book, as on the file: what a transaction checks
    // before it writes (a reading already filed, an ID number taken) stays true until it
    // commits, while readers go on unhindered.
    nested_ = db_.server_->InTransaction();
    open_ = db_.Exec(nested_ ? "SAVEPOINT meridane_tx;"
                             : "BEGIN; SELECT pg_advisory_xact_lock(5872401);");
    if (!open_ && !nested_) db_.ExecQuiet("ROLLBACK;");  // the lock was not granted
    return;
  }
  nested_ = db_.ok() && sqlite3_get_autocommit(db_.handle()) == 0;
  open_ = db_.Exec(nested_ ? "SAVEPOINT meridane_tx;" : "BEGIN IMMEDIATE;");
}

Database::ReadSnapshot::ReadSnapshot(Database& db, Length length) : db_(db) {
  if (!db_.ok() || (length == kLongRun && !db_.server())) return;
  inside_ = db_.server() ? db_.server_->InTransaction() : sqlite3_get_autocommit(db_.handle()) == 0;
  if (inside_) return;
  open_ = db_.server() ? db_.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY;")
                       : db_.ExecQuiet("BEGIN DEFERRED;");
}

Database::ReadSnapshot::~ReadSnapshot() {
  if (open_) db_.ExecQuiet(db_.server() ? "ROLLBACK;" : "COMMIT;");
}

namespace {
void RollBackTransaction(Database& db, bool nested) {
  if (nested) {
    db.ExecQuiet("ROLLBACK TO meridane_tx;");
    db.ExecQuiet("RELEASE meridane_tx;");
  } else {
    db.ExecQuiet("ROLLBACK;");
  }
}
}  // namespace

Database::Transaction::~Transaction() {
  if (open_) RollBackTransaction(db_, nested_);
}

bool Database::Transaction::Commit() {
  if (!open_) return false;
  // A server ends a transaction in which a statement failed with a rollback, yet reports
  // the COMMIT as done: nothing of it may count as written.
  if (db_.server() && db_.server_->Aborted()) return false;
  open_ = false;
  if (db_.Exec(nested_ ? "RELEASE meridane_tx;" : "COMMIT;")) return true;
  // A refused commit (a busy file, a deferred constraint) can leave the transaction open;
  // end it here, or the connection's later writes would all be lost with it.
  RollBackTransaction(db_, nested_);
  return false;
}

Database OpenPatientDatabase() {
  const BookLocation book = CurrentBookLocation();
  if (book.kind == BookLocation::Kind::Server) return Database::OpenServer(book.where);
  EnsureDataFolder();
  // SQLite creates a new file (and each journal, which copies the file's mode) world-readable
  // under the usual umask; the file made here first keeps it to its owner.
  MakePrivateFile(book.where);
  return Database::OpenFile(book.where);
}

bool ExecStatement(std::string_view sql, Database& db) { return db.Exec(sql); }

std::string CaseBlindEquals(const Database& db, std::string_view column) {
  const std::string c(column);
  return db.server() ? "lower(" + c + ") = lower(?)" : c + " = ? COLLATE NOCASE";
}

std::string ReadingsTableName(const std::string& idNo) { return "G" + idNo; }

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string QuotedReadingsTable(const std::string& idNo) {
  return QuoteIdentifier(ReadingsTableName(idNo));
}

}  // namespace meridane
