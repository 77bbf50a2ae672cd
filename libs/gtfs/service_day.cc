#include "gtfs/service_day.h"

#include <cstdio>

namespace murlo::gtfs {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month_day;

std::optional<year_month_day> parseDate(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  int digits[8];
  for (std::size_t i = 0; i < 8; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    digits[i] = text[i] - '0';
  }
  const int y = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
  const unsigned m = static_cast<unsigned>(digits[4] * 10 + digits[5]);
  const unsigned d = static_cast<unsigned>(digits[6] * 10 + digits[7]);
  const year_month_day date{year{y}, month{m}, day{d}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::string formatDate(year_month_day date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

ServiceDay::ServiceDay(year_month_day date) : date_(date) {}

std::string_view ServiceDay::weekdayColumn() const {
  static constexpr std::string_view kColumns[] = {"sunday",   "monday", "tuesday", "wednesday",
                                                  "thursday", "friday", "saturday"};
  return kColumns[std::chrono::weekday(std::chrono::sys_days(date_)).c_encoding()];
}

void ServiceDay::addPattern(std::string_view service, bool onWeekday, year_month_day start,
                            year_month_day end) {
  if (onWeekday && start <= date_ && date_ <= end) byPattern_.emplace(service);
}

void ServiceDay::addException(std::string_view service, year_month_day date, int type) {
  if (date != date_ || (type != 1 && type != 2)) return;
  byException_[std::string(service)] = type == 1;
}

bool ServiceDay::runs(std::string_view service) const {
  const std::string key(service);
  if (const auto it = byException_.find(key); it != byException_.end()) return it->second;
  return byPattern_.count(key) != 0;
}

std::size_t ServiceDay::count() const {
  std::size_t n = 0;
  for (const std::string& service : byPattern_)
    if (runs(service)) ++n;
  for (const auto& [service, running] : byException_) {
    if (running && byPattern_.count(service) == 0) ++n;
  }
  return n;
}

}  // namespace murlo::gtfs
