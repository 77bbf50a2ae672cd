// Dates as days since 1970-01-01 (CivilDay, service_calendar.h) and as the
// year, month and day people write: the proleptic Gregorian calendar, years
// 1970 to 9999, the range a calendar's days and a question's date lie in.
#ifndef MURLO_DB_CIVIL_DAY_H_
#define MURLO_DB_CIVIL_DAY_H_

#include <cstdint>
#include <optional>

#include "db/service_calendar.h"

namespace murlo {

struct CivilDate {
  int32_t year = 1970;
  int32_t month = 1;  // 1 to 12
  int32_t day = 1;    // 1 to the month's last

  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The first and the last day a date may be: 1970-01-01 and 9999-12-31.
inline constexpr CivilDay kFirstCivilDay = 0;
inline constexpr CivilDay kLastCivilDay = 2932896;

// The day of a date, or nothing unless it is a real date of 1970 to 9999.
std::optional<CivilDay> civilDayOf(CivilDate date);

// The date of a day. REQUIRES: kFirstCivilDay <= day <= kLastCivilDay.
CivilDate civilDateOf(CivilDay day);

// A date written as the number YYYYMMDD (20260923), and back.
std::optional<CivilDay> civilDayOfNumber(int64_t yyyymmdd);
int32_t numberOfCivilDay(CivilDay day);

// 0 Monday to 6 Sunday.
int32_t weekdayOf(CivilDay day);

}  // namespace murlo

#endif  // MURLO_DB_CIVIL_DAY_H_
