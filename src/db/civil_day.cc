#include "db/civil_day.h"

namespace murlo {
namespace {

bool isLeapYear(int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int32_t daysInMonth(int32_t year, int32_t month) {
  constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

// Days from civil and back after the well-known era arithmetic: years from
// March, so that the leap day ends a year, in eras of 400 years.
std::optional<CivilDay> civilDayOf(CivilDate date) {
  if (date.year < 1970 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > daysInMonth(date.year, date.month))
    return std::nullopt;
  const int32_t y = date.month <= 2 ? date.year - 1 : date.year;
  const int32_t era = y / 400;
  const int32_t yearOfEra = y - era * 400;
  const int32_t dayOfYear =
      (153 * (date.month > 2 ? date.month - 3 : date.month + 9) + 2) / 5 + date.day - 1;
  const int32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate civilDateOf(CivilDay day) {
  const int32_t z = day + 719468;
  const int32_t era = z / 146097;
  const int32_t dayOfEra = z - era * 146097;
  const int32_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int32_t mp = (5 * dayOfYear + 2) / 153;
  const int32_t d = dayOfYear - (153 * mp + 2) / 5 + 1;
  const int32_t m = mp < 10 ? mp + 3 : mp - 9;
  return CivilDate{yearOfEra + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

std::optional<CivilDay> civilDayOfNumber(int64_t yyyymmdd) {
  if (yyyymmdd < 19700101 || yyyymmdd > 99991231) return std::nullopt;
  const auto number = static_cast<int32_t>(yyyymmdd);
  return civilDayOf(CivilDate{number / 10000, number / 100 % 100, number % 100});
}

int32_t numberOfCivilDay(CivilDay day) {
  const CivilDate date = civilDateOf(day);
  return date.year * 10000 + date.month * 100 + date.day;
}

int32_t weekdayOf(CivilDay day) { return (day + 3) % 7; }  // 1970-01-01 was a Thursday

}  // namespace murlo
