#include "gtfs/trip_runs.h"

#include <cmath>
#include <string>

#include "gtfs/shapes.h"

namespace murlo::gtfs {
namespace {

constexpr int32_t kMaxRepeats = 2000;  // departures per frequencies.txt row

std::string where(const Feed& feed, const StopTime& row) {
  return feed.stopTimesName + ":" + std::to_string(row.line) + ": trip " +
         feed.trips[static_cast<std::size_t>(row.trip)].id;
}

// Fills in missing times: a stop with one of its two times takes it for
// both; stops with neither between two timed ones are timed in proportion to
// distance (or to their count, where the distance does not grow). False
// when the first or the last stop has no time.
bool completeTimes(std::vector<int32_t>& arrival, std::vector<int32_t>& departure,
                   const std::vector<double>& km) {
  const std::size_t n = arrival.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (arrival[i] == kNoTime) arrival[i] = departure[i];
    if (departure[i] == kNoTime) departure[i] = arrival[i];
  }
  if (arrival[0] == kNoTime || arrival[n - 1] == kNoTime) return false;
  std::size_t before = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (arrival[i] == kNoTime) continue;
    const double span = km[i] - km[before];
    for (std::size_t k = before + 1; k < i; ++k) {
      const double share = span > 0
                               ? (km[k] - km[before]) / span
                               : static_cast<double>(k - before) / static_cast<double>(i - before);
      const double time = departure[before] + share * (arrival[i] - departure[before]);
      arrival[k] = departure[k] = static_cast<int32_t>(std::lround(time));
    }
    before = i;
  }
  return true;
}

// Successive stops at one station become one (two platforms): arriving at
// the first, leaving from the last, boarding and alighting where either
// allows it.
void appendStop(std::vector<RunStop>& stops, const RunStop& stop) {
  if (!stops.empty() && stops.back().station == stop.station) {
    RunStop& merged = stops.back();
    merged.departure = stop.departure;
    merged.board = merged.board || stop.board;
    merged.alight = merged.alight || stop.alight;
    return;
  }
  stops.push_back(stop);
}

// Counts the rides the sections offer (keptCalls, or every call with
// `allCalls`) and leaves out the calls that allow neither boarding nor
// alighting (none with `allCalls`): the others stay, each with its rule, for
// the extension. False when the feed allows no ride on the run (unless
// `allCalls`).
bool applyBoardingRules(Run& run, bool allCalls, RideTally& tally) {
  std::vector<CallRule> calls;
  for (const RunStop& stop : run.stops) calls.push_back({stop.board, stop.alight, stop.station});
  const std::vector<bool> kept = keptCalls(calls);
  tally = tallyRides(calls, allCalls ? std::vector<bool>(calls.size(), true) : kept);
  if (allCalls) return true;
  if (kept.empty()) return false;
  std::vector<RunStop> stops;
  for (const RunStop& stop : run.stops) {
    if (stop.board || stop.alight) appendStop(stops, stop);
  }
  run.stops = std::move(stops);
  return run.stops.size() >= 2;
}

std::optional<Run> runOf(const Feed& feed, std::size_t t, const TripDistances& distances,
                         const RunOptions& options, RideTally& tally, ImportReport& report) {
  const std::size_t begin = feed.tripBegin[t];
  const std::size_t n = feed.tripBegin[t + 1] - begin;
  const std::vector<double>& km = distances.km;
  const StopTime& first = feed.stopTimes[begin];
  if (distances.feedRejected) {
    report.warn(distances.source == DistanceSource::kShape
                    ? "trips measured along their shape: shape_dist_traveled inconsistent"
                    : "trips measured along coordinates: shape_dist_traveled inconsistent",
                where(feed, first));
  }
  if (distances.shapeRejected) {
    report.warn("trips measured along coordinates: the shape does not pass their stops",
                where(feed, first) + ": shape " + feed.trips[t].shapeId);
  }
  std::vector<int32_t> arrival(n), departure(n);
  for (std::size_t i = 0; i < n; ++i) {
    arrival[i] = feed.stopTimes[begin + i].arrival;
    departure[i] = feed.stopTimes[begin + i].departure;
  }
  if (!completeTimes(arrival, departure, km)) {
    report.warn("trips dropped: the first or last stop has no time", where(feed, first));
    return std::nullopt;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const bool backwards = departure[i] < arrival[i] || (i > 0 && arrival[i] < departure[i - 1]);
    if (backwards) {
      report.warn("trips dropped: times go backwards", where(feed, feed.stopTimes[begin + i]));
      return std::nullopt;
    }
  }
  Run run;
  run.trip = static_cast<int32_t>(t);
  for (std::size_t i = 0; i < n; ++i) {
    const StopTime& row = feed.stopTimes[begin + i];
    const int32_t station = feed.stops[static_cast<std::size_t>(row.stop)].station;
    appendStop(run.stops,
               {station, arrival[i], departure[i], km[i], allows(row.pickup), allows(row.dropOff)});
  }
  if (run.stops.size() < 2) {
    report.warn("trips dropped: they call at one station only", where(feed, first));
    return std::nullopt;
  }
  if (!applyBoardingRules(run, options.allCalls, tally)) {
    report.warn("trips dropped: the feed allows no ride on them", where(feed, first));
    return std::nullopt;
  }
  return run;
}

}  // namespace

