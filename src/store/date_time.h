#pragma once
// Calendar values as the program stores them: dates, times of day to the minute, and the
// date and time of a reading (seconds are always 00 in storage).
#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace meridane {

struct Date {
  int year = 1970;
  int month = 1;
  int day = 1;
  auto operator<=>(const Date&) const = default;
};

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int Minutes() const { return hour * 60 + minute; }
  auto operator<=>(const TimeOfDay&) const = default;
};

struct DateTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  Date date() const { return {year, month, day}; }
  TimeOfDay time() const { return {hour, minute}; }
  auto operator<=>(const DateTime&) const = default;
};

// "%04d-%02d-%02d"
std::string FormatDate(const Date& d);
// "%02d:%02d:00"
std::string FormatTimeOfDay(const TimeOfDay& t);
// "%04d-%02d-%02d %02d:%02d:00"
std::string FormatDateTime(const DateTime& dt);

// Lenient readers for stored texts: they take what sscanf("%d-%d-%d") and
// sscanf("%d:%d:%d") would and report failure for anything else.
std::optional<Date> ParseDate(std::string_view text);
std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text);
// "YYYY-MM-DD HH:MM[:SS]"
std::optional<DateTime> ParseDateTime(std::string_view text);

bool IsValidDate(const Date& d);
// Hour 0-23, minute 0-59.
bool IsValidTime(const TimeOfDay& t);
// A valid date at a valid time.
bool IsValidDateTime(const DateTime& dt);
int DaysInMonth(int year, int month);
// 0 Sunday … 6 Saturday.
int DayOfWeek(const Date& d);
// Days since 1970-01-01 (negative before) and back.
long DaysFromCivil(const Date& d);
Date CivilFromDays(long days);
Date AddDays(const Date& d, long days);

Date Today();
DateTime Now();

}  // namespace meridane
