// The date a question is asked for: a date people write (2026-09-23 or
// 20260923, today or tomorrow), the timetable's period it must lie in, and
// the date as answers say it. Today is the day it is now in the timetable's
// time zone (the database's, else the machine's).
#ifndef MURLO_TOOLS_MURLO_ANSWERS_SERVICE_DATE_H_
#define MURLO_TOOLS_MURLO_ANSWERS_SERVICE_DATE_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "answers/parameters.h"
#include "answers/status.h"
#include "murloppc.h"

namespace murlo::tool {

// What a timetable's dates are: its period (YYYYMMDD numbers, both
// MURLO_NO_DATE without a calendar: every train every day) and its time zone
// (an IANA name, "" where the database does not say).
struct ServicePeriod {
  int32_t first = MURLO_NO_DATE;
  int32_t last = MURLO_NO_DATE;
  std::string timeZone;

  bool hasCalendar() const { return first != MURLO_NO_DATE; }
};
ServicePeriod servicePeriodOf(const murlo_db* db);

// The date given as YYYY-MM-DD or YYYYMMDD, as the number YYYYMMDD, when it
// is a real date of 1970 to 9999.
std::optional<int32_t> parseIsoDate(std::string_view given);
// YYYYMMDD as YYYY-MM-DD.
std::string formatIsoDate(int32_t date);
// The date `daysAfter` days after `date` (YYYYMMDD).
int32_t dateAfter(int32_t date, int daysAfter);

// The date it is at `now` in the time zone `zone` (an IANA name, looked up in
// the system's zone files, TZDIR or /usr/share/zoneinfo), or by the machine's
// clock where `zone` is "" or not found there.
int32_t dateIn(std::string_view zone, std::time_t now);
// The minute of the day it is at `now` there, likewise.
int minuteIn(std::string_view zone, std::time_t now);

// The date asked for: `asked` as readParameter reads kDateParameter (a
// date, or kToday and kTomorrow), today taken in the period's time zone, and
// within the period when the timetable has one; else a kBadParameter status
// naming `name` ("--date" or "date") and the period.
Result<int32_t> resolveDate(int asked, const ServicePeriod& period, std::string_view name,
                            std::time_t now = std::time(nullptr));

// What answers say of a date given for a timetable without a calendar.
inline constexpr std::string_view kEveryDayNote =
    "this timetable runs every train every day: the answer is the same for every date";

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_SERVICE_DATE_H_
