#include "store/book_copy.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "base/data_paths.h"
#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "store/database.h"
#include "store/date_time.h"
#include "store/reading_store.h"
#include "store/schema.h"

namespace meridane {

namespace {

// Value kinds as Statement::Type reports them (SQLite's storage classes).
constexpr int kInteger = 1;
constexpr int kFloat = 2;
constexpr int kText = 3;
constexpr int kNull = 5;

// One stored value in the kind it came as, bound again as that kind: a real keeps every bit,
// a text stays text, NULL stays NULL.
struct Value {
  int kind = kNull;
  int64_t i = 0;
  double d = 0;
  std::string s;
};
using Row = std::vector<Value>;

Value ReadValue(const Statement& st, int col) {
  Value v;
  v.kind = st.Type(col);
  if (v.kind == kInteger) {
    v.i = st.Int(col);
  } else if (v.kind == kFloat) {
    v.d = st.Double(col);
  } else if (v.kind != kNull) {
    v.kind = kText;  // a blob is carried as its bytes
    v.s = st.Text(col);
  }
  return v;
}

Row ReadRow(const Statement& st, size_t width) {
  Row row;
  row.reserve(width);
  for (size_t c = 0; c < width; ++c) row.push_back(ReadValue(st, static_cast<int>(c)));
  return row;
}

Value TextValue(std::string s) {
  Value v;
  v.kind = kText;
  v.s = std::move(s);
  return v;
}

void BindValue(Statement& st, int i, const Value& v) {
  if (v.kind == kInteger)
    st.BindInt(i, v.i);
  else if (v.kind == kFloat)
    st.BindDouble(i, v.d);
  else if (v.kind == kText)
    st.Bind(i, v.s);
  else
    st.BindNull(i);
}

// The value's text in the checksum, the same whichever book holds it: a server gives every
// value as text and a file keeps a number as a number, so numbers are written out here
// (reals in their shortest exact form) and texts have their separators escaped. It is also
// the server's COPY text format, in which rows go onto a server.
void AppendCanonical(std::string& out, const Value& v) {
  if (v.kind == kNull) {
    out += "\\N";
  } else if (v.kind == kInteger) {
    out += std::to_string(v.i);
  } else if (v.kind == kFloat) {
    std::array<char, 40> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v.d);
    out.append(buf.data(), res.ptr);
  } else {
    for (char c : v.s) {
      if (c == '\\')
        out += "\\\\";
      else if (c == '\t')
        out += "\\t";
      else if (c == '\n')
        out += "\\n";
      else if (c == '\r')
        out += "\\r";
      else
        out += c;
    }
  }
}

std::string CanonicalRow(std::string_view table, const Row& row) {
  std::string line(table);
  for (const Value& v : row) {
    line += '\t';
    AppendCanonical(line, v);
  }
  return line += '\n';
}

// A reading's date and time as the program reads it, so a file's "08:00" and a server's
// "08:00:00" compare equal; one that does not read stays as stored.
std::optional<DateTime> ReadingTime(const Value& v) {
  if (v.kind != kText) return std::nullopt;
  std::optional<DateTime> at = ParseDateTime(v.s);
  if (!at || !IsValidDateTime(*at)) return std::nullopt;
  return at;
}

class Sha256 {
 public:
  Sha256() : ctx_(EVP_MD_CTX_new()) { EVP_DigestInit_ex(ctx_, EVP_sha256(), nullptr); }
  ~Sha256() { EVP_MD_CTX_free(ctx_); }
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void Add(std::string_view s) { EVP_DigestUpdate(ctx_, s.data(), s.size()); }
  std::string Hex() {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_DigestFinal_ex(ctx_, md, &n);
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < n; ++i) (out += kHex[md[i] >> 4]) += kHex[md[i] & 15];
    return out;
  }

 private:
  EVP_MD_CTX* ctx_;
};

std::string Joined(const std::vector<std::string>& columns) {
  std::string out;
  for (const std::string& c : columns) (out += out.empty() ? "" : ", ") += c;
  return out;
}

