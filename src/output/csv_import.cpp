#include "output/csv_import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <string_view>

#include "base/text_fill.h"
#include "base/text_lookup.h"
#include "base/utf8.h"
#include "reports/classification.h"
#include "store/reading_store.h"

namespace meridane {

namespace {

constexpr size_t kMaxImportBytes = 32u << 20;
std::string TooLargeText() {
  return LookupText("CsvImport", "TooLarge",
                    "The file is too large to be a readings table (more than 32 MB).");
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Fields of one line; a field in double quotes may hold the delimiter and doubled quotes.
std::vector<std::string> SplitFields(std::string_view line, char delim) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        out.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        out.back() += c;
      }
    } else if (c == '"' && Trim(out.back()).empty()) {
      quoted = true;
      out.back().clear();
    } else if (c == delim) {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  for (auto& f : out) f = std::string(Trim(f));
  return out;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A date as written: three numbers; `first4` when the year leads.
struct DateParts {
  int a = 0, b = 0, c = 0;
  bool yearFirst = false;
};

std::optional<DateParts> SplitDate(std::string_view s) {
  char sep = 0;
  for (char c : s)
    if (c == '-' || c == '/' || c == '.') {
      sep = c;
      break;
    }
  if (!sep) return std::nullopt;
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i)
    if (i == s.size() || s[i] == sep) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  if (parts.size() != 3) return std::nullopt;
  for (auto p : parts)
    if (!AllDigits(p) || p.size() > 4) return std::nullopt;
  DateParts d{std::stoi(std::string(parts[0])), std::stoi(std::string(parts[1])),
              std::stoi(std::string(parts[2])), parts[0].size() == 4};
  if (!d.yearFirst && parts[2].size() != 4) return std::nullopt;  // two-digit years are guesses
  return d;
}

std::optional<Date> ResolveDate(const DateParts& p, DateOrder order) {
  Date d;
  if (p.yearFirst) {
    d = {p.a, p.b, p.c};
  } else if (order == DateOrder::DayMonthYear) {
    d = {p.c, p.b, p.a};
  } else if (order == DateOrder::MonthDayYear) {
    d = {p.c, p.a, p.b};
  } else {
    return std::nullopt;
  }
  if (d.year < 1970 || !IsValidDate(d)) return std::nullopt;
  return d;
}

// "HH:MM", "HH:MM:SS", either with "am"/"pm"; seconds are dropped as the meters' are.
std::optional<TimeOfDay> ParseTimeText(std::string_view s) {
  std::string t = Lower(Trim(s));
  int ampm = 0;
  for (const char* mark : {"am", "pm"}) {
    if (t.size() > 2 && t.compare(t.size() - 2, 2, mark) == 0) {
      ampm = mark[0] == 'a' ? 1 : 2;
      t = std::string(Trim(t.substr(0, t.size() - 2)));
    }
  }
  int h = -1, m = -1, sec = 0;
  char tail = 0;
  int n = std::sscanf(t.c_str(), "%2d:%2d:%2d%c", &h, &m, &sec, &tail);
  if (n < 2 || n > 3 || t.find_first_not_of("0123456789:") != std::string::npos) return std::nullopt;
  if (ampm) {
    if (h < 1 || h > 12) return std::nullopt;
    h = h % 12 + (ampm == 2 ? 12 : 0);
  }
  TimeOfDay tod{h, m};
  if (!IsValidTime(tod) || sec < 0 || sec > 59) return std::nullopt;
  return tod;
}

// A date with the time in the same field ("2026-03-04 08:15", "2026-03-04T08:15:00+01:00").
struct DateTimeText {
  std::string_view date;
  std::string_view time;  // empty when the field has the date alone
};

DateTimeText SplitDateTime(std::string_view field) {
  size_t cut = field.find_first_of(" T");
  if (cut == std::string_view::npos) return {field, {}};
  std::string_view time = Trim(field.substr(cut + 1));
  // An ISO zone suffix names the writer's zone; the clock time is what the meter showed.
  if (field[cut] == 'T') {
    size_t zone = time.find_first_of("Z+-");
    if (zone != std::string_view::npos) time = time.substr(0, zone);
  }
  return {Trim(field.substr(0, cut)), time};
}

std::optional<double> ParseNumber(std::string_view s) {
  std::string t(Trim(s));
  if (t.find('.') == std::string::npos) std::replace(t.begin(), t.end(), ',', '.');
  if (t.empty() || t.find_first_not_of("0123456789.") != std::string::npos ||
      std::count(t.begin(), t.end(), '.') > 1 || t == ".")
    return std::nullopt;
  return std::stod(t);
}

struct Columns {
  int date = -1, time = -1, value = -1;  // time -1: the date field holds the time too
};

// Column layout of a plain file from a header row, when it names its columns.
std::optional<Columns> HeaderColumns(const std::vector<std::string>& cells, GlucoseUnit& unit) {
  Columns c;
  for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
    std::string h = Lower(cells[static_cast<size_t>(i)]);
    bool hasDate = h.find("date") != std::string::npos || h.find("datum") != std::string::npos ||
                   h.find("day") != std::string::npos;
    bool hasTime = h.find("time") != std::string::npos || h.find("zeit") != std::string::npos;
    bool isValue = h.find("gluc") != std::string::npos || h.find("bg") != std::string::npos ||
                   h.find("value") != std::string::npos || h.find("mg/dl") != std::string::npos ||
                   h.find("mmol") != std::string::npos || h.find("reading") != std::string::npos ||
                   h.find("result") != std::string::npos || h.find("sugar") != std::string::npos;
    if (isValue && c.value < 0) {
      c.value = i;
      if (h.find("mmol") != std::string::npos) unit = GlucoseUnit::MmolL;
      else if (h.find("mg") != std::string::npos) unit = GlucoseUnit::MgDl;
    } else if (hasDate && c.date < 0) {
      c.date = i;
    } else if (hasTime && c.time < 0) {
      c.time = i;
    }
  }
  if (c.date < 0 || c.value < 0) return std::nullopt;
  return c;
}

