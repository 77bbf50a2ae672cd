#include "gtfs/importer.h"

#include "gtfs/distance_unit.h"
#include "gtfs/feed_error.h"
#include "gtfs/gtfs_time.h"
#include "gtfs/service_dates.h"
#include "gtfs/service_day.h"
#include "gtfs/source_text.h"
#include "gtfs/station_table.h"
#include "gtfs/train_table.h"
#include "gtfs/trip_runs.h"
#include "timetable_source/timetable_source.h"

namespace murlo::gtfs {
namespace {

std::string noteOf(const Feed& feed, const Run& run, const TrainPart& part) {
  std::string note = "trip " + feed.trips[static_cast<std::size_t>(run.trip)].id;
  if (part.parts > 1) {
    note += ", part " + std::to_string(part.part) + " of " + std::to_string(part.parts);
  }
  return note;
}

ImportedTimetable assemble(const Feed& feed, const std::vector<Run>& runs,
                           const std::vector<TrainPart>& parts, const ImportOptions& options,
                           ImportReport& report) {
  ImportedTimetable timetable;
  timetable.header = options.header;
  std::vector<int32_t> stationOf;
  timetable.stations = buildStations(feed, parts, options.stations, stationOf,
                                     timetable.stopCodeAbbreviations, report);
  for (const TrainPart& part : parts) {
    const Run& run = runs[part.run];
    const Route& route =
        feed.routes[static_cast<std::size_t>(feed.trips[static_cast<std::size_t>(run.trip)].route)];
    ImportedTrain train;
    train.number = part.number;
    train.classCode = options.classCode.value_or(defaultClassCode(route.type));
    train.fareColumnCode = options.fareColumnCode;
    train.fareRateCode = options.fareRateCode;
    train.note = noteOf(feed, run, part);
    for (const RunStop& stop : part.stops) {
      train.stops.push_back({stationOf[static_cast<std::size_t>(stop.station)],
                             minuteOfDay(stop.arrival), minuteOfDay(stop.departure),
                             static_cast<int32_t>(stop.km)});
    }
    timetable.trains.push_back(std::move(train));
  }
  return timetable;
}

// "; the feed runs from 2026-09-09 to 2027-05-23, most trips on 2026-09-23
// (731)", for the routes asked for.
std::string feedRange(const FeedFiles& files, const FeedFilter& filter) {
  const ServiceDates dates = countServiceDates(files, filter);
  if (dates.perDate.empty()) return "; no date of the calendar has a trip";
  const bool some = !filter.routeTypes.empty() || !filter.agencies.empty();
  return std::string(some ? "; the routes asked for run from " : "; the feed runs from ") +
         formatDate(dates.perDate.front().date) + " to " + formatDate(dates.perDate.back().date) +
         (dates.cut ? " and beyond" : "") + ", most trips on " +
         formatDate(dates.busiest.front().date) + " (" +
         std::to_string(dates.busiest.front().trips) + ")";
}

std::string tripsText(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " trip" : " trips");
}

// "shape_dist_traveled in m, from 2 shapes in shapes.txt, for 3 trips;
// along shapes for 1 trip; great-circle between stops for 7 trips".
std::string distancesPhrase(const RunTotals& totals, const UnitFinding& unit) {
  std::string phrase;
  const auto add = [&](std::size_t count, const std::string& how) {
    if (count == 0) return;
    phrase += (phrase.empty() ? "" : "; ") + how + " for " + tripsText(count);
  };
  add(totals.tripsByFeed, "shape_dist_traveled in " + unit.how);
  add(totals.tripsAlongShapes, "along shapes");
  add(totals.tripsByGreatCircle, "great-circle between stops");
  return phrase;
}

}  // namespace

char defaultClassCode(int32_t routeType) {
  switch (routeType) {
    case 101: return 'B';
    case 102: return '6';
    case 103: return '7';
    default: return '9';
  }
}

ImportResult importFeed(const ImportOptions& options, ImportReport& report, Progress& progress) {
  const FeedFiles files(options.feed);
  const Feed feed = loadFeed(files, options.filter, report, progress);
  const std::string date = formatDate(options.filter.date);
  if (feed.trips.empty()) {
    throw FeedError(options.feed + ": no usable trip runs on " + date + " (" +
                    std::to_string(feed.servicesRunning) +
                    (feed.servicesRunning == 1 ? " service runs" : " services run") +
                    " that day, " + tripsText(feed.tripsInFeed) + " in the feed" +
                    feedRange(files, options.filter) +
                    "; check --date, --route-type and --agency)");
  }
  const UnitFinding unit = findDistanceUnit(feed);
  if (!unit.unit && !unit.how.empty()) {
    report.warn("shape_dist_traveled ignored: no unit fits its values",
                feed.stopTimesName + ": distances measured along the coordinates");
  }
  RunTotals totals;
  std::vector<Run> runs = buildRuns(feed, unit.unit, options.runs, totals, report);
  if (runs.empty()) {
    throw FeedError(options.feed + ": none of the " + std::to_string(feed.trips.size()) +
                    " trips running on " + date + " can be imported (see the warnings)");
  }
  orderRuns(runs);
  std::vector<std::string> numbers = numberRuns(feed, runs, report);
  std::vector<TrainPart> parts = splitRuns(feed, runs, std::move(numbers), report);
  parts = keepWithinCapacity(feed, runs, std::move(parts), report);
  const ImportedTimetable timetable = assemble(feed, runs, parts, options, report);

  ImportResult result;
  result.distances = distancesPhrase(totals, unit);
  result.source =
      sourceText(timetable, "Imported by murlo import-gtfs from " + options.feed + "\nfor " + date +
                                "; distances: " + result.distances + ".");
  // The parser checks every rule and limit: an import that broke one is a
  // fault of the importer, and nothing is written.
  source::Timetable parsed;
  const auto errors = source::parseSource(result.source, parsed);
  if (!errors.empty()) {
    throw FeedError("internal error: the imported timetable breaks a rule of the format (line " +
                    std::to_string(errors.front().line) + ": " + errors.front().message +
                    "); nothing written");
  }
  if (const auto packError = source::compileTimetable(parsed, result.database)) {
    throw FeedError("internal error: " + packError->message() + "; nothing written");
  }
  result.totals = totals;
  result.stopCodeAbbreviations = timetable.stopCodeAbbreviations;
  result.stations = parsed.stations.size();
  result.trains = parsed.trains.size();
  for (const TrainSpec& train : parsed.trains) result.stops += train.stops.size();
  return result;
}

}  // namespace murlo::gtfs
