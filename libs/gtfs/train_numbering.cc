// Ordering and numbering runs.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>
#include <unordered_map>

#include "gtfs/train_number.h"
#include "gtfs/train_table.h"

namespace murlo::gtfs {

namespace {

// <0, 0 or >0 as run a's route, number and calls come before, with or
// after b's.
int compareAlike(const Feed& feed, const Run& a, const Run& b) {
  const Trip& ta = feed.trips[static_cast<std::size_t>(a.trip)];
  const Trip& tb = feed.trips[static_cast<std::size_t>(b.trip)];
  if (ta.route != tb.route) return ta.route < tb.route ? -1 : 1;
  if (const int c = ta.shortName.compare(tb.shortName); c != 0) return c;
  // km by its bits: any fixed order will do, and it holds for every value.
  const auto calls = [](const RunStop& s) {
    return std::tuple(s.station, s.arrival, s.departure, std::bit_cast<uint64_t>(s.km), s.board,
                      s.alight);
  };
  for (std::size_t i = 0; i < a.stops.size() && i < b.stops.size(); ++i) {
    const auto ca = calls(a.stops[i]);
    const auto cb = calls(b.stops[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.stops.size() != b.stops.size()) return a.stops.size() < b.stops.size() ? -1 : 1;
  return 0;
}

}  // namespace

void orderRuns(const Feed& feed, std::vector<Run>& runs) {
  std::stable_sort(runs.begin(), runs.end(), [&feed](const Run& a, const Run& b) {
    if (a.firstDeparture() != b.firstDeparture()) return a.firstDeparture() < b.firstDeparture();
    return compareAlike(feed, a, b) < 0;
  });
}

std::vector<std::string> numberRuns(const Feed& feed, const std::vector<Run>& runs,
                                    ImportReport& report) {
  std::vector<std::string> numbers(runs.size());
  std::vector<bool> counted(runs.size(), false);
  std::unordered_map<int32_t, std::size_t> perRoute;  // runs counted per route
  std::vector<CleanNumber> cleanTrips(feed.trips.size());
  std::vector<bool> cleaned(feed.trips.size(), false);
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const auto t = static_cast<std::size_t>(runs[r].trip);
    const Trip& trip = feed.trips[t];
    if (!cleaned[t]) {
      cleaned[t] = true;
      cleanTrips[t] = cleanNumber(trip.shortName);
      const CleanNumber& clean = cleanTrips[t];
      const std::string detail = feed.tripsName + ":" + std::to_string(trip.line) + ": trip " +
                                 trip.id + ": '" + trip.shortName + "' as '" + clean.text + "'";
      if (clean.letterO) report.warn("train numbers: letter O written as digit 0", detail);
      if (clean.shortened) report.warn("train numbers: cut to 19 bytes", detail);
      if (clean.changed && !clean.text.empty()) {
        report.warn("train numbers: capitalised, transliterated or characters dropped", detail);
      }
    }
    if (!cleanTrips[t].text.empty()) {
      numbers[r] = cleanTrips[t].text;
    } else {
      counted[r] = true;
      ++perRoute[trip.route];
    }
  }
  std::unordered_map<int32_t, std::size_t> next;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    if (!counted[r]) continue;
    const int32_t route = feed.trips[static_cast<std::size_t>(runs[r].trip)].route;
    std::string base = cleanNumber(feed.routes[static_cast<std::size_t>(route)].shortName).text;
    if (base.empty()) base = "T";
    const std::size_t width = std::to_string(perRoute[route]).size();
    numbers[r] = countedNumber(base, ++next[route], width);
  }
  return numbers;
}

}  // namespace murlo::gtfs