// Column layout of a plain file from its first data row: the date (with or without the
// time), the time when it has a column of its own, then the value.
std::optional<Columns> DataColumns(const std::vector<std::string>& cells) {
  for (int i = 0; i + 1 < static_cast<int>(cells.size()); ++i) {
    DateTimeText dt = SplitDateTime(cells[static_cast<size_t>(i)]);
    if (!SplitDate(dt.date)) continue;
    Columns c{i, -1, i + 1};
    if (dt.time.empty() && ParseTimeText(cells[static_cast<size_t>(i + 1)])) {
      c.time = i + 1;
      c.value = i + 2;
    }
    return c;
  }
  return std::nullopt;
}

// A glucose text in mg/dL, or why not.
std::optional<int> GlucoseOf(std::string_view text, GlucoseUnit unit, std::string& why) {
  std::string t = Lower(Trim(text));
  if (t == "hi") return kImportedHi;
  if (t == "lo") return kImportedLo;
  auto v = ParseNumber(t);
  if (!v) {
    why = t.empty() ? LookupText("CsvImport", "MissingValue", "missing value")
                    : FillText(LookupText("CsvImport", "NotNumber", "value is not a number: '{value}'"),
                               {{"value", Trim(text)}});
    return std::nullopt;
  }
  long mg = std::lround(unit == GlucoseUnit::MmolL ? *v * 18.0 : *v);
  if (mg < 20 || mg > 600) {
    why = FillText(LookupText("CsvImport", "OutOfRange",
                              "value outside 20-600 and not HI/LO: '{value}'"),
                   {{"value", Trim(text)}});
    return std::nullopt;
  }
  return static_cast<int>(mg);
}

int IntensityOf(std::string_view text) {
  if (text == "Mild") return 0;
  if (text == "Moderate") return 1;
  if (text == "Hard") return 2;
  return -1;
}

// The detail columns of the program's own export, back into a detail record. The five
// comments leave the program joined as one text; they come back as the glucose comment.
GlucoDetailRecord OwnDetails(const std::vector<std::string>& f) {
  GlucoDetailRecord d;
  if (f.size() < 15) return d;
  std::string comments = f[4];
  if (!comments.empty() && comments.back() == ';') comments.pop_back();
  d.comment = comments;
  d.insulin = f[5];
  d.insulinAmount = ParseNumber(f[6]).value_or(0);
  d.oral = f[7];
  d.oralAmount = ParseNumber(f[8]).value_or(0);
  int h = 0, m = 0;
  if (std::sscanf(f[9].c_str(), "%d:%d", &h, &m) == 2) {
    d.exerciseHour = h;
    d.exerciseMinute = m;
  }
  d.intensity = IntensityOf(f[10]);
  auto whole = [](const std::string& s) { return static_cast<int>(ParseNumber(s).value_or(0)); };
  d.carbs = whole(f[11]);
  d.fats = whole(f[12]);
  d.carlories = whole(f[13]);
  d.proteins = whole(f[14]);
  return d;
}

