#include "store/server_connection.h"

#include <libpq-fe.h>

#include <utility>

namespace meridane {

namespace {

// Type OIDs of the server's numeric types (pg_type.h), which the store reads as numbers.
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;
constexpr int kInteger = 1, kFloat = 2, kText = 3, kNull = 5;

// libpq's texts end in a newline and may run over several lines; messages show one.
std::string OneLine(const char* text) {
  std::string s = text ? text : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  for (char& c : s)
    if (c == '\n') c = ' ';
  return s;
}

void IgnoreNotice(void*, const char*) {}

}  // namespace

ServerConnection::ServerConnection(const std::string& uri) {
  // The URI is expanded as every client expands it (host, port, sslmode, service…); a
  // connect timeout and the program's name are added unless the URI sets its own.
  const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
  const char* values[] = {"10", "meridane", uri.c_str(), nullptr};
  conn_ = PQconnectdbParams(keys, values, /*expand_dbname=*/1);
  if (!conn_) {
    error_ = "out of memory";
    return;
  }
  if (PQstatus(conn_) != CONNECTION_OK) {
    error_ = OneLine(PQerrorMessage(conn_));
    PQfinish(conn_);
    conn_ = nullptr;
    return;
  }
  // Notices ("relation already exists, skipping") are the server talking to itself.
  PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
  // Dates and times in the form the program stores them; a write lock that another desk
  // holds is waited for a while, as the file book waits, then the statement fails. The
  // program's statements are short: compiling one of them to machine code (jit) costs more
  // than it saves, a tenth of a second and more on a clinic's quick view.
  std::string err;
  if (!Exec("SET DateStyle = 'ISO, YMD'; SET lock_timeout = '15s'; "
            "SET client_encoding = 'UTF8'; SET jit = off;",
            &err)) {
    error_ = err;
    PQfinish(conn_);
    conn_ = nullptr;
  }
}

ServerConnection::~ServerConnection() {
  if (conn_) PQfinish(conn_);
}

bool ServerConnection::ok() const { return conn_ && PQstatus(conn_) == CONNECTION_OK; }

bool ServerConnection::InTransaction() const {
  return conn_ && PQtransactionStatus(conn_) != PQTRANS_IDLE;
}

bool ServerConnection::Aborted() const {
  return conn_ && PQtransactionStatus(conn_) == PQTRANS_INERROR;
}

std::string ServerConnection::LastError() const {
  return conn_ ? OneLine(PQerrorMessage(conn_)) : error_;
}

bool ServerConnection::Exec(std::string_view sql, std::string* error) {
  if (!conn_) {
    if (error) *error = error_.empty() ? "not connected to the server" : error_;
    return false;
  }
  PGresult* r = PQexec(conn_, std::string(sql).c_str());
  const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
  const bool good = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
  if (!good && error) *error = r ? OneLine(PQresultErrorMessage(r)) : LastError();
  if (!good && error && error->empty()) *error = LastError();
  PQclear(r);
  return good;
}

// Starts a COPY, lets `transfer` move the rows (it returns "" or what went wrong), then reads
// the command's own result: an error part-way (a row refused, the server gone, the
// transaction aborted) comes there.
bool ServerConnection::RunCopy(std::string_view sql, int started,
                               const std::function<std::string()>& transfer, std::string* error) {
  std::string err;
  if (!conn_) {
    err = error_.empty() ? "not connected to the server" : error_;
  } else {
    PGresult* r = PQexec(conn_, std::string(sql).c_str());
    const bool going = r && PQresultStatus(r) == started;
    if (!going) err = r ? OneLine(PQresultErrorMessage(r)) : LastError();
    PQclear(r);
    if (going) err = transfer();
    while (PGresult* end = PQgetResult(conn_)) {
      if (err.empty() && PQresultStatus(end) != PGRES_COMMAND_OK)
        err = OneLine(PQresultErrorMessage(end));
      PQclear(end);
    }
    if (!going && err.empty()) err = "the server did not start the copy";
  }
  if (!err.empty() && error) *error = err;
  return err.empty();
}

bool ServerConnection::CopyOut(std::string_view sql,
                               const std::function<void(std::string_view line)>& line,
                               std::string* error) {
  return RunCopy(sql, PGRES_COPY_OUT, [&]() -> std::string {
    char* buf = nullptr;
    int n = 0;
    while ((n = PQgetCopyData(conn_, &buf, 0)) > 0) {
      std::string_view row(buf, static_cast<size_t>(n));
      if (!row.empty() && row.back() == '\n') row.remove_suffix(1);
      line(row);
      PQfreemem(buf);
    }
    return n == -2 ? LastError() : std::string();
  }, error);
}

bool ServerConnection::CopyIn(std::string_view sql, std::string_view data, std::string* error) {
  return RunCopy(sql, PGRES_COPY_IN, [&]() -> std::string {
    // A copy the connection could not send is ended with an error, so the server takes none
    // of its rows.
    const bool sent = PQputCopyData(conn_, data.data(), static_cast<int>(data.size())) == 1;
    std::string err = sent ? std::string() : LastError();
    if (PQputCopyEnd(conn_, sent ? nullptr : "the rows could not be sent") != 1 && err.empty())
      err = LastError();
    return err;
  }, error);
}

std::string_view UnescapeCopyText(std::string_view field, std::string& scratch) {
  if (field.find('\\') == std::string_view::npos) return field;
  scratch.clear();
  for (size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (c == '\\' && i + 1 < field.size()) {
      switch (c = field[++i]) {
        case 't': c = '\t'; break;
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        case 'b': c = '\b'; break;
        case 'f': c = '\f'; break;
        case 'v': c = '\v'; break;
        default: break;  // "\\" and anything else stands for itself
      }
    }
    scratch += c;
  }
  return scratch;
}

std::string NumberPlaceholders(std::string_view sql, int* count) {
  std::string out;
  out.reserve(sql.size() + 16);
  int n = 0;
  char quote = 0;
  for (char c : sql) {
    if (quote) {
      if (c == quote) quote = 0;
      out += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      out += c;
    } else if (c == '?') {
      out += '$' + std::to_string(++n);
    } else {
      out += c;
    }
  }
  if (count) *count = n;
  return out;
}

ServerStatement::ServerStatement(ServerConnection& conn, std::string_view sql) : conn_(conn) {
  int n = 0;
  sql_ = NumberPlaceholders(sql, &n);
  params_.resize(static_cast<size_t>(n));
}

ServerStatement::~ServerStatement() { ClearResult(); }

void ServerStatement::ClearResult() {
  if (result_) PQclear(result_);
  result_ = nullptr;
  executed_ = false;
  row_ = -1;
}

bool ServerStatement::Bind(int index, std::optional<std::string> value) {
  if (index < 1 || static_cast<size_t>(index) > params_.size()) return false;
  params_[static_cast<size_t>(index) - 1] = std::move(value);
  return true;
}

bool ServerStatement::Execute(std::string* error) {
  ClearResult();
  executed_ = true;
  PGconn* c = conn_.handle();
  if (!c) {
    if (error) *error = conn_.LastError();
    return false;
  }
  std::vector<const char*> values(params_.size());
  for (size_t i = 0; i < params_.size(); ++i) values[i] = params_[i] ? params_[i]->c_str() : nullptr;
  const int n = static_cast<int>(values.size());
  // A statement run again and again (a download's rows) is parsed once on the server.
  if (++runs_ == 2 && prepared_.empty()) {
    std::string name = conn_.NextStatementName();
    PGresult* p = PQprepare(c, name.c_str(), sql_.c_str(), n, nullptr);
    if (p && PQresultStatus(p) == PGRES_COMMAND_OK) prepared_ = std::move(name);
    PQclear(p);
  }
  result_ = prepared_.empty()
                ? PQexecParams(c, sql_.c_str(), n, nullptr, values.data(), nullptr, nullptr, 0)
                : PQexecPrepared(c, prepared_.c_str(), n, values.data(), nullptr, nullptr, 0);
  const ExecStatusType status = result_ ? PQresultStatus(result_) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return true;
  if (error) {
    *error = result_ ? OneLine(PQresultErrorMessage(result_)) : conn_.LastError();
    if (error->empty()) *error = conn_.LastError();
  }
  if (result_) PQclear(result_);
  result_ = nullptr;
  return false;
}

bool ServerStatement::Step(std::string* error) {
  if (!executed_ && !Execute(error)) return false;
  if (!result_ || row_ + 1 >= PQntuples(result_)) return false;
  ++row_;
  return true;
}

bool ServerStatement::Run(std::string* error) {
  if (!executed_) return Execute(error);
  return result_ != nullptr;
}

void ServerStatement::Reset(bool clearBindings) {
  ClearResult();
  if (clearBindings)
    for (auto& p : params_) p.reset();
}

int ServerStatement::ColumnCount() const { return result_ ? PQnfields(result_) : 0; }

bool ServerStatement::IsNull(int col) const {
  return !result_ || row_ < 0 || col >= PQnfields(result_) || PQgetisnull(result_, row_, col);
}

int ServerStatement::Type(int col) const {
  if (IsNull(col)) return kNull;
  switch (PQftype(result_, col)) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      return kInteger;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return kFloat;
    default:
      return kText;
  }
}

std::string_view ServerStatement::TextView(int col) const {
  if (IsNull(col)) return {};
  return std::string_view(PQgetvalue(result_, row_, col),
                          static_cast<size_t>(PQgetlength(result_, row_, col)));
}

}  // namespace meridane
