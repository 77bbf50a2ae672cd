// Splitting long runs and cutting far ones.
#include <algorithm>
#include <cmath>

#include "gtfs/train_table.h"

namespace murlo::gtfs {
namespace {

std::string tripOf(const Feed& feed, const Run& run) {
  const Trip& trip = feed.trips[static_cast<std::size_t>(run.trip)];
  return feed.tripsName + ":" + std::to_string(trip.line) + ": trip " + trip.id;
}

}  // namespace

std::vector<TrainPart> splitRuns(const Feed& feed, const std::vector<Run>& runs,
                                 std::vector<std::string> numbers, ImportReport& report) {
  std::vector<TrainPart> parts;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const std::vector<RunStop>& stops = runs[r].stops;
    const std::size_t n = stops.size();
    const int count = n <= kMaxStops ? 1 : static_cast<int>((n - 2) / (kMaxStops - 1) + 1);
    if (count > 1) {
      report.warn("trips split: more than 100 stops",
                  tripOf(feed, runs[r]) + ": " + std::to_string(n) + " stops as " +
                      std::to_string(count) + " trains " + numbers[r]);
    }
    std::size_t first = 0;
    for (int k = 1; k <= count; ++k) {
      const std::size_t last = std::min(first + kMaxStops - 1, n - 1);
      TrainPart part;
      part.run = r;
      part.number = numbers[r];
      part.part = k;
      part.parts = count;
      const double base = stops[first].km;
      for (std::size_t i = first; i <= last; ++i) {
        RunStop stop = stops[i];
        stop.km = std::round(stop.km - base);
        part.stops.push_back(stop);
      }
      if (part.stops.back().km > kMaxKm) {
        std::size_t keep = part.stops.size();
        while (keep > 0 && part.stops[keep - 1].km > kMaxKm) --keep;
        const std::string detail = tripOf(feed, runs[r]) + ": " +
                                   std::to_string(static_cast<long>(part.stops.back().km)) + " km";
        if (keep < 2) {
          report.warn("trains dropped: more than 9999 km to the second stop", detail);
          first = last;
          continue;
        }
        report.warn("trains cut: more than 9999 km",
                    detail + ", ends after " + std::to_string(keep) + " of " +
                        std::to_string(part.stops.size()) + " stops");
        part.stops.resize(keep);
      }
      parts.push_back(std::move(part));
      first = last;
    }
  }
  std::stable_sort(parts.begin(), parts.end(), [](const TrainPart& a, const TrainPart& b) {
    return a.stops.front().departure < b.stops.front().departure;
  });
  return parts;
}

std::vector<TrainPart> keepWithinCapacity(const Feed& feed, const std::vector<Run>& runs,
                                          std::vector<TrainPart> parts, ImportReport& report,
                                          std::size_t maxTrains, std::size_t maxStations) {
  std::vector<TrainPart> kept;
  std::vector<bool> calledAt(feed.stops.size(), false);
  std::size_t stations = 0;
  for (TrainPart& part : parts) {
    const std::string detail = tripOf(feed, runs[part.run]) + ": train " + part.number;
    if (kept.size() >= maxTrains) {
      report.warn(
          "trains dropped: a database holds at most " + std::to_string(maxTrains) + " trains",
          detail);
      continue;
    }
    std::vector<std::size_t> fresh;  // stations no kept train calls at
    for (const RunStop& stop : part.stops) {
      const auto s = static_cast<std::size_t>(stop.station);
      if (!calledAt[s] && std::find(fresh.begin(), fresh.end(), s) == fresh.end()) {
        fresh.push_back(s);
      }
    }
    if (stations + fresh.size() > maxStations) {
      report.warn(
          "trains dropped: a database holds at most " + std::to_string(maxStations) + " stations",
          detail);
      continue;
    }
    for (const std::size_t s : fresh) calledAt[s] = true;
    stations += fresh.size();
    kept.push_back(std::move(part));
  }
  return kept;
}

}  // namespace murlo::gtfs
