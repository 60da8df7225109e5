#include "core/traces/trace_time.h"

namespace xkm {
namespace {

// The digits at [at, at + count) as a number; none when one is not a digit.
std::optional<int> Digits(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The offset east of UTC in seconds of "+hhmm", "+hh:mm" or "Z".
std::optional<int> OffsetSeconds(std::string_view zone) {
  if (zone == "Z") return 0;
  if (zone.size() < 5 || (zone[0] != '+' && zone[0] != '-')) return std::nullopt;
  const size_t minutesAt = zone[3] == ':' ? 4 : 3;
  if (zone.size() != minutesAt + 2) return std::nullopt;
  const auto hours = Digits(zone, 1, 2);
  const auto minutes = Digits(zone, minutesAt, 2);
  if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
  const int seconds = *hours * 3600 + *minutes * 60;
  return zone[0] == '-' ? -seconds : seconds;
}

}  // namespace

bool IsIsoDay(std::string_view day) {
  if (day.size() != 10 || day[4] != '-' || day[7] != '-') return false;
  const auto year = Digits(day, 0, 4);
  const auto month = Digits(day, 5, 2);
  const auto date = Digits(day, 8, 2);
  return year && month && date && *month >= 1 && *month <= 12 && *date >= 1 &&
         *date <= DaysInMonth(*year, *month);
}

std::optional<int64_t> EpochSecondsOf(std::string_view iso) {
  if (iso.size() < 20 || !IsIsoDay(iso.substr(0, 10)) || iso[10] != 'T' || iso[13] != ':' ||
      iso[16] != ':')
    return std::nullopt;
  const auto hour = Digits(iso, 11, 2);
  const auto minute = Digits(iso, 14, 2);
  const auto second = Digits(iso, 17, 2);
  const auto offset = OffsetSeconds(iso.substr(19));
  if (!hour || !minute || !second || !offset || *hour > 23 || *minute > 59 || *second > 60)
    return std::nullopt;
  const int64_t days = DaysFromCivil(*Digits(iso, 0, 4), *Digits(iso, 5, 2), *Digits(iso, 8, 2));
  return days * 86400 + int64_t{*hour} * 3600 + int64_t{*minute} * 60 + *second - *offset;
}

}  // namespace xkm
