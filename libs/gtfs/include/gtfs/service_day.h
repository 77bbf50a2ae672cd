// Which services run on one date: calendar.txt's weekly patterns within
// their date ranges, overridden by calendar_dates.txt's exceptions.
#ifndef MURLO_GTFS_SERVICE_DAY_H_
#define MURLO_GTFS_SERVICE_DAY_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace murlo::gtfs {

// A date written YYYYMMDD, or nothing when it is not a valid date.
std::optional<std::chrono::year_month_day> parseDate(std::string_view text);
// "YYYY-MM-DD".
std::string formatDate(std::chrono::year_month_day date);

class ServiceDay {
 public:
  explicit ServiceDay(std::chrono::year_month_day date);

  std::chrono::year_month_day date() const { return date_; }
  // The weekday column of calendar.txt for the date: "monday" ... "sunday".
  std::string_view weekdayColumn() const;

  // One calendar.txt row: whether the service runs on the date's weekday,
  // and its first and last dates (inclusive).
  void addPattern(std::string_view service, bool onWeekday, std::chrono::year_month_day start,
                  std::chrono::year_month_day end);
  // One calendar_dates.txt row: type 1 adds the date, 2 removes it. Rows for
  // other dates are ignored. The exception wins over the pattern, whatever
  // the order the files are read in.
  void addException(std::string_view service, std::chrono::year_month_day date, int type);

  bool runs(std::string_view service) const;
  // The number of services that run.
  std::size_t count() const;

 private:
  std::chrono::year_month_day date_;
  std::unordered_set<std::string> byPattern_;
  std::unordered_map<std::string, bool> byException_;  // service -> runs
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_SERVICE_DAY_H_