std::vector<bool> sectionCalls(const std::vector<RunStop>& stops, bool allCalls) {
  if (allCalls) return std::vector<bool>(stops.size(), true);
  std::vector<CallRule> calls;
  for (const RunStop& stop : stops) calls.push_back({stop.board, stop.alight, stop.station});
  std::vector<bool> kept = keptCalls(calls);
  kept.resize(stops.size(), false);
  return kept;
}

TripDistances tripKm(const Feed& feed, std::size_t trip, const std::optional<DistanceUnit>& unit,
                     PathCache& cache) {
  TripDistances result;
  const std::vector<double> measured = coordinateKm(feed, trip);
  const double straight = measured.back();
  const auto plausible = [&](double km) {
    return km >= 0.9 * straight - 1.0 && km <= 3.0 * straight + 1.0;
  };
  const std::size_t begin = feed.tripBegin[trip];
  const std::size_t end = feed.tripBegin[trip + 1];
  bool given = true;
  for (std::size_t r = begin; r < end; ++r)
    given = given && !std::isnan(feed.stopTimes[r].shapeDistance);
  if (given && unit) {
    std::vector<double> km;
    const double origin = feed.stopTimes[begin].shapeDistance;
    for (std::size_t r = begin; r < end; ++r) {
      const double value = (feed.stopTimes[r].shapeDistance - origin) / unit->perKm;
      if (!km.empty() && value < km.back()) break;
      km.push_back(value);
    }
    if (km.size() == end - begin && plausible(km.back())) {
      result.km = std::move(km);
      result.source = DistanceSource::kFeed;
      return result;
    }
    result.feedRejected = true;
  }
  if (const int32_t path = feed.trips[trip].path; path >= 0) {
    std::string key = std::to_string(path);
    std::vector<std::optional<Position>> positions;
    for (std::size_t r = begin; r < end; ++r) {
      positions.push_back(stopPosition(feed, feed.stopTimes[r].stop));
      key += ',' + std::to_string(feed.stopTimes[r].stop);
    }
    auto found = cache.find(key);
    if (found == cache.end()) {
      found = cache.emplace(key, kmAlongPath(feed.paths[static_cast<std::size_t>(path)], positions))
                  .first;
    }
    if (found->second && plausible(found->second->back())) {
      result.km = *found->second;
      result.source = DistanceSource::kShape;
      return result;
    }
    result.shapeRejected = true;
  }
  result.km = measured;
  return result;
}

std::vector<Run> buildRuns(const Feed& feed, const std::optional<DistanceUnit>& unit,
                           const RunOptions& options, RunTotals& totals, ImportReport& report) {
  std::vector<std::vector<const Frequency*>> repeats(feed.trips.size());
  for (const Frequency& f : feed.frequencies) {
    repeats[static_cast<std::size_t>(f.trip)].push_back(&f);
  }
  std::vector<Run> runs;
  PathCache cache;
  for (std::size_t t = 0; t < feed.trips.size(); ++t) {
    RideTally rides;
    const TripDistances distances = tripKm(feed, t, unit, cache);
    std::optional<Run> run = runOf(feed, t, distances, options, rides, report);
    if (!run) continue;
    (distances.source == DistanceSource::kFeed    ? totals.tripsByFeed
     : distances.source == DistanceSource::kShape ? totals.tripsAlongShapes
                                                  : totals.tripsByGreatCircle) += 1;
    if (repeats[t].empty()) {
      totals.rides += rides;
      runs.push_back(std::move(*run));
      continue;
    }
    for (const Frequency* f : repeats[t]) {
      int32_t count = 0;
      for (int32_t start = f->start; start < f->end; start += f->headway) {
        if (++count > kMaxRepeats) {
          report.warn("frequencies cut short: more than 2000 departures",
                      "frequencies.txt: trip " + feed.trips[t].id);
          break;
        }
        totals.rides += rides;
        Run repeat = *run;
        const int32_t shift = start - run->firstDeparture();
        for (RunStop& stop : repeat.stops) {
          stop.arrival += shift;
          stop.departure += shift;
        }
        runs.push_back(std::move(repeat));
      }
    }
  }
  return runs;
}

}  // namespace murlo::gtfs
