// murlo gtfs-info FEED [--json]: what a GTFS feed holds, before importing it.
#include <chrono>
#include <cstdint>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>

#include "answers/json_writer.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "gtfs/feed_error.h"
#include "gtfs/feed_facts.h"
#include "gtfs/service_day.h"

namespace murlo::tool {
namespace {

using gtfs::DateTrips;
using gtfs::FeedFacts;

std::string plural(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string routeTypeLabel(int32_t type) {
  const std::string name = gtfs::routeTypeName(type);
  return std::to_string(type) + (name.empty() ? "" : " " + name);
}

void writeDates(JsonWriter& json, const std::vector<DateTrips>& dates) {
  json.beginArray();
  for (const DateTrips& d : dates) {
    json.beginObject()
        .field("date", gtfs::formatDate(d.date))
        .field("trips", static_cast<int64_t>(d.trips))
        .endObject();
  }
  json.endArray();
}

void printJson(const std::string& feed, const FeedFacts& facts) {
  JsonWriter json(std::cout);
  json.beginObject().field("feed", feed).key("agencies").beginArray();
  for (const FeedFacts::Agency& a : facts.agencies) {
    json.beginObject().field("id", a.id).field("name", a.name).endObject();
  }
  json.endArray().field("time_zone", facts.timeZone).key("route_types").beginArray();
  for (const FeedFacts::RouteType& t : facts.routeTypes) {
    json.beginObject()
        .field("type", static_cast<int64_t>(t.type))
        .field("name", gtfs::routeTypeName(t.type))
        .field("routes", static_cast<int64_t>(t.routes))
        .field("trips", static_cast<int64_t>(t.trips))
        .endObject();
  }
  json.endArray()
      .field("routes", static_cast<int64_t>(facts.routes))
      .field("trips", static_cast<int64_t>(facts.trips))
      .key("dates")
      .beginObject();
  const auto& dates = facts.dates.perDate;
  if (dates.empty()) {
    json.key("first").null().key("last").null().field("days", int64_t{0});
  } else {
    json.field("first", gtfs::formatDate(dates.front().date))
        .field("last", gtfs::formatDate(dates.back().date))
        .field("days", static_cast<int64_t>(dates.size()));
  }
  json.key("cut").boolean(facts.dates.cut).key("busiest");
  writeDates(json, facts.dates.busiest);
  json.key("trips_per_date");
  writeDates(json, dates);
  json.endObject()
      .field("stops", static_cast<int64_t>(facts.stops))
      .field("stations", static_cast<int64_t>(facts.stations))
      .key("calls")
      .beginObject()
      .field("total", static_cast<int64_t>(facts.calls.total))
      .field("boarding_only", static_cast<int64_t>(facts.calls.boardingOnly))
      .field("alighting_only", static_cast<int64_t>(facts.calls.alightingOnly))
      .field("neither", static_cast<int64_t>(facts.calls.neither))
      .field("arranged", static_cast<int64_t>(facts.calls.arranged))
      .endObject()
      .key("transfers")
      .beginObject()
      .key("present")
      .boolean(facts.transfers.present)
      .field("rows", static_cast<int64_t>(facts.transfers.rows))
      .field("recommended", static_cast<int64_t>(facts.transfers.recommended))
      .field("timed", static_cast<int64_t>(facts.transfers.timed))
      .field("minimum_time", static_cast<int64_t>(facts.transfers.minimumTime))
      .field("forbidden", static_cast<int64_t>(facts.transfers.forbidden))
      .field("on_board", static_cast<int64_t>(facts.transfers.onBoard))
      .field("other", static_cast<int64_t>(facts.transfers.other))
      .field("within_station", static_cast<int64_t>(facts.transfers.withinStation))
      .field("between_trips", static_cast<int64_t>(facts.transfers.betweenTrips))
      .field("complexes", static_cast<int64_t>(facts.transfers.complexes))
      .endObject()
      .key("shapes")
      .beginObject()
      .key("present")
      .boolean(facts.shapes.present)
      .field("shapes", static_cast<int64_t>(facts.shapes.shapes))
      .field("points", static_cast<int64_t>(facts.shapes.points))
      .key("distances")
      .boolean(facts.shapes.distances)
      .field("trips_with_shape", static_cast<int64_t>(facts.shapes.tripsWithShape))
      .key("stop_time_distances")
      .boolean(facts.shapes.stopTimeDistances)
      .endObject()
      .endObject();
  std::cout << '\n';
}

// Trips per date, a week to a line from Monday.
void printWeeks(const std::vector<DateTrips>& dates) {
  std::cout << "\nTrips per date:\n          "
            << "   Mon   Tue   Wed   Thu   Fri   Sat   Sun\n";
  for (std::size_t i = 0; i < dates.size();) {
    const std::chrono::sys_days day(dates[i].date);
    const unsigned weekday = std::chrono::weekday(day).iso_encoding();  // 1 is Monday
    const std::chrono::sys_days monday = day - std::chrono::days(weekday - 1);
    std::cout << gtfs::formatDate(std::chrono::year_month_day(monday));
    for (unsigned d = 1; d < weekday; ++d) std::cout << "      ";
    for (unsigned d = weekday; d <= 7 && i < dates.size(); ++d, ++i) {
      std::cout << std::setw(6) << dates[i].trips;
    }
    std::cout << '\n';
  }
}

void printText(const std::string& feed, const FeedFacts& facts) {
  std::cout << "Feed " << feed << "\n\nAgencies: " << facts.agencies.size() << '\n';
  for (const FeedFacts::Agency& a : facts.agencies) {
    std::cout << "  " << (a.id.empty() ? "(no agency_id)" : a.id) << "  " << a.name << '\n';
  }
  std::cout << "Time zone: " << (facts.timeZone.empty() ? "not given" : facts.timeZone) << '\n';
  std::cout << "Routes: " << facts.routes << ", trips: " << facts.trips << '\n';
  for (const FeedFacts::RouteType& t : facts.routeTypes) {
    std::cout << "  route_type " << routeTypeLabel(t.type) << ": "
              << plural(t.routes, "route", "routes") << ", " << plural(t.trips, "trip", "trips")
              << '\n';
  }
  const auto& dates = facts.dates.perDate;
  if (dates.empty()) {
    std::cout << "Dates: no date of the calendar has a trip\n";
  } else {
    std::cout << "Dates: " << gtfs::formatDate(dates.front().date) << " to "
              << gtfs::formatDate(dates.back().date) << (facts.dates.cut ? " (and beyond)" : "")
              << ", " << plural(dates.size(), "date", "dates") << "\nBusiest:";
    for (const DateTrips& d : facts.dates.busiest) {
      std::cout << ' ' << gtfs::formatDate(d.date) << " (" << d.trips << ")";
    }
    std::cout << '\n';
  }
  std::cout << "Stations: " << facts.stations << " called at (" << facts.stops
            << " rows in stops.txt)\n";
  const FeedFacts::Calls& c = facts.calls;
  std::cout << "Calls: " << c.total << "; boarding only " << c.boardingOnly << ", alighting only "
            << c.alightingOnly << ", neither " << c.neither
            << ", arranged by phone or with the driver " << c.arranged << '\n';
  const FeedFacts::Transfers& t = facts.transfers;
  if (!t.present) {
    std::cout << "Transfers: none (no transfers.txt)\n";
  } else {
    std::cout << "Transfers: " << plural(t.rows, "row", "rows") << "; recommended " << t.recommended
              << ", timed " << t.timed << ", minimum time " << t.minimumTime << ", forbidden "
              << t.forbidden << ", staying on board " << t.onBoard << ", other " << t.other << "; "
              << t.withinStation << " within one station, " << t.betweenTrips << " between trips; "
              << plural(t.complexes, "complex", "complexes") << " of stations of one name\n";
  }
  const FeedFacts::Shapes& s = facts.shapes;
  std::cout << "Shapes: ";
  if (!s.present) {
    std::cout << "none (no shapes.txt)";
  } else {
    std::cout << plural(s.shapes, "shape", "shapes") << ", " << s.points << " points, "
              << (s.distances ? "with" : "without") << " shape_dist_traveled; "
              << plural(s.tripsWithShape, "trip follows", "trips follow") << " one";
  }
  std::cout << "; stop_times.txt " << (s.stopTimeDistances ? "has" : "has no")
            << " shape_dist_traveled\n";
  if (!dates.empty()) printWeeks(dates);
}

}  // namespace

int runGtfsInfo(const CommandLine& line) {
  const std::string& feed = line.operand(0);
  const bool json = line.flag(kJsonOption);
  FeedFacts facts;
  try {
    // Progress lines only for a person watching.
    gtfs::Progress progress(standardErrorIsTerminal() ? &std::cerr : nullptr);
    facts = gtfs::describeFeed(gtfs::FeedFiles(feed), progress);
  } catch (const gtfs::FeedError& e) {
    return fail(e.what());
  }
  if (json) {
    printJson(feed, facts);
  } else {
    printText(feed, facts);
  }
  return kExitOk;
}

}  // namespace murlo::tool
