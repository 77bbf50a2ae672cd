// Which trips run on the date (or in a period): agencies, routes, the
// service calendar, trips.
#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <unordered_set>

#include "gtfs/csv_reader.h"
#include "gtfs/feed_error.h"
#include "gtfs/feed_loader.h"
#include "gtfs/field_values.h"
#include "gtfs/service_day.h"
#include "gtfs/service_period.h"

namespace murlo::gtfs {
namespace {

constexpr uint64_t kProgressEvery = 1 << 16;

// The agency ids asked for; `all` when no agency is named.
struct AgencyChoice {
  bool all = true;
  std::unordered_set<std::string> ids;
  std::string onlyAgency;  // the id of the feed's only agency, for routes without one
  std::string timeZone;    // the first agency's agency_timezone, when it is a name
};

// With `zoneReport`, also the time zone, whose problems it gets.
AgencyChoice chooseAgencies(const FeedFiles& files, const std::vector<std::string>& wanted,
                            ImportReport* zoneReport) {
  AgencyChoice choice;
  choice.all = wanted.empty();
  auto source = files.open("agency.txt");
  if (!source) {
    if (!choice.all) throw FeedError("--agency: the feed has no agency.txt");
    return choice;
  }
  CsvReader agencies(std::move(source), files.displayName("agency.txt"));
  const std::size_t idColumn = agencies.column("agency_id");
  const std::size_t nameColumn = agencies.column("agency_name");
  const std::size_t zoneColumn = agencies.column("agency_timezone");
  std::vector<std::string> known;
  std::unordered_set<std::string> matched;
  while (agencies.next()) {
    const std::string id(agencies.field(idColumn));
    const std::string name(agencies.field(nameColumn));
    known.push_back(name.empty() ? id : name);
    choice.onlyAgency = known.size() == 1 ? id : "";
    // Every agency of a feed keeps one time zone; the first one's is kept.
    const std::string_view zone = agencies.field(zoneColumn);
    if (zoneReport != nullptr) {
      if (known.size() == 1) {
        if (isTimeZoneName(zone)) {
          choice.timeZone = std::string(zone);
        } else if (zone.empty()) {
          zoneReport->warn("time zone unknown: no agency_timezone", agencies.where());
        } else {
          zoneReport->warn("agency_timezone ignored: not a time zone name",
                           agencies.where() + ": '" + std::string(zone) + "'");
        }
      } else if (zone != choice.timeZone && !choice.timeZone.empty()) {
        zoneReport->warn(
            "agency_timezone ignored: another agency's differs",
            agencies.where() + ": '" + std::string(zone) + "', kept " + choice.timeZone);
      }
    }
    for (const std::string& w : wanted) {
      if (w == id || w == name) {
        choice.ids.insert(id);
        matched.insert(w);
      }
    }
  }
  for (const std::string& w : wanted) {
    if (matched.count(w) == 0) {
      std::string list;
      for (const std::string& k : known) list += (list.empty() ? "" : ", ") + k;
      throw FeedError("--agency: no agency has the id or name " + w + " (the feed has: " + list +
                      ")");
    }
  }
  return choice;
}

// Reads calendar.txt, giving `pattern` each valid row (the service, its
// flags of the weekday columns `weekdays`, its first and last date), and
// calendar_dates.txt, giving `exception` each valid row.
void readCalendar(
    const FeedFiles& files, const std::vector<std::string_view>& weekdays, ImportReport& report,
    const std::function<void(std::string_view, const std::vector<bool>&,
                             std::chrono::year_month_day, std::chrono::year_month_day)>& pattern,
    const std::function<void(std::string_view, std::chrono::year_month_day, int)>& exception) {
  auto calendarSource = files.open("calendar.txt");
  auto datesSource = files.open("calendar_dates.txt");
  if (!calendarSource && !datesSource) {
    throw FeedError(files.displayName("calendar.txt") +
                    ": the feed has neither calendar.txt nor calendar_dates.txt");
  }
  if (calendarSource) {
    CsvReader calendar(std::move(calendarSource), files.displayName("calendar.txt"));
    const std::size_t serviceColumn = calendar.requireColumn("service_id");
    std::vector<std::size_t> weekdayColumns;
    for (const std::string_view name : weekdays)
      weekdayColumns.push_back(calendar.requireColumn(name));
    const std::size_t startColumn = calendar.requireColumn("start_date");
    const std::size_t endColumn = calendar.requireColumn("end_date");
    std::vector<bool> flags(weekdays.size());
    while (calendar.next()) {
      const auto start = parseDate(calendar.field(startColumn));
      const auto end = parseDate(calendar.field(endColumn));
      bool valid = start && end;
      for (std::size_t d = 0; d < weekdayColumns.size(); ++d) {
        const std::string_view runs = calendar.field(weekdayColumns[d]);
        valid = valid && (runs == "0" || runs == "1");
        flags[d] = runs == "1";
      }
      if (!valid) {
        report.warn("calendar rows ignored: invalid dates or weekday flags",
                    calendar.where() + ": service " + std::string(calendar.field(serviceColumn)));
        continue;
      }
      pattern(calendar.field(serviceColumn), flags, *start, *end);
    }
  }
  if (datesSource) {
    CsvReader dates(std::move(datesSource), files.displayName("calendar_dates.txt"));
    const std::size_t serviceColumn = dates.requireColumn("service_id");
    const std::size_t dateColumn = dates.requireColumn("date");
    const std::size_t typeColumn = dates.requireColumn("exception_type");
    while (dates.next()) {
      const auto date = parseDate(dates.field(dateColumn));
      const auto type = toInt(dates.field(typeColumn));
      if (!date || !type || (*type != 1 && *type != 2)) {
        report.warn("calendar exceptions ignored: invalid date or exception_type",
                    dates.where() + ": service " + std::string(dates.field(serviceColumn)));
        continue;
      }
      exception(dates.field(serviceColumn), *date, *type);
    }
  }
}

ServiceDay readDay(const FeedFiles& files, const FeedFilter& filter, ImportReport& report) {
  ServiceDay day(filter.date);
  readCalendar(
      files, {day.weekdayColumn()}, report,
      [&](std::string_view service, const std::vector<bool>& runs,
          std::chrono::year_month_day start,
          std::chrono::year_month_day end) { day.addPattern(service, runs[0], start, end); },
      [&](std::string_view service, std::chrono::year_month_day date, int type) {
        day.addException(service, date, type);
      });
  return day;
}

ServicePeriod readPeriod(const FeedFiles& files, const FeedFilter& filter, ImportReport& report) {
  const auto days =
      (std::chrono::sys_days(*filter.lastDate) - std::chrono::sys_days(filter.date)).count() + 1;
  if (days < 1 || days > kMaxCalendarDays) {
    throw FeedError("a period of " + std::to_string(days) + " days: at most " +
                    std::to_string(kMaxCalendarDays) + " can be imported");
  }
  ServicePeriod period(filter.date, static_cast<int32_t>(days));
  static const std::vector<std::string_view> kWeekdays = {
      "sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
  readCalendar(
      files, kWeekdays, report,
      [&](std::string_view service, const std::vector<bool>& runs,
          std::chrono::year_month_day start, std::chrono::year_month_day end) {
        bool weekdays[7];
        for (std::size_t d = 0; d < 7; ++d) weekdays[d] = runs[d];
        period.addPattern(service, weekdays, start, end);
      },
      [&](std::string_view service, std::chrono::year_month_day date, int type) {
        period.addException(service, date, type);
      });
  return period;
}

}  // namespace

std::vector<Route> readRoutes(const FeedFiles& files, const FeedFilter& filter,
                              ImportReport& report, std::unordered_map<std::string, int32_t>& index,
                              std::unordered_set<std::string>& allRoutes, std::string* timeZone) {
  const AgencyChoice agencies =
      chooseAgencies(files, filter.agencies, timeZone == nullptr ? nullptr : &report);
  if (timeZone != nullptr) *timeZone = agencies.timeZone;
  CsvReader routes = openRequiredCsv(files, "routes.txt");
  const std::size_t idColumn = routes.requireColumn("route_id");
  const std::size_t typeColumn = routes.requireColumn("route_type");
  const std::size_t agencyColumn = routes.column("agency_id");
  const std::size_t nameColumn = routes.column("route_short_name");
  const std::size_t longNameColumn = routes.column("route_long_name");
  const std::size_t colourColumn = routes.column("route_color");
  const std::size_t textColourColumn = routes.column("route_text_color");
  std::vector<Route> selected;
  while (routes.next()) {
    const std::string id(routes.field(idColumn));
    allRoutes.insert(id);
    const auto type = toInt(routes.field(typeColumn));
    if (!type) {
      report.warn("routes dropped: no valid route_type",
                  routes.where() + ": route " + id + " has route_type '" +
                      std::string(routes.field(typeColumn)) + "'");
      continue;
    }
    if (!filter.routeTypes.empty() && !routeTypeWanted(filter.routeTypes, *type)) continue;
    std::string agency(routes.field(agencyColumn));
    if (agency.empty()) agency = agencies.onlyAgency;
    if (!agencies.all && agencies.ids.count(agency) == 0) continue;
    if (!index.emplace(id, static_cast<int32_t>(selected.size())).second) {
      report.warn("routes dropped: repeated route_id", routes.where() + ": route " + id);
      continue;
    }
    selected.push_back({id, std::string(routes.field(nameColumn)), *type,
                        std::string(routes.field(longNameColumn)),
                        std::string(routes.field(colourColumn)),
                        std::string(routes.field(textColourColumn))});
  }
  return selected;
}

bool routeTypeWanted(const std::vector<int32_t>& wanted, int32_t type) {
  struct Range {
    int32_t basic, first, last;
  };
  static constexpr Range kExtended[] = {{0, 900, 999},  {1, 400, 499},   {2, 100, 199},
                                        {3, 700, 799},  {4, 1000, 1099}, {6, 1300, 1399},
                                        {7, 1400, 1499}};
  for (const int32_t w : wanted) {
    if (w == type) return true;
    for (const Range& r : kExtended) {
      if (r.basic == w && type >= r.first && type <= r.last) return true;
    }
  }
  return false;
}

TripSelection selectTrips(const FeedFiles& files, const FeedFilter& filter, ImportReport& report,
                          Progress& progress) {
  TripSelection selection;
  std::unordered_map<std::string, int32_t> routeIndex;
  std::unordered_set<std::string> allRoutes;
  selection.routes = readRoutes(files, filter, report, routeIndex, allRoutes,
                                filter.lastDate ? &selection.timeZone : nullptr);
  // Which services run: on the date, or the days of each in the period.
  std::optional<ServiceDay> day;
  std::optional<ServicePeriod> period;
  std::unordered_map<std::string, int32_t> patternOf;  // service -> dayPatterns, -1 never
  if (filter.lastDate) {
    period.emplace(readPeriod(files, filter, report));
  } else {
    day.emplace(readDay(files, filter, report));
    selection.servicesRunning = day->count();
  }
  // The trip's days in the period (an index into dayPatterns), -1 when it
  // does not run; 0 for the one date when it runs.
  const auto daysOf = [&](std::string_view service) -> int32_t {
    if (day) return day->runs(service) ? 0 : -1;
    const auto [found, fresh] = patternOf.emplace(std::string(service), -1);
    if (fresh) {
      DayPattern days = period->days(service);
      if (!days.bits.empty()) {
        found->second = static_cast<int32_t>(selection.dayPatterns.size());
        selection.dayPatterns.push_back(std::move(days));
        ++selection.servicesRunning;
      }
    }
    return found->second;
  };

  CsvReader trips = openRequiredCsv(files, "trips.txt");
  const std::size_t idColumn = trips.requireColumn("trip_id");
  const std::size_t routeColumn = trips.requireColumn("route_id");
  const std::size_t serviceColumn = trips.requireColumn("service_id");
  const std::size_t nameColumn = trips.column("trip_short_name");
  const std::size_t shapeColumn = trips.column("shape_id");
  const std::size_t headsignColumn = trips.column("trip_headsign");
  const std::size_t directionColumn = trips.column("direction_id");
  const std::size_t wheelchairColumn = trips.column("wheelchair_accessible");
  progress.begin(trips.name(), trips.size());
  std::string key;
  while (trips.next()) {
    ++selection.tripsInFeed;
    if (selection.tripsInFeed % kProgressEvery == 0) {
      progress.update(trips.bytesRead(), selection.tripsInFeed);
    }
    selection.tripIdsInFeed.emplace(trips.field(idColumn));
    key.assign(trips.field(routeColumn));
    const auto route = routeIndex.find(key);
    if (route == routeIndex.end()) {
      if (allRoutes.count(key) == 0) {
        report.warn(
            "trips dropped: unknown route_id",
            trips.where() + ": trip " + std::string(trips.field(idColumn)) + " names route " + key);
      }
      continue;
    }
    const int32_t days = daysOf(trips.field(serviceColumn));
    if (days < 0) continue;
    Trip trip;
    if (period) trip.days = days;
    trip.id = std::string(trips.field(idColumn));
    trip.route = route->second;
    trip.shortName = std::string(trips.field(nameColumn));
    trip.shapeId = std::string(trips.field(shapeColumn));
    trip.line = trips.line();
    trip.headsign = std::string(trips.field(headsignColumn));
    const std::string_view direction = trips.field(directionColumn);
    trip.direction = direction == "0" ? 0 : direction == "1" ? 1 : -1;
    const std::string_view wheelchair = trips.field(wheelchairColumn);
    trip.wheelchair = wheelchair == "1" ? 1 : wheelchair == "2" ? 2 : 0;
    if (!selection.tripIndex.emplace(trip.id, static_cast<int32_t>(selection.trips.size()))
             .second) {
      report.warn("trips dropped: repeated trip_id", trips.where() + ": trip " + trip.id);
      continue;
    }
    selection.trips.push_back(std::move(trip));
  }
  progress.end(selection.tripsInFeed);
  return selection;
}

}  // namespace murlo::gtfs
