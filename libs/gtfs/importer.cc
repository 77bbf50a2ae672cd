#include "gtfs/importer.h"

#include <algorithm>
#include <chrono>

#include "db/writer.h"
#include "gtfs/boarding_rules.h"
#include "gtfs/distance_unit.h"
#include "gtfs/fare_import.h"
#include "gtfs/feed_error.h"
#include "gtfs/feed_words.h"
#include "gtfs/gtfs_time.h"
#include "gtfs/run_days.h"
#include "gtfs/service_dates.h"
#include "gtfs/service_day.h"
#include "gtfs/service_period.h"
#include "gtfs/source_text.h"
#include "gtfs/station_network.h"
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
                           std::vector<int32_t>& stationOf, ImportReport& report) {
  ImportedTimetable timetable;
  timetable.header = options.header;
  StationOptions stationOptions = options.stations;
  stationOptions.everyCall = options.runs.allCalls;
  timetable.stations = buildStations(feed, parts, stationOptions, stationOf,
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
                             static_cast<int32_t>(stop.km), stop.board, stop.alight});
    }
    timetable.trains.push_back(std::move(train));
  }
  return timetable;
}

// A split or cut train keeps its part of the trip's calls; one that allows
// no ride there is left out (the sections could not hold it).
std::vector<TrainPart> withRides(const Feed& feed, const std::vector<Run>& runs,
                                 std::vector<TrainPart> parts, bool allCalls,
                                 ImportReport& report) {
  std::vector<TrainPart> kept;
  for (TrainPart& part : parts) {
    const std::vector<bool> calls = sectionCalls(part.stops, allCalls);
    if (std::count(calls.begin(), calls.end(), true) < 2) {
      report.warn("trains dropped: their part of a split trip allows no ride",
                  "trip " + feed.trips[static_cast<std::size_t>(runs[part.run].trip)].id +
                      ": train " + part.number);
      continue;
    }
    kept.push_back(std::move(part));
  }
  return kept;
}

// The timetable's trains with the calls the sections keep (every call with
// `allCalls`), and its stations that those calls serve (the others come
// last): what the source format can say today.
ImportedTimetable sectionsOf(const ImportedTimetable& full, bool allCalls) {
  ImportedTimetable sections = full;
  int32_t lastStation = -1;
  for (ImportedTrain& train : sections.trains) {
    std::vector<RunStop> rules;
    for (const ImportedStop& stop : train.stops)
      rules.push_back({0, 0, 0, 0, stop.board, stop.alight});
    const std::vector<bool> kept = sectionCalls(rules, allCalls);
    std::vector<ImportedStop> stops;
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
      if (!kept[k]) continue;
      stops.push_back(train.stops[k]);
      lastStation = std::max(lastStation, stops.back().station);
    }
    train.stops = std::move(stops);
  }
  sections.stations.resize(static_cast<std::size_t>(lastStation + 1));
  return sections;
}

