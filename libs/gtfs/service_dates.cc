#include "gtfs/service_dates.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "gtfs/csv_reader.h"
#include "gtfs/feed_error.h"
#include "gtfs/field_values.h"
#include "gtfs/import_report.h"
#include "gtfs/service_day.h"

namespace murlo::gtfs {
namespace {

using std::chrono::sys_days;

constexpr const char* kWeekdays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                     "thursday", "friday", "saturday"};

struct Pattern {
  sys_days start, end;
  bool weekdays[7] = {};  // by std::chrono::weekday's c_encoding: 0 is Sunday
};

struct Exception {
  sys_days date;
  bool adds = false;
};

struct Service {
  std::vector<Pattern> patterns;
  std::vector<Exception> exceptions;
  std::size_t trips = 0;
};

void readCalendar(const FeedFiles& files, std::unordered_map<std::string, Service>& services) {
  auto source = files.open("calendar.txt");
  if (!source) return;
  CsvReader rows(std::move(source), files.displayName("calendar.txt"));
  const std::size_t serviceColumn = rows.requireColumn("service_id");
  const std::size_t startColumn = rows.requireColumn("start_date");
  const std::size_t endColumn = rows.requireColumn("end_date");
  std::size_t weekdayColumns[7];
  for (int d = 0; d < 7; ++d) weekdayColumns[d] = rows.column(kWeekdays[d]);
  while (rows.next()) {
    const auto start = parseDate(rows.field(startColumn));
    const auto end = parseDate(rows.field(endColumn));
    if (!start || !end || sys_days(*end) < sys_days(*start)) continue;
    Pattern pattern{sys_days(*start), sys_days(*end)};
    for (int d = 0; d < 7; ++d) pattern.weekdays[d] = rows.field(weekdayColumns[d]) == "1";
    services[std::string(rows.field(serviceColumn))].patterns.push_back(pattern);
  }
}

void readExceptions(const FeedFiles& files, std::unordered_map<std::string, Service>& services) {
  auto source = files.open("calendar_dates.txt");
  if (!source) return;
  CsvReader rows(std::move(source), files.displayName("calendar_dates.txt"));
  const std::size_t serviceColumn = rows.requireColumn("service_id");
  const std::size_t dateColumn = rows.requireColumn("date");
  const std::size_t typeColumn = rows.requireColumn("exception_type");
  while (rows.next()) {
    const auto date = parseDate(rows.field(dateColumn));
    const auto type = toInt(rows.field(typeColumn));
    if (!date || !type || (*type != 1 && *type != 2)) continue;
    services[std::string(rows.field(serviceColumn))].exceptions.push_back(
        {sys_days(*date), *type == 1});
  }
}

void countTrips(const FeedFiles& files, const FeedFilter& filter,
                std::unordered_map<std::string, Service>& services) {
  ImportReport ignored;
  std::unordered_map<std::string, int32_t> routeIndex;
  std::unordered_set<std::string> allRoutes;
  readRoutes(files, filter, ignored, routeIndex, allRoutes);
  auto source = files.open("trips.txt");
  if (!source) throw FeedError(files.displayName("trips.txt") + ": the feed has no trips.txt");
  CsvReader rows(std::move(source), files.displayName("trips.txt"));
  const std::size_t routeColumn = rows.requireColumn("route_id");
  const std::size_t serviceColumn = rows.requireColumn("service_id");
  std::string key;
  while (rows.next()) {
    key.assign(rows.field(routeColumn));
    if (routeIndex.count(key) == 0) continue;
    const auto service = services.find(std::string(rows.field(serviceColumn)));
    if (service != services.end()) ++service->second.trips;
  }
}

}  // namespace

ServiceDates countServiceDates(const FeedFiles& files, const FeedFilter& filter) {
  std::unordered_map<std::string, Service> services;
  readCalendar(files, services);
  readExceptions(files, services);
  countTrips(files, filter, services);
  ServiceDates result;
  std::optional<sys_days> first, last;
  const auto widen = [&](sys_days d) {
    if (!first || d < *first) first = d;
    if (!last || d > *last) last = d;
  };
  for (const auto& [id, service] : services) {
    if (service.trips == 0) continue;
    for (const Pattern& p : service.patterns) {
      widen(p.start);
      widen(p.end);
    }
    for (const Exception& e : service.exceptions) {
      if (e.adds) widen(e.date);
    }
  }
  if (!first) return result;
  auto span = static_cast<std::size_t>((*last - *first).count()) + 1;
  if (span > kMaxDays) {
    span = kMaxDays;
    result.cut = true;
  }
  const auto indexOf = [&](sys_days d) -> std::optional<std::size_t> {
    if (d < *first) return std::nullopt;
    const auto i = static_cast<std::size_t>((d - *first).count());
    return i < span ? std::optional<std::size_t>(i) : std::nullopt;
  };
  std::vector<std::size_t> trips(span, 0);
  std::vector<bool> runs(span);
  for (const auto& [id, service] : services) {
    if (service.trips == 0) continue;
    std::fill(runs.begin(), runs.end(), false);
    for (const Pattern& p : service.patterns) {
      const std::size_t from = indexOf(p.start).value_or(0);
      for (std::size_t i = from; i < span; ++i) {
        const sys_days d = *first + std::chrono::days(i);
        if (d > p.end) break;
        if (p.weekdays[std::chrono::weekday(d).c_encoding()]) runs[i] = true;
      }
    }
    for (const Exception& e : service.exceptions) {
      if (const auto i = indexOf(e.date)) runs[*i] = e.adds;
    }
    for (std::size_t i = 0; i < span; ++i) {
      if (runs[i]) trips[i] += service.trips;
    }
  }
  std::size_t begin = 0, end = span;
  while (begin < end && trips[begin] == 0) ++begin;
  while (end > begin && trips[end - 1] == 0) --end;
  for (std::size_t i = begin; i < end; ++i) {
    result.perDate.push_back(
        {std::chrono::year_month_day(*first + std::chrono::days(i)), trips[i]});
  }
  result.busiest = result.perDate;
  std::stable_sort(result.busiest.begin(), result.busiest.end(),
                   [](const DateTrips& a, const DateTrips& b) { return a.trips > b.trips; });
  if (result.busiest.size() > 5) result.busiest.resize(5);
  return result;
}

}  // namespace murlo::gtfs
