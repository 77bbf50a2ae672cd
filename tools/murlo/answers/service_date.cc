#include "answers/service_date.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "answers/ascii_text.h"
#include "answers/time_of_day.h"

namespace murlo::tool {
namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and
// back (the usual era arithmetic).
int64_t daysOfDate(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int32_t dateOfDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const int64_t month = monthIndex + (monthIndex < 10 ? 3 : -9);
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return static_cast<int32_t>(year * 10000 + month * 100 + day);
}

int64_t daysOfNumber(int32_t date) {
  return daysOfDate(date / 10000, date / 100 % 100, date % 100);
}

// A zone name as the zone files name them: letters, digits and "/_-+",
// never ".." nor a leading "/" (it names a file under the zone folder).
bool zoneNameTaken(std::string_view zone) {
  if (zone.empty() || zone.size() > 64 || zone.front() == '/') return false;
  if (zone.find("..") != std::string_view::npos) return false;
  for (const char c : zone) {
    if (!isAsciiDigit(c) && !isAsciiLetter(c) && c != '/' && c != '_' && c != '-' && c != '+') {
      return false;
    }
  }
  return true;
}

int64_t bigEndian(const unsigned char* bytes, std::size_t size) {
  uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = value << 8 | bytes[i];
  // Sign-extend the 32-bit times and offsets of the file.
  if (size == 4) return static_cast<int32_t>(static_cast<uint32_t>(value));
  return static_cast<int64_t>(value);
}

// The offset from UTC (seconds) at `now` in a compiled zone file: the local
// time type of the last transition at or before `now` (the file's second,
// 64-bit part where it has one). The rule after the file's last transition
// is not read: Debian's zone files list every transition up to 2037, and
// after it a zone keeps the offset of its last one.
std::optional<int64_t> zoneOffset(const std::vector<unsigned char>& file, int64_t now) {
  std::size_t at = 0;
  const auto counts = [&](std::size_t header, int64_t(&count)[6]) {
    if (file.size() < header + 44) return false;
    if (file[header] != 'T' || file[header + 1] != 'Z' || file[header + 2] != 'i' ||
        file[header + 3] != 'f') {
      return false;
    }
    for (std::size_t i = 0; i < 6; ++i) count[i] = bigEndian(&file[header + 20 + 4 * i], 4);
    for (const int64_t c : count) {
      if (c < 0 || c > 100000) return false;
    }
    return true;
  };
  int64_t count[6];  // isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt
  if (!counts(0, count)) return std::nullopt;
  std::size_t timeSize = 4;
  if (file[4] >= '2') {
    // Skip the 32-bit part to the 64-bit one.
    at = 44 + static_cast<std::size_t>(count[3] * 5 + count[4] * 6 + count[5] + count[2] * 8 +
                                       count[1] + count[0]);
    if (!counts(at, count)) return std::nullopt;
    timeSize = 8;
  }
  const std::size_t times = at + 44;
  const std::size_t indexes = times + static_cast<std::size_t>(count[3]) * timeSize;
  const std::size_t types = indexes + static_cast<std::size_t>(count[3]);
  if (count[4] < 1 || file.size() < types + static_cast<std::size_t>(count[4]) * 6) {
    return std::nullopt;
  }
  int64_t type = 0;
  for (int64_t i = 0; i < count[3]; ++i) {
    if (bigEndian(&file[times + static_cast<std::size_t>(i) * timeSize], timeSize) > now) break;
    type = file[indexes + static_cast<std::size_t>(i)];
  }
  if (type >= count[4]) return std::nullopt;
  return bigEndian(&file[types + static_cast<std::size_t>(type) * 6], 4);
}

std::optional<int64_t> offsetInZone(std::string_view zone, int64_t now) {
  if (!zoneNameTaken(zone)) return std::nullopt;
  const char* folder = std::getenv("TZDIR");
  const std::string path =
      std::string(folder != nullptr && *folder != '\0' ? folder : "/usr/share/zoneinfo") + "/" +
      std::string(zone);
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<unsigned char> file;
  char byte = 0;
  while (file.size() < (1u << 20) && in.get(byte)) file.push_back(static_cast<unsigned char>(byte));
  return zoneOffset(file, now);
}

int32_t localDate(std::time_t now) {
  std::tm local{};
#if defined(_WIN32)
  if (localtime_s(&local, &now) != 0) return dateOfDays(now / 86400);
#else
  if (localtime_r(&now, &local) == nullptr) return dateOfDays(now / 86400);
#endif
  return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

}  // namespace

ServicePeriod servicePeriodOf(const murlo_db* db) {
  ServicePeriod period;
  if (murlo_db_period(db, &period.first, &period.last) != MURLO_STATUS_OK) {
    period.first = period.last = MURLO_NO_DATE;
  }
  period.timeZone = murlo_db_time_zone(db);
  return period;
}

std::optional<int32_t> parseIsoDate(std::string_view given) {
  std::string digits;
  if (given.size() == 10 && given[4] == '-' && given[7] == '-') {
    digits = std::string(given.substr(0, 4)) + std::string(given.substr(5, 2)) +
             std::string(given.substr(8, 2));
  } else if (given.size() == 8) {
    digits = std::string(given);
  } else {
    return std::nullopt;
  }
  const auto number = parseDigits(digits, 8);
  if (!number || digits.size() != 8) return std::nullopt;
  const int32_t year = *number / 10000;
  const int32_t month = *number / 100 % 100;
  const int32_t day = *number % 100;
  if (year < 1970 || month < 1 || month > 12 || day < 1) return std::nullopt;
  // A real day of its month: the day after it is in the next month.
  if (dateOfDays(daysOfDate(year, month, day)) != *number) return std::nullopt;
  return *number;
}

std::string formatIsoDate(int32_t date) {
  const std::string digits = std::to_string(date);
  if (digits.size() != 8) return digits;
  return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
}

int32_t dateAfter(int32_t date, int daysAfter) {
  return dateOfDays(daysOfNumber(date) + daysAfter);
}

int32_t dateIn(std::string_view zone, std::time_t now) {
  const auto offset = zone.empty() ? std::nullopt : offsetInZone(zone, now);
  if (!offset) return localDate(now);
  const int64_t local = static_cast<int64_t>(now) + *offset;
  return dateOfDays(local >= 0 ? local / 86400 : (local - 86399) / 86400);
}

int minuteIn(std::string_view zone, std::time_t now) {
  const auto offset = zone.empty() ? std::nullopt : offsetInZone(zone, now);
  if (!offset) return currentMinuteOfDay();
  const int64_t local = static_cast<int64_t>(now) + *offset;
  return static_cast<int>(((local % 86400) + 86400) % 86400 / 60);
}

Result<int32_t> resolveDate(int asked, const ServicePeriod& period, std::string_view name,
                            std::time_t now) {
  const int32_t date = asked == kToday || asked == kTomorrow
                           ? dateAfter(dateIn(period.timeZone, now), asked == kTomorrow ? 1 : 0)
                           : asked;
  if (period.hasCalendar() && (date < period.first || date > period.last)) {
    return Status::badParameter(std::string(name), std::string(name) + " " + formatIsoDate(date) +
                                                       " is outside the timetable's period " +
                                                       formatIsoDate(period.first) + " to " +
                                                       formatIsoDate(period.last));
  }
  return date;
}

}  // namespace murlo::tool