// Per station, the trains whose rides from it (to it) the sections hide.
std::vector<HiddenRides> hiddenRides(const ImportedTimetable& timetable) {
  std::vector<HiddenRides> hidden(timetable.stations.size());
  for (const ImportedTrain& train : timetable.trains) {
    std::vector<RunStop> rules;
    for (const ImportedStop& stop : train.stops) {
      rules.push_back({stop.station, 0, 0, 0, stop.board, stop.alight});
    }
    const std::vector<bool> kept = sectionCalls(rules, false);
    const std::size_t n = rules.size();
    for (std::size_t k = 0; k < n; ++k) {
      if (kept[k]) continue;
      bool rideFrom = false, rideTo = false;
      for (std::size_t j = 0; j < n; ++j) {
        if (rules[j].station == rules[k].station) continue;
        rideFrom = rideFrom || (j > k && rules[k].board && rules[j].alight);
        rideTo = rideTo || (j < k && rules[j].board && rules[k].alight);
      }
      HiddenRides& entry = hidden[static_cast<std::size_t>(rules[k].station)];
      entry.trainsFrom += rideFrom;
      entry.trainsTo += rideTo;
    }
  }
  for (std::size_t s = 0; s < hidden.size(); ++s) hidden[s].station = timetable.stations[s].name;
  std::erase_if(hidden, [](const HiddenRides& h) { return h.trainsFrom + h.trainsTo == 0; });
  std::stable_sort(hidden.begin(), hidden.end(), [](const HiddenRides& a, const HiddenRides& b) {
    return a.trainsFrom + a.trainsTo > b.trainsFrom + b.trainsTo;
  });
  return hidden;
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

// "20260408".
std::string compactDate(std::chrono::year_month_day day) {
  const std::string text = formatDate(day);
  return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
}

// The trains the runs become at most (splitRuns' parts; the parts that
// allow no ride or lie past 9,999 km, which it drops, counted too).
std::size_t trainsNeeded(const std::vector<Run>& runs) {
  std::size_t trains = 0;
  for (const Run& run : runs) {
    const std::size_t n = run.stops.size();
    trains += n <= kMaxStops ? 1 : (n - 2) / (kMaxStops - 1) + 1;
  }
  return trains;
}

// The rides the runs offer and hide, as buildRuns counts them (the calls
// it left out allow no ride).
RideTally ridesOf(const std::vector<Run>& runs, bool allCalls) {
  RideTally rides;
  for (const Run& run : runs) {
    std::vector<CallRule> calls;
    for (const RunStop& stop : run.stops) calls.push_back({stop.board, stop.alight, stop.station});
    rides += tallyRides(calls, allCalls ? std::vector<bool>(calls.size(), true) : keptCalls(calls));
  }
  return rides;
}

// The stations the runs call at.
std::size_t stationsNeeded(const Feed& feed, const std::vector<Run>& runs) {
  std::vector<bool> called(feed.stops.size(), false);
  std::size_t stations = 0;
  for (const Run& run : runs) {
    for (const RunStop& stop : run.stops) {
      if (!called[static_cast<std::size_t>(stop.station)]) {
        called[static_cast<std::size_t>(stop.station)] = true;
        ++stations;
      }
    }
  }
  return stations;
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
  ImportOptions asked = options;
  ImportResult result;
  const bool period = options.days != ImportDays::kOneDate;
  if (options.days == ImportDays::kFeedPeriod) {
    const ServiceDates dates = countServiceDates(files, options.filter);
    if (dates.perDate.empty()) {
      if (!files.open("calendar.txt") && !files.open("calendar_dates.txt")) {
        throw FeedError(files.displayName("calendar.txt") +
                        ": the feed has neither calendar.txt nor calendar_dates.txt");
      }
      const bool some = !options.filter.routeTypes.empty() || !options.filter.agencies.empty();
      throw FeedError(options.feed + ": no date of the calendar has a trip" +
                      (some ? " of the routes asked for" : "") +
                      "; check --route-type and --agency");
    }
    asked.filter.date = dates.perDate.front().date;
    asked.filter.lastDate = dates.perDate.back().date;
    result.periodCut = dates.cut;
  } else if (options.days == ImportDays::kOneDate) {
    asked.filter.lastDate.reset();
  }
  if (period) {
    result.firstDate = asked.filter.date;
    result.dayCount = static_cast<int32_t>(
        (std::chrono::sys_days(*asked.filter.lastDate) - std::chrono::sys_days(asked.filter.date))
            .count() +
        1);
  }
  const Feed feed = loadFeed(files, asked.filter, report, progress);
  const std::string date =
      period ? formatDate(asked.filter.date) + " to " + formatDate(*asked.filter.lastDate)
             : formatDate(asked.filter.date);
  if (feed.trips.empty()) {
    if (period) {
      throw FeedError(options.feed + ": no usable trip runs from " + date + " (" +
                      tripsText(feed.tripsInFeed) + " in the feed" +
                      feedRange(files, options.filter) +
                      "; check --from, --to, --route-type and --agency)");
    }
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
                    " trips running " + (period ? "from " : "on ") + date +
                    " can be imported (see the warnings)");
  }
  orderRuns(feed, runs);
  std::string header = options.header;
  CivilDay firstDay = 0;
  int32_t dayCount = 0;
  int32_t sectionsDay = -1;
  bool moreTrains = false;  // the period's trains go partly to block 9
  if (period) {
    // Trips alike on different days become one train; the period is
    // written whole when those trains fit the sections, else with its
    // busiest day in the sections and the other trains in the extension's
    // block 9, else (beyond what a network view indexes) its busiest day.
    setRunDays(feed, runs);
    std::vector<Run> merged = runs;
    mergeRunsOverDays(feed, merged);
    firstDay = civilDayOf(result.firstDate);
    dayCount = result.dayCount;
    const std::size_t trains = trainsNeeded(merged);
    const std::size_t stations = stationsNeeded(feed, merged);
    if (trains <= kMaxTrains && stations <= kMaxStations) {
      runs = std::move(merged);
    } else if (trains <= static_cast<std::size_t>(murlo::kMaxNetworkTrains) &&
               stations <= static_cast<std::size_t>(murlo::kMaxNetworkStations)) {
      sectionsDay = busiestDay(feed, runs, dayCount);
      runs = std::move(merged);
      moreTrains = true;
    } else {
      result.periodTrains = trains;
      result.periodStations = stations;
      const int32_t busiest = busiestDay(feed, runs, dayCount);
      runs = runsOnDay(runs, busiest);
      for (Run& run : runs) run.days.bits = {1};
      firstDay += busiest;
      dayCount = 1;
      sectionsDay = 0;
    }
    if (header.empty()) header = compactDate(dateOfDay(firstDay, 0));
    totals.rides = ridesOf(runs, options.runs.allCalls);  // of the trains, not the trips
  }
  std::vector<std::string> numbers = numberRuns(feed, runs, report);
  std::vector<TrainPart> parts = splitRuns(feed, runs, std::move(numbers), report);
  parts = withRides(feed, runs, std::move(parts), options.runs.allCalls, report);
  ImportOptions assembled = options;
  if (moreTrains) {
    parts = keepWithinCapacity(feed, runs, std::move(parts), report,
                               static_cast<std::size_t>(murlo::kMaxNetworkTrains),
                               static_cast<std::size_t>(murlo::kMaxNetworkStations));
    // The sections' day's trains first, and their stations, so that the
    // sections hold that day (buildDatabase).
    const ServiceCalendar days = calendarOf(runs, parts, firstDay, dayCount);
    std::vector<TrainPart> ordered;
    for (const bool onDay : {true, false}) {
      for (std::size_t p = 0; p < parts.size(); ++p) {
        if (days.runsOn(TrainIndex(static_cast<int32_t>(p)), sectionsDay) == onDay)
          ordered.push_back(parts[p]);
      }
      if (onDay) assembled.stations.leadingTrains = ordered.size();
    }
    parts = std::move(ordered);
  } else {
    parts = keepWithinCapacity(feed, runs, std::move(parts), report);
  }
  std::vector<int32_t> stationOf;
  assembled.header = header;
  const ImportedTimetable timetable = assemble(feed, runs, parts, assembled, stationOf, report);
  NetworkCounts network;
  NetworkSpec networkSpec =
      buildNetwork(feed, runs, parts, stationOf, timetable.stations, network, report);

  result.distances = distancesPhrase(totals, unit);
  const std::string comment =
      "Imported by murlo import-gtfs from " + options.feed + "\nfor " +
      (dayCount == 1 && period ? formatDate(dateOfDay(firstDay, 0)) + ", the busiest day of "
                               : "") +
      date + "; distances: " + result.distances + ".";
  // The parser checks every rule and limit, over every call: an import
  // that broke one is a fault of the importer, and nothing is written.
  source::Timetable parsed;
  const auto errors = source::parseSource(sourceText(timetable, comment), parsed);
  if (!errors.empty()) {
    throw FeedError("internal error: the imported timetable breaks a rule of the format (line " +
                    std::to_string(errors.front().line) + ": " + errors.front().message +
                    "); nothing written");
  }
  bool sameShape = parsed.trains.size() == timetable.trains.size() &&
                   parsed.stations.size() == timetable.stations.size();
  for (std::size_t t = 0; sameShape && t < parsed.trains.size(); ++t) {
    std::vector<StopSpec>& stops = parsed.trains[t].stops;
    const std::vector<ImportedStop>& imported = timetable.trains[t].stops;
    sameShape = stops.size() == imported.size();
    for (std::size_t k = 0; sameShape && k < stops.size(); ++k) {
      stops[k].board = imported[k].board;
      stops[k].alight = imported[k].alight;
    }
  }
  if (!sameShape) {
    throw FeedError("internal error: the imported timetable read back differs; nothing written");
  }
  // Classes and fares are the feed's own: its routes' types and its fares,
  // or no fare at all.
  std::vector<int32_t> trainRoutes;
  for (const TrainPart& part : parts)
    trainRoutes.push_back(feed.trips[static_cast<std::size_t>(runs[part.run].trip)].route);
  networkSpec.fares = importFares(files, feed, trainRoutes, stationOf, parsed.stations.size(),
                                  result.fares, report);
  WordCounts wordCounts;
  networkSpec.words = feedWords(feed, runs, parts, timetable.stations, stationOf, wordCounts);
  result.words = wordsPhrase(wordCounts);
  if (period) {
    networkSpec.calendar = calendarOf(runs, parts, firstDay, dayCount);
    networkSpec.calendar.timeZone = feed.timeZone;
    networkSpec.calendar.sectionsDay = sectionsDay;
    result.calendar = networkSpec.calendar;
  }
  DatabaseParts built =
      buildDatabase(parsed.header, parsed.stations, parsed.trains, std::move(networkSpec),
                    options.runs.allCalls ? SectionCalls::kEvery : SectionCalls::kAllowedRides);
  const TableLists& lists = built.lists;
  const NetworkExtension& extension = built.extension;
  result.sectionsTrains = lists.trainNumbers.size();
  result.moreTrains = extension.more.trains.size();
  result.moreStations = extension.more.stations.size();
  if (const auto packError = writeDatabaseBytes(lists, extension, result.database)) {
    throw FeedError("internal error: " + packError->message() + "; nothing written");
  }
  // The source builds back into the same file: the dump of what was
  // written, with the feed's ids and notes as comments. Sections that keep
  // every call (--all-calls) say more than a source can: then it holds
  // the sections' calls.
  if (options.runs.allCalls) {
    result.source = sourceText(
        sectionsOf(timetable, true),
        comment +
            (extension.empty() ? ""
                               : "\nThis source holds the calls of the database's seven "
                                 "sections; every call with its boarding rules, the "
                                 "transfers and the station groups are in its extension "
                                 "only.") +
            (period ? "\nIt holds every train of the days imported; the days each runs are in "
                      "the database's calendar only."
                    : ""));
  } else {
    std::vector<std::string> dumpWarnings;
    result.source =
        annotatedSource(source::dumpSource(lists, extension, dumpWarnings), timetable, comment);
    if (!dumpWarnings.empty()) {
      throw FeedError("internal error: the imported database dumps with a warning (" +
                      dumpWarnings.front() + "); nothing written");
    }
  }
  result.hidden = options.runs.allCalls ? std::vector<HiddenRides>{} : hiddenRides(timetable);
  result.network = network;
  result.extension = !extension.empty();
  result.transfersFile = feed.hasTransfers;
  result.totals = totals;
  result.stopCodeAbbreviations = timetable.stopCodeAbbreviations;
  result.stations = parsed.stations.size();
  result.trains = parsed.trains.size();
  for (const ImportedTrain& train : timetable.trains) result.stops += train.stops.size();
  return result;
}

}  // namespace murlo::gtfs