struct Line {
  int number;
  std::string_view text;
};

// The lines of the file, CR LF or LF, numbered from 1; false with a message when the file
// is not a readable text.
bool SplitLines(std::string_view bytes, std::vector<Line>& lines, std::string& message) {
  if (bytes.size() > kMaxImportBytes) {
    message = TooLargeText();
    return false;
  }
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                            (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    message = LookupText("CsvImport", "Utf16", "The file is written in UTF-16. Save it as UTF-8 or plain text and import it again.");
    return false;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (bytes.find('\0') != std::string_view::npos) {
    message = LookupText("CsvImport", "NotText", "The file is not a text file; nothing was imported.");
    return false;
  }
  if (!IsValidUtf8(bytes)) {
    message = LookupText("CsvImport", "NotUtf8", "The file is not in UTF-8 text encoding (wrong encoding). Save it as UTF-8 and import it again.");
    return false;
  }
  int number = 0;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view text = bytes.substr(start, end - start);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    ++number;
    if (!Trim(text).empty()) lines.push_back({number, text});
    start = end + 1;
  }
  if (lines.empty()) {
    message = LookupText("CsvImport", "Empty", "The file is empty; nothing was imported.");
    return false;
  }
  if (lines.size() > static_cast<size_t>(kMaxImportLines) + 10) {
    message = LookupText("CsvImport", "TooLong", "The file has more than 100,000 lines. Split it into smaller files and import each.");
    return false;
  }
  return true;
}

char DetectDelimiter(std::string_view line) {
  if (line.find('\t') != std::string_view::npos) return '\t';
  if (line.find(';') != std::string_view::npos) return ';';
  return ',';
}

// One data row before the date order is known.
struct RawRow {
  int line;
  std::string date, time, value;
  GlucoDetailRecord detail;
};

// Decides the day/month order from the rows, or says it must be asked.
DateOrder InferOrder(const std::vector<RawRow>& rows, bool& conflict) {
  bool dayFirst = false, monthFirst = false;
  for (const RawRow& r : rows) {
    auto p = SplitDate(r.date);
    if (!p || p->yearFirst) continue;
    if (p->a > 12 && p->b <= 12) dayFirst = true;
    if (p->b > 12 && p->a <= 12) monthFirst = true;
  }
  conflict = dayFirst && monthFirst;
  if (dayFirst && !monthFirst) return DateOrder::DayMonthYear;
  if (monthFirst && !dayFirst) return DateOrder::MonthDayYear;
  return DateOrder::Unknown;
}

bool NeedsOrder(const std::vector<RawRow>& rows) {
  return std::any_of(rows.begin(), rows.end(), [](const RawRow& r) {
    auto p = SplitDate(r.date);
    return p && !p->yearFirst;
  });
}

// Key of the duplicate test: the minute and the value, HI and LO each as one value.
std::string KeyOf(const DateTime& at, int gluco) {
  int v = gluco > 600 ? kImportedHi : gluco < 20 ? kImportedLo : gluco;
  return FormatDateTime(at) + "|" + std::to_string(v);
}

}  // namespace

std::string ImportTimeText(const DateTime& at) { return FormatDateTime(at).substr(0, 16); }