size_t ColumnIndex(const BookTable& t, std::string_view name) {
  return static_cast<size_t>(std::find(t.columns.begin(), t.columns.end(), name) -
                             t.columns.begin());
}

// Texts in byte order on either book (a server would otherwise sort by its locale).
std::string ByteOrder(const Database& db, const std::string& column) {
  return db.server() ? column + " COLLATE \"C\"" : column;
}

// The columns of a reading, as the checksum and the copy take them.
constexpr const char* kReadingColumns = "idx, glucoDate, gluco, meal, medicalNo";
constexpr size_t kReadingWidth = 5;

// The patient's readings in idx order; not ok() when a file has no readings table for it.
Statement ReadingRows(Database& db, const std::string& id) {
  if (!HasReadingsTable(db, id)) return {};
  return PrepareReadings(db, id, kReadingColumns, {}, /*idxOrder=*/true);
}

// Rows into one table, many at a time: a book of millions of readings goes over a network
// in hundreds of messages, not millions. A file takes them as multi-row INSERTs, a server as
// COPY, whose text rows it reads without parsing a statement per row.
class RowInserter {
 public:
  RowInserter(Database& db, const std::string& table, const std::string& columns, size_t width)
      : db_(db),
        head_(db.server() ? "COPY " + table + " (" + columns + ") FROM STDIN;"
                          : "INSERT INTO " + table + "(" + columns + ") VALUES"),
        width_(width),
        batch_(std::max<size_t>(1, 900 / width)) {}  // within SQLite's 999 parameters

  bool Add(Row row) {
    if (db_.server()) {
      for (size_t c = 0; c < row.size(); ++c) {
        if (c) copy_ += '\t';
        AppendCanonical(copy_, row[c]);
      }
      copy_ += '\n';
      return copy_.size() < kCopyBytes || Flush();
    }
    rows_.push_back(std::move(row));
    return rows_.size() < batch_ || Flush();
  }

  bool Flush() {
    if (db_.server()) {
      if (copy_.empty()) return true;
      const bool ok = db_.CopyIn(head_, copy_);
      copy_.clear();
      return ok;
    }
    if (rows_.empty()) return true;
    auto [it, added] = statements_.try_emplace(rows_.size());
    if (added) {
      std::string one = "(";
      for (size_t c = 0; c < width_; ++c) one += c ? ",?" : "?";
      one += ")";
      std::string sql = head_;
      for (size_t r = 0; r < rows_.size(); ++r) (sql += r ? "," : "") += one;
      it->second = db_.Prepare(sql + ";");
    }
    Statement& st = it->second;
    st.Reset();
    int b = 1;
    for (const Row& row : rows_)
      for (const Value& v : row) BindValue(st, b++, v);
    rows_.clear();
    return st.Run();
  }

 private:
  static constexpr size_t kCopyBytes = 4 << 20;

  Database& db_;
  std::string head_;
  size_t width_;
  size_t batch_;
  std::vector<Row> rows_;
  std::string copy_;
  std::map<size_t, Statement> statements_;
};

// ---- the checksum of a book ----

struct Part {
  int64_t rows = 0;
  std::string sha;
};
struct PatientCounts {
  int64_t readings = 0;
  int64_t details = 0;
  bool operator==(const PatientCounts&) const = default;
};
struct BookDigest {
  std::map<std::string, Part> tables;  // the book's tables and "readings"
  std::map<std::string, PatientCounts> patients;
  std::string all;
};

