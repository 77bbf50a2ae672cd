// The days of a period on which each service runs: calendar.txt's weekly
// patterns within their date ranges, overridden by calendar_dates.txt's
// exceptions. What ServiceDay says of one date, for every date of a period.
#ifndef MURLO_GTFS_SERVICE_PERIOD_H_
#define MURLO_GTFS_SERVICE_PERIOD_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/service_calendar.h"

namespace murlo::gtfs {

class ServicePeriod {
 public:
  // The `days` dates from `first` on. REQUIRES: 1 <= days <= kMaxCalendarDays.
  ServicePeriod(std::chrono::year_month_day first, int32_t days);

  CivilDay firstDay() const { return first_; }
  int32_t dayCount() const { return days_; }
  // The day of the period of `date` (0 = the first), or -1 outside it.
  int32_t dayOf(std::chrono::year_month_day date) const;

  // One calendar.txt row: the weekdays the service runs on (index 0 is
  // Sunday, as std::chrono::weekday's c_encoding) from `start` to `end`.
  void addPattern(std::string_view service, const bool (&weekdays)[7],
                  std::chrono::year_month_day start, std::chrono::year_month_day end);
  // One calendar_dates.txt row: type 1 adds the date, 2 removes it; the
  // exception wins over the patterns, the last of one date over the others.
  void addException(std::string_view service, std::chrono::year_month_day date, int type);

  // The days the service runs; no day for a service the calendar lacks.
  DayPattern days(std::string_view service) const;

 private:
  struct Service {
    std::vector<uint8_t> byPattern;                    // one byte a day: runs by a pattern
    std::vector<std::pair<int32_t, bool>> exceptions;  // day, runs
  };
  Service& service(std::string_view id);

  CivilDay first_;
  int32_t days_;
  std::unordered_map<std::string, Service> services_;
};

// The days of the period as a date: firstDay + day.
std::chrono::year_month_day dateOfDay(CivilDay firstDay, int32_t day);
// Days since 1970-01-01.
CivilDay civilDayOf(std::chrono::year_month_day date);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_SERVICE_PERIOD_H_