CsvImportPlan ReadCsvImport(const std::string& bytes, const CsvImportOptions& options) {
  CsvImportPlan plan;
  std::vector<Line> lines;
  if (!SplitLines(bytes, lines, plan.message)) return plan;

  std::vector<RawRow> rows;
  GlucoseUnit unit = options.unit;
  size_t first = 0;
  if (lines[0].text.rfind("Meridane Rev:", 0) == 0) {
    // The program's own export: ten header lines, then numbered readings.
    plan.ownFormat = true;
    if (lines.size() > 1) unit = Trim(lines[1].text) == "mmol/L" ? GlucoseUnit::MmolL : GlucoseUnit::MgDl;
    while (first < lines.size() && lines[first].text.rfind("Item No.,", 0) != 0) ++first;
    if (first == lines.size()) {
      plan.message = LookupText("CsvImport", "HeaderCut", "The file's header is cut short: it has no column line; nothing was imported.");
      return plan;
    }
    ++first;
    for (size_t i = first; i < lines.size(); ++i) {
      if (lines[i].text.rfind("Meridane Rev:", 0) == 0) {
        plan.message = LookupText("CsvImport", "ArchiveRun",
                                  "The file holds the readings of more than one patient (an "
                                  "archive run). Export one patient and import that file.");
        return plan;
      }
      auto f = SplitFields(lines[i].text, ',');
      if (f.size() < 4) {
        plan.refused.push_back({lines[i].number, LookupText("CsvImport", "MissingColumn", "missing column")});
        continue;
      }
      rows.push_back({lines[i].number, f[1], f[2], f[3], OwnDetails(f)});
    }
  } else {
    const char delim = DetectDelimiter(lines[0].text);
    auto head = SplitFields(lines[0].text, delim);
    GlucoseUnit headerUnit = GlucoseUnit::Unknown;
    std::optional<Columns> cols = DataColumns(head);
    if (!cols) {
      // Not a data row: a header, which must name the columns (or the next row shows them).
      cols = HeaderColumns(head, headerUnit);
      first = 1;
      if (!cols && lines.size() > 1) cols = DataColumns(SplitFields(lines[1].text, delim));
    }
    if (!cols) {
      plan.message = LookupText("CsvImport", "NoColumns",
                                "No date and glucose columns were found: the file does not look "
                                "like a table of readings; nothing was imported.");
      return plan;
    }
    if (unit == GlucoseUnit::Unknown) unit = headerUnit;
    const size_t need = static_cast<size_t>(std::max({cols->date, cols->time, cols->value})) + 1;
    for (size_t i = first; i < lines.size(); ++i) {
      auto f = SplitFields(lines[i].text, delim);
      if (f.size() < need || f[static_cast<size_t>(cols->value)].empty()) {
        plan.refused.push_back({lines[i].number, LookupText("CsvImport", "MissingColumn", "missing column")});
        continue;
      }
      RawRow r{lines[i].number, f[static_cast<size_t>(cols->date)], {},
               f[static_cast<size_t>(cols->value)], {}};
      if (cols->time >= 0) r.time = f[static_cast<size_t>(cols->time)];
      rows.push_back(std::move(r));
    }
  }
  plan.dataLines = static_cast<int>(rows.size() + plan.refused.size());
  if (plan.dataLines > kMaxImportLines) {
    plan.message = LookupText("CsvImport", "TooLong", "The file has more than 100,000 lines. Split it into smaller files and import each.");
    return plan;
  }
  plan.unit = unit;
  if (unit == GlucoseUnit::Unknown) {
    plan.needsUnit = true;
    plan.message = LookupText("CsvImport", "NoUnit", "The file does not say whether its values are in mg/dL or mmol/L. Choose the unit.");
    return plan;
  }

  // The program's own export always writes month/day/year.
  DateOrder order = plan.ownFormat ? DateOrder::MonthDayYear : options.dateOrder;
  if (order == DateOrder::Unknown && NeedsOrder(rows)) {
    bool conflict = false;
    order = InferOrder(rows, conflict);
    if (conflict) {
      plan.message = LookupText("CsvImport", "MixedOrder", "The dates mix day/month and month/day order; nothing was imported.");
      return plan;
    }
    if (order == DateOrder::Unknown) {
      plan.needsDateOrder = true;
      plan.message = LookupText("CsvImport", "OrderUnknown",
                                "The order of day and month cannot be told from the dates (such "
                                "as 03/04/2026). Choose day/month/year or month/day/year.");
      return plan;
    }
  }

  const Date latest = AddDays(options.today, 1);
  std::set<std::string> seen;
  for (RawRow& r : rows) {
    DateTimeText dt = r.time.empty() ? SplitDateTime(r.date) : DateTimeText{r.date, r.time};
    auto parts = SplitDate(dt.date);
    std::optional<Date> date = parts ? ResolveDate(*parts, order) : std::nullopt;
    if (!date) {
      plan.refused.push_back(
          {r.line, FillText(LookupText("CsvImport", "BadDate", "bad date: '{date}'"), {{"date", dt.date}})});
      continue;
    }
    auto time = dt.time.empty() ? std::nullopt : ParseTimeText(dt.time);
    if (!time) {
      plan.refused.push_back(
          {r.line, dt.time.empty()
                       ? LookupText("CsvImport", "MissingTime", "missing time")
                       : FillText(LookupText("CsvImport", "BadTime", "bad time: '{time}'"),
                                  {{"time", dt.time}})});
      continue;
    }
    if (*date > latest) {
      plan.refused.push_back(
          {r.line, FillText(LookupText("CsvImport", "FutureDate",
                                       "dated more than one day after today: {date}"),
                            {{"date", FormatDate(*date)}})});
      continue;
    }
    std::string why;
    auto gluco = GlucoseOf(r.value, unit, why);
    if (!gluco) {
      plan.refused.push_back({r.line, why});
      continue;
    }
    ImportedReading in{r.line, {date->year, date->month, date->day, time->hour, time->minute},
                       *gluco, r.detail};
    if (seen.insert(KeyOf(in.at, in.gluco)).second) plan.readings.push_back(std::move(in));
    else plan.duplicates.push_back(std::move(in));
  }
  std::sort(plan.refused.begin(), plan.refused.end(),
            [](const RefusedLine& a, const RefusedLine& b) { return a.line < b.line; });
  if (plan.readings.empty() && plan.duplicates.empty()) {
    plan.message = LookupText("CsvImport", "NoReading", "No line of the file could be read as a reading; nothing was imported.");
    return plan;
  }
  plan.ok = true;
  return plan;
}

