#include "gtfs/service_period.h"

#include <algorithm>

namespace murlo::gtfs {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

CivilDay civilDayOf(year_month_day date) {
  return static_cast<CivilDay>(sys_days(date).time_since_epoch().count());
}

year_month_day dateOfDay(CivilDay firstDay, int32_t day) {
  return year_month_day(sys_days(days(int64_t{firstDay} + day)));
}

ServicePeriod::ServicePeriod(year_month_day first, int32_t dayCount)
    : first_(civilDayOf(first)), days_(dayCount) {}

int32_t ServicePeriod::dayOf(year_month_day date) const {
  const int64_t day = int64_t{civilDayOf(date)} - first_;
  return day >= 0 && day < days_ ? static_cast<int32_t>(day) : -1;
}

ServicePeriod::Service& ServicePeriod::service(std::string_view id) {
  auto found = services_.find(std::string(id));
  if (found == services_.end()) found = services_.emplace(std::string(id), Service{}).first;
  return found->second;
}

void ServicePeriod::addPattern(std::string_view id, const bool (&weekdays)[7], year_month_day start,
                               year_month_day end) {
  Service& s = service(id);
  const int64_t from = std::max<int64_t>(int64_t{civilDayOf(start)} - first_, 0);
  const int64_t to = std::min<int64_t>(int64_t{civilDayOf(end)} - first_, days_ - 1);
  if (from > to) return;
  if (s.byPattern.empty()) s.byPattern.assign(static_cast<std::size_t>(days_), 0);
  for (int64_t d = from; d <= to; ++d) {
    const sys_days date{std::chrono::days(first_ + d)};
    if (weekdays[std::chrono::weekday(date).c_encoding()])
      s.byPattern[static_cast<std::size_t>(d)] = 1;
  }
}

void ServicePeriod::addException(std::string_view id, year_month_day date, int type) {
  const int32_t day = dayOf(date);
  if (type != 1 && type != 2) return;
  Service& s = service(id);  // known even when its exceptions lie outside the period
  if (day >= 0) s.exceptions.emplace_back(day, type == 1);
}

DayPattern ServicePeriod::days(std::string_view id) const {
  DayPattern pattern;
  const auto found = services_.find(std::string(id));
  if (found == services_.end()) return pattern;
  const Service& s = found->second;
  std::vector<uint8_t> runs = s.byPattern;
  runs.resize(static_cast<std::size_t>(days_), 0);
  for (const auto& [day, adds] : s.exceptions) runs[static_cast<std::size_t>(day)] = adds ? 1 : 0;
  if (std::find(runs.begin(), runs.end(), 1) == runs.end()) return pattern;
  pattern.bits.assign((static_cast<std::size_t>(days_) + 7) / 8, 0);
  for (std::size_t d = 0; d < runs.size(); ++d) {
    if (runs[d] != 0)
      pattern.bits[d / 8] = static_cast<uint8_t>(pattern.bits[d / 8] | (1U << (d % 8)));
  }
  return pattern;
}

}  // namespace murlo::gtfs