// Every table in key order as canonical text, rows of patients outside `only` (when given)
// left out.
BookDigest Summarize(Database& db, const std::set<std::string>* only) {
  BookDigest digest;
  Sha256 all;
  std::set<std::string> ids;
  for (const BookTable& t : BookTables()) {
    if (!db.TableExists(t.name)) continue;  // an old book may lack a later table
    const size_t id = ColumnIndex(t, "IDNo");
    std::string order = ByteOrder(db, "IDNo");
    if (t.name == "Patient") order += ", " + ByteOrder(db, "fullName");
    if (t.name == "GlucoDetail") order += ", idx";
    Statement st =
        db.Prepare("SELECT " + Joined(t.columns) + " FROM " + t.name + " ORDER BY " + order + ";");
    Sha256 sha;
    Part& part = digest.tables[t.name];
    while (st.Step()) {
      const std::string idNo = st.Text(static_cast<int>(id));
      if (only && !only->count(idNo)) continue;
      const std::string line = CanonicalRow(t.name, ReadRow(st, t.columns.size()));
      sha.Add(line);
      all.Add(line);
      ++part.rows;
      if (t.name == "Patient") ids.insert(idNo);
      if (t.name == "GlucoDetail") ++digest.patients[idNo].details;
    }
    part.sha = sha.Hex();
  }
  Sha256 sha;
  Part& part = digest.tables["readings"];
  for (const std::string& id : ids) {
    PatientCounts& counts = digest.patients[id];
    Statement st = ReadingRows(db, id);
    while (st.Step()) {
      Row row = ReadRow(st, kReadingWidth);
      if (std::optional<DateTime> at = ReadingTime(row[1])) row[1] = TextValue(FormatDateTime(*at));
      std::string line = CanonicalRow("readings\t" + id, row);
      sha.Add(line);
      all.Add(line);
      ++part.rows;
      ++counts.readings;
    }
  }
  part.sha = sha.Hex();
  digest.all = all.Hex();
  return digest;
}

// What differs between the source's digest and the copy's, one line each; empty when equal.
std::vector<std::string> Differences(const BookDigest& from, const BookDigest& to) {
  std::vector<std::string> out;
  for (const auto& [name, part] : from.tables) {
    const auto it = to.tables.find(name);
    const Part copied = it == to.tables.end() ? Part{} : it->second;
    if (copied.rows != part.rows) {
      out.push_back(FillText(LookupText("BookCopy", "RowsDiffer",
                                        "{table}: {source} rows in the source, {copy} in the copy"),
                             {{"table", name},
                              {"source", std::to_string(part.rows)},
                              {"copy", std::to_string(copied.rows)}}));
    } else if (copied.sha != part.sha) {
      out.push_back(FillText(LookupText("BookCopy", "SumDiffers",
                                        "{table}: the rows of the copy differ from the source's"),
                             {{"table", name}}));
    }
  }
  for (const auto& [id, counts] : from.patients) {
    const auto it = to.patients.find(id);
    const PatientCounts copied = it == to.patients.end() ? PatientCounts{} : it->second;
    if (copied == counts) continue;
    out.push_back(FillText(
        LookupText("BookCopy", "PatientDiffers",
                   "patient {id}: {readings} readings and {details} details in the source, "
                   "{copyReadings} and {copyDetails} in the copy"),
        {{"id", id},
         {"readings", std::to_string(counts.readings)},
         {"details", std::to_string(counts.details)},
         {"copyReadings", std::to_string(copied.readings)},
         {"copyDetails", std::to_string(copied.details)}}));
  }
  if (out.empty() && from.all != to.all)
    out.push_back(LookupText("BookCopy", "BookDiffers", "the checksums of the book differ"));
  return out;
}

