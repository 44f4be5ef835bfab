#include "store/date_time.h"

#include <cstdio>
#include <ctime>

namespace meridane {

std::string FormatDate(const Date& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
  return buf;
}

std::string FormatTimeOfDay(const TimeOfDay& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:00", t.hour, t.minute);
  return buf;
}

namespace {
void PutDigits(char* at, int v, int n) {
  for (int i = n - 1; i >= 0; --i, v /= 10) at[i] = static_cast<char>('0' + v % 10);
}
}  // namespace

std::string FormatDateTime(const DateTime& dt) {
  // Every stored reading goes through here: its usual values are written directly, and only
  // what "%04d"/"%02d" would widen or sign takes the general path.
  if (dt.year >= 0 && dt.year <= 9999 && dt.month >= 0 && dt.month <= 99 && dt.day >= 0 &&
      dt.day <= 99 && dt.hour >= 0 && dt.hour <= 99 && dt.minute >= 0 && dt.minute <= 99) {
    std::string s = "0000-00-00 00:00:00";
    PutDigits(&s[0], dt.year, 4);
    PutDigits(&s[5], dt.month, 2);
    PutDigits(&s[8], dt.day, 2);
    PutDigits(&s[11], dt.hour, 2);
    PutDigits(&s[14], dt.minute, 2);
    return s;
  }
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:00", dt.year, dt.month, dt.day, dt.hour,
                dt.minute);
  return buf;
}

std::optional<Date> ParseDate(std::string_view text) {
  std::string s(text);
  Date d;
  if (std::sscanf(s.c_str(), "%d-%d-%d", &d.year, &d.month, &d.day) != 3) return std::nullopt;
  return d;
}

std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text) {
  std::string s(text);
  TimeOfDay t;
  int sec = 0;
  if (std::sscanf(s.c_str(), "%d:%d:%d", &t.hour, &t.minute, &sec) < 2) return std::nullopt;
  return t;
}

namespace {
// Two or four digits at a fixed place, or -1.
int Digits(std::string_view t, size_t at, size_t n) {
  int v = 0;
  for (size_t i = at; i < at + n; ++i) {
    if (t[i] < '0' || t[i] > '9') return -1;
    v = v * 10 + (t[i] - '0');
  }
  return v;
}
}  // namespace

std::optional<DateTime> ParseDateTime(std::string_view text) {
  // Stored readings always have the fixed form "YYYY-MM-DD HH:MM:SS"; reading it directly
  // keeps loading ten thousand of them cheap. Anything else takes the lenient path.
  if (text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
      text[13] == ':' && text[16] == ':') {
    DateTime dt{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2), Digits(text, 11, 2),
                Digits(text, 14, 2)};
    if (dt.year >= 0 && dt.month >= 0 && dt.day >= 0 && dt.hour >= 0 && dt.minute >= 0 &&
        Digits(text, 17, 2) >= 0)
      return dt;
  }
  std::string s(text);
  DateTime dt;
  int sec = 0;
  int n = std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &dt.year, &dt.month, &dt.day, &dt.hour,
                      &dt.minute, &sec);
  if (n < 5) return std::nullopt;
  return dt;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsValidDate(const Date& d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

bool IsValidTime(const TimeOfDay& t) {
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59;
}

bool IsValidDateTime(const DateTime& dt) { return IsValidDate(dt.date()) && IsValidTime(dt.time()); }

// Howard Hinnant's days_from_civil / civil_from_days.
long DaysFromCivil(const Date& d) {
  int y = d.year - (d.month <= 2 ? 1 : 0);
  long era = (y >= 0 ? y : y - 399) / 400;
  unsigned yoe = static_cast<unsigned>(y - era * 400);
  unsigned mp = static_cast<unsigned>(d.month + (d.month > 2 ? -3 : 9));
  unsigned doy = (153 * mp + 2) / 5 + static_cast<unsigned>(d.day) - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

Date CivilFromDays(long z) {
  z += 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  unsigned doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long y = static_cast<long>(yoe) + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  unsigned d = doy - (153 * mp + 2) / 5 + 1;
  unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m), static_cast<int>(d)};
}

Date AddDays(const Date& d, long days) { return CivilFromDays(DaysFromCivil(d) + days); }

int DayOfWeek(const Date& d) {
  long z = DaysFromCivil(d);  // 1970-01-01 was a Thursday (4)
  long w = (z + 4) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

DateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

Date Today() { return Now().date(); }

}  // namespace meridane
