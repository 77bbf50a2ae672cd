// Ordering and numbering runs.
#include <algorithm>
#include <unordered_map>

#include "gtfs/train_number.h"
#include "gtfs/train_table.h"

namespace murlo::gtfs {

void orderRuns(std::vector<Run>& runs) {
  std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
    return a.firstDeparture() < b.firstDeparture();
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