// ---- the copy ----

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) (out += out.empty() ? "" : "\n") += l;
  return out;
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Patients the copy cannot carry: no ID or name (a server's key needs both), or an ID that
// another patient has too, compared without case as a file's readings tables are named.
// Fills `ids` with the IDs of all others.
std::vector<std::string> CheckPatients(Database& source, std::set<std::string>& ids) {
  std::vector<std::string> problems;
  std::map<std::string, std::vector<std::string>> byFolded;
  Statement st = source.Prepare("SELECT fullName, IDNo FROM Patient ORDER BY rowid;");
  int64_t unnamed = 0;
  while (st.Step()) {
    if (st.IsNull(0) || st.IsNull(1) || st.TextView(1).empty()) {
      ++unnamed;
      continue;
    }
    const std::string id = st.Text(1);
    byFolded[AsciiLower(id)].push_back(id);
    ids.insert(id);
  }
  if (unnamed)
    problems.push_back(FillText(
        LookupText("BookCopy", "PatientsUnnamed", "{count} patients have no ID number or no name."),
        {{"count", std::to_string(unnamed)}}));
  for (const auto& [folded, same] : byFolded) {
    if (same.size() < 2) continue;
    std::string list;
    for (const std::string& id : same) (list += list.empty() ? "" : ", ") += id;
    problems.push_back(FillText(
        LookupText("BookCopy", "PatientsShareId", "{count} patients share one ID number: {ids}."),
        {{"count", std::to_string(same.size())}, {"ids", list}}));
  }
  return problems;
}

// Whether the target holds anything at all: patients, or rows of none (a file's readings
// table left by a patient who is gone would take the copied readings in with its own).
std::optional<std::string> TargetNotEmpty(Database& target, const std::string& where) {
  auto count = [&](const std::string& sql) {
    Statement st = target.Prepare(sql);
    return st.Step() ? st.Int(0) : 0;
  };
  if (const int64_t n = count("SELECT count(*) FROM Patient;"))
    return FillText(LookupText("BookCopy", "TargetHasPatients",
                               "Nothing was copied: {book} already holds {count} patients. Copy "
                               "into a new book file or an empty book on a server."),
                    {{"book", where}, {"count", std::to_string(n)}});
  std::vector<std::string> tables;
  for (const BookTable& t : BookTables()) tables.push_back(t.name);
  if (target.server()) {
    tables.push_back("readings");
  } else {
    Statement st = target.Prepare(
        "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'G%' AND name <> "
        "'GlucoDetail';");
    while (st.Step()) tables.push_back(QuoteIdentifier(st.Text(0)));
  }
  for (const std::string& t : tables) {
    if (count("SELECT count(*) FROM " + t + ";"))
      return FillText(LookupText("BookCopy", "TargetNotEmpty",
                                 "Nothing was copied: {book} holds no patients but is not empty "
                                 "({table} has rows)."),
                      {{"book", where}, {"table", t}});
  }
  return std::nullopt;
}

// Whether two server connections reach the same book: one database of one running server,
// one schema.
bool SameServerBook(Database& a, Database& b) {
  auto identity = [](Database& db) {
    Statement st = db.Prepare(
        "SELECT current_database(), current_schema(), inet_server_port(), "
        "pg_postmaster_start_time(), (SELECT oid FROM pg_database WHERE datname = "
        "current_database());");
    std::string out;
    if (st.Step())
      for (int c = 0; c < 5; ++c) (out += st.Text(c)) += '\t';
    return out;
  };
  const std::string ia = identity(a);
  return !ia.empty() && ia == identity(b);
}

bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

struct Copier {
  Database& source;
  Database& target;
  BookCopyResult& result;
  std::set<std::string> ids;

  // Every table but the readings, rows of no patient counted and left behind.
  bool CopyTables() {
    for (const BookTable& t : BookTables()) {
      if (!source.TableExists(t.name)) continue;  // an old book may lack a later table
      const std::string columns = Joined(t.columns);
      Statement st = source.Prepare("SELECT " + columns + " FROM " + t.name +
                                    (t.name == "Patient" ? " ORDER BY rowid;" : ";"));
      RowInserter out(target, t.name, columns, t.columns.size());
      const int id = static_cast<int>(ColumnIndex(t, "IDNo"));
      int64_t orphans = 0;
      while (st.Step()) {
        if (!ids.count(st.Text(id))) {
          ++orphans;
          continue;
        }
        if (!out.Add(ReadRow(st, t.columns.size()))) return false;
        if (t.name == "Patient") ++result.patients;
        if (t.name == "GlucoDetail") ++result.details;
      }
      if (!out.Flush()) return false;
      if (orphans)
        result.notes.push_back(
            FillText(LookupText("BookCopy", "RowsLeftBehind",
                                "{table}: {count} rows of no patient were left behind."),
                     {{"table", t.name}, {"count", std::to_string(orphans)}}));
    }
    return true;
  }

  // Every patient's readings with their idx. A server's table is typed and holds a reading
  // once: what it cannot take is counted per patient, and then nothing is copied.
  bool CopyReadings(std::vector<std::string>& refusals) {
    for (const std::string& id : ids) {
      if (!target.server() && !EnsureReadingsTable(target, id)) return false;
      RowInserter out(target, target.server() ? "readings" : QuotedReadingsTable(id),
                      target.server() ? std::string(kReadingColumns) + ", IDNo" : kReadingColumns,
                      kReadingWidth + (target.server() ? 1 : 0));
      std::set<std::pair<DateTime, int64_t>> seen;
      int64_t unfit = 0, twice = 0;
      Statement st = ReadingRows(source, id);
      while (st.Step()) {
        Row row = ReadRow(st, kReadingWidth);
        ++result.readings;
        if (target.server()) {
          const std::optional<DateTime> at = ReadingTime(row[1]);
          const bool whole = std::all_of(row.begin() + 2, row.end(), [](const Value& v) {
            return v.kind == kInteger && v.i >= INT32_MIN && v.i <= INT32_MAX;
          });
          if (!at || !whole) {
            ++unfit;
            continue;
          }
          if (!seen.emplace(*at, row[2].i).second) {
            ++twice;
            continue;
          }
          row[1] = TextValue(FormatDateTime(*at));
          row.push_back(TextValue(id));
        }
        if (refusals.empty() && !unfit && !twice && !out.Add(std::move(row))) return false;
      }
      if (!out.Flush()) return false;
      if (unfit)
        refusals.push_back(FillText(
            LookupText("BookCopy", "ReadingsUnfit",
                       "Patient {id}: {count} readings whose date and time or value does not "
                       "read; the server cannot store them."),
            {{"id", id}, {"count", std::to_string(unfit)}}));
      if (twice)
        refusals.push_back(FillText(
            LookupText("BookCopy", "ReadingsTwice",
                       "Patient {id}: {count} readings stored twice (the same date and time "
                       "and value); the server keeps each reading once."),
            {{"id", id}, {"count", std::to_string(twice)}}));
    }
    return true;
  }

  // New readings on a server take their idx after the largest copied.
  bool MoveIdxSequence() {
    if (!target.server()) return true;
    Statement st = target.Prepare(
        "SELECT setval(pg_get_serial_sequence('readings', 'idx'), "
        "(SELECT COALESCE(max(idx), 0) + 1 FROM readings), false);");
    return st.Step();
  }
};

// The copy with both books open; `to` names the target in messages.
BookCopyResult CopyOpenBooks(Database& source, Database& target, const std::string& toName) {
  BookCopyResult result;
  auto refuse = [&](std::string message) {
    result.ok = false;
    result.message = std::move(message);
    return result;
  };
  const std::string refused =
      LookupText("BookCopy", "StatementFailed",
                 "Nothing was copied: a statement failed (its message is above).");
  FailureWatch sourceWatch(source), targetWatch(target);
  auto failed = [&] { return sourceWatch.failed() || targetWatch.failed(); };
  // The source is read in one snapshot, whatever other desks do meanwhile.
  Database::ReadSnapshot snapshot(source);
  if (!snapshot.ok()) return refuse(refused);

  Database::Transaction tx(target);
  if (!tx.ok()) return refuse(refused);
  if (auto why = TargetNotEmpty(target, toName)) return refuse(*why);

  Copier copier{source, target, result, {}};
  std::vector<std::string> problems = CheckPatients(source, copier.ids);
  const std::string nothing = LookupText("BookCopy", "NothingCopied", "Nothing was copied:");
  if (!problems.empty()) return refuse(nothing + "\n" + Lines(problems));
  if (!copier.CopyTables() || !copier.CopyReadings(problems) || failed())
    return refuse(refused);
  if (!problems.empty()) return refuse(nothing + "\n" + Lines(problems));
  // Moving a sequence takes more than a desk's rights: the book's owner role moves books.
  if (!copier.MoveIdxSequence())
    return refuse(LookupText("BookCopy", "NumberingRefused",
                             "Nothing was copied: the server did not let the readings' numbering "
                             "move past the copied readings. Copy with the book's owner role."));

  const BookDigest from = Summarize(source, &copier.ids);
  const BookDigest to = Summarize(target, nullptr);
  if (failed()) return refuse(refused);
  if (std::vector<std::string> diff = Differences(from, to); !diff.empty())
    return refuse(LookupText("BookCopy", "CheckFailed",
                             "Nothing was copied: the copy differs from the source:") +
                  "\n" + Lines(diff));
  if (!tx.Commit())
    return refuse(LookupText("BookCopy", "CommitFailed",
                             "Nothing was copied: the target could not commit the copy."));
  result.ok = true;
  result.checksum = from.all;
  return result;
}

Database OpenBook(const BookLocation& at) {
  return at.kind == BookLocation::Kind::Server ? Database::OpenServer(at.where)
                                               : Database::OpenFile(at.where);
}

}  // namespace