CsvImportPlan PlanCsvImport(Database& db, const std::string& idNo, const std::string& path,
                            const CsvImportOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    CsvImportPlan plan;
    plan.message = LookupText("CsvImport", "Unreadable", "The file cannot be read: ") + path;
    return plan;
  }
  // A huge file is refused before it is read into memory.
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::streamoff>(in.tellg());
  in.seekg(0, std::ios::beg);
  std::string bytes;
  if (size > 0 && static_cast<size_t>(size) <= kMaxImportBytes) {
    bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), size);
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  } else if (size > 0) {
    CsvImportPlan plan;
    plan.message = TooLargeText();
    return plan;
  }
  CsvImportPlan plan = ReadCsvImport(bytes, options);
  if (!plan.ok) return plan;
  std::set<std::string> stored;
  FailureWatch watch(db);
  ForEachStoredReading(db, idNo, [&](const DateTime& at, int gluco, int) {
    stored.insert(KeyOf(at, gluco));
  });
  if (watch.failed()) {
    plan.ok = false;
    plan.message = LookupText("CsvImport", "StoredUnread", "The patient's stored readings could not be read; nothing was imported.");
    return plan;
  }
  std::vector<ImportedReading> fresh;
  for (ImportedReading& r : plan.readings) {
    if (stored.count(KeyOf(r.at, r.gluco))) plan.duplicates.push_back(std::move(r));
    else fresh.push_back(std::move(r));
  }
  plan.readings = std::move(fresh);
  std::sort(plan.duplicates.begin(), plan.duplicates.end(),
            [](const ImportedReading& a, const ImportedReading& b) { return a.line < b.line; });
  return plan;
}

int FileImportedReadings(Database& db, const CPatientProfile& patient,
                         const std::vector<ImportedReading>& readings) {
  const std::string& idNo = patient.IDNo;
  FailureWatch watch(db);
  // The write lock first: the stored readings checked under it stay true until the commit.
  Database::Transaction tx(db);
  if (!tx.ok() || !EnsureReadingsTable(db, idNo)) return -1;
  std::set<std::string> present;
  ForEachStoredReading(db, idNo, [&](const DateTime& at, int gluco, int) {
    present.insert(KeyOf(at, gluco));
  });
  if (watch.failed()) return -1;
  std::vector<ReadingWriter::NewReading> rows;
  std::vector<const GlucoDetailRecord*> details;
  for (const ImportedReading& r : readings) {
    if (!present.insert(KeyOf(r.at, r.gluco)).second) continue;
    const int slot = ClassifyReadingSlot(patient, r.at);
    // A file carries no meter mark. A reading with details is fixed in its slot, as the
    // detail editor leaves it.
    const bool hasDetail = r.detail.IsNonEmpty();
    const int meal = hasDetail ? slot * 256 + 2 : ComposeMealCode(slot, 0).meal;
    rows.push_back({r.at, r.gluco, meal, -1});
    details.push_back(hasDetail ? &r.detail : nullptr);
  }
  ReadingWriter writer(db, idNo);
  std::vector<int64_t> idx;
  if (!writer.InsertAll(rows, idx) || idx.size() != rows.size()) return -1;
  std::vector<ReadingWriter::IndexedDetail> withDetail;
  for (size_t i = 0; i < rows.size(); ++i)
    if (details[i]) withDetail.push_back({idx[i], details[i]});
  if (!withDetail.empty() && !writer.WriteDetails(withDetail)) return -1;
  if (watch.failed() || !tx.Commit()) return -1;
  return static_cast<int>(rows.size());
}

}  // namespace meridane