BookCopyResult CopyBook(const BookLocation& from, const BookLocation& to) {
  namespace fs = std::filesystem;
  BookCopyResult result;
  const std::string fromName = DescribeBookLocation(from);
  const std::string toName = DescribeBookLocation(to);
  const bool files = from.kind == BookLocation::Kind::File && to.kind == BookLocation::Kind::File;
  const std::string same = LookupText("BookCopy", "SameBook",
                                      "Nothing was copied: the source and the target are the "
                                      "same book.");
  if (from.kind == to.kind && (files ? SameFile(from.where, to.where) : from.where == to.where)) {
    result.message = same;
    return result;
  }
  std::error_code ec;
  const std::string cannotOpen = LookupText(
      "BookCopy", "CannotOpen", "Nothing was copied: {book} cannot be opened ({reason}).");
  if (from.kind == BookLocation::Kind::File && !fs::exists(from.where, ec)) {
    result.message = FillText(
        cannotOpen,
        {{"book", fromName}, {"reason", LookupText("BookCopy", "NoSuchFile", "no such file")}});
    return result;
  }
  const bool madeTarget = to.kind == BookLocation::Kind::File && !fs::exists(to.where, ec);
  {
    Database source = OpenBook(from);
    if (!source.ok()) {
      result.message = FillText(cannotOpen, {{"book", fromName}, {"reason", source.error()}});
      return result;
    }
    if (!source.TableExists(source.server() ? "meridane_schema" : "Patient")) {
      result.message = FillText(
          LookupText("BookCopy", "NoBook", "Nothing was copied: {book} holds no patient book."),
          {{"book", fromName}});
      if (source.failed()) result.message = source.lastError() + "\n" + result.message;
      return result;
    }
    if (madeTarget) MakePrivateFile(to.where);
    Database target = OpenBook(to);
    if (!target.ok()) {
      result.message = FillText(cannotOpen, {{"book", toName}, {"reason", target.error()}});
    } else if (source.server() && target.server() && SameServerBook(source, target)) {
      result.message = same;
    } else if (!CreateSchema(target)) {
      result.message = FillText(LookupText("BookCopy", "NoTables",
                                           "Nothing was copied: the tables of {book} cannot be "
                                           "made."),
                                {{"book", toName}});
    } else {
      result = CopyOpenBooks(source, target, toName);
    }
    // What the books' statements said comes first, as the reason of the refusal.
    if (!result.ok) {
      std::string said;
      for (const Database* db : {&source, &target})
        for (const std::string& e : db->errors()) said += e + "\n";
      result.message = said + result.message;
    }
  }
  // A file made for the copy goes again with it: a failed copy leaves nothing behind.
  if (!result.ok && madeTarget) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(to.where + suffix, ec);
  }
  return result;
}

}  // namespace meridane
