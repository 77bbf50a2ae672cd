#include "gtfs/run_days.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace murlo::gtfs {
namespace {

constexpr std::size_t kTried = 16;

// The bytes of everything a train made from the run says but its days.
std::string callsKey(const Feed& feed, const Run& run) {
  const Trip& trip = feed.trips[static_cast<std::size_t>(run.trip)];
  std::string key = std::to_string(trip.route) + '\n' + trip.shortName + '\n';
  for (const RunStop& stop : run.stops) {
    char bytes[sizeof stop.station + sizeof stop.arrival + sizeof stop.departure + sizeof stop.km +
               2];
    char* at = bytes;
    for (const auto& [from, size] :
         {std::pair<const void*, std::size_t>{&stop.station, sizeof stop.station},
          {&stop.arrival, sizeof stop.arrival},
          {&stop.departure, sizeof stop.departure},
          {&stop.km, sizeof stop.km}}) {
      std::memcpy(at, from, size);
      at += size;
    }
    *at++ = stop.board ? '1' : '0';
    *at++ = stop.alight ? '1' : '0';
    key.append(bytes, sizeof bytes);
  }
  return key;
}

bool shareADay(const DayPattern& a, const DayPattern& b) {
  for (std::size_t i = 0; i < a.bits.size() && i < b.bits.size(); ++i) {
    if ((a.bits[i] & b.bits[i]) != 0) return true;
  }
  return false;
}

// The day after its service day on which a train leaves its first stop:
// a feed's times count from the service day's start and may pass 24:00, a
// train's days are those it leaves on.
int32_t startDay(const TrainPart& part) {
  constexpr int32_t kSecondsADay = 24 * 60 * 60;
  return part.stops.empty() ? 0 : std::max(0, part.stops.front().departure / kSecondsADay);
}

// `days` moved `by` days later, within the period's `dayCount` days.
DayPattern shiftedDays(const DayPattern& days, int32_t by, int32_t dayCount) {
  if (by == 0) return days;
  DayPattern moved;
  moved.bits.assign(days.bits.size(), 0);
  for (int32_t d = 0; d + by < dayCount; ++d) {
    if (!days.runsOn(d)) continue;
    const auto to = static_cast<std::size_t>(d + by);
    if (to / 8 < moved.bits.size()) moved.bits[to / 8] |= static_cast<uint8_t>(1U << (to % 8));
  }
  return moved;
}

}  // namespace

void setRunDays(const Feed& feed, std::vector<Run>& runs) {
  for (Run& run : runs) {
    const int32_t days = feed.trips[static_cast<std::size_t>(run.trip)].days;
    if (days >= 0) run.days = feed.dayPatterns[static_cast<std::size_t>(days)];
  }
}

void mergeRunsOverDays(const Feed& feed, std::vector<Run>& runs) {
  std::unordered_map<std::string, std::vector<std::size_t>> alike;  // key -> kept runs
  std::vector<Run> kept;
  kept.reserve(runs.size());
  for (Run& run : runs) {
    std::vector<std::size_t>& candidates = alike[callsKey(feed, run)];
    bool merged = false;
    // The latest few alike runs are tried: many alike runs on the same days
    // (a feed's duplicates) would otherwise cost a square of their number.
    const std::size_t from = candidates.size() > kTried ? candidates.size() - kTried : 0;
    for (std::size_t c = from; c < candidates.size(); ++c) {
      Run& into = kept[candidates[c]];
      if (shareADay(into.days, run.days)) continue;
      into.days.bits.resize(std::max(into.days.bits.size(), run.days.bits.size()), 0);
      for (std::size_t i = 0; i < run.days.bits.size(); ++i) {
        into.days.bits[i] = static_cast<uint8_t>(into.days.bits[i] | run.days.bits[i]);
      }
      into.sameTrips.push_back(run.trip);
      merged = true;
      break;
    }
    if (merged) continue;
    candidates.push_back(kept.size());
    kept.push_back(std::move(run));
  }
  runs = std::move(kept);
}

std::vector<Run> runsOnDay(const std::vector<Run>& runs, int32_t day) {
  std::vector<Run> on;
  for (const Run& run : runs) {
    if (run.days.runsOn(day)) on.push_back(run);
  }
  return on;
}

int32_t busiestDay(const Feed& feed, const std::vector<Run>& runs, int32_t dayCount) {
  std::vector<std::size_t> perPattern(feed.dayPatterns.size(), 0);
  for (const Run& run : runs) {
    const int32_t days = feed.trips[static_cast<std::size_t>(run.trip)].days;
    if (days >= 0) ++perPattern[static_cast<std::size_t>(days)];
  }
  std::vector<std::size_t> perDay(static_cast<std::size_t>(dayCount), 0);
  for (std::size_t p = 0; p < perPattern.size(); ++p) {
    if (perPattern[p] == 0) continue;
    for (int32_t d = 0; d < dayCount; ++d) {
      if (feed.dayPatterns[p].runsOn(d)) perDay[static_cast<std::size_t>(d)] += perPattern[p];
    }
  }
  return static_cast<int32_t>(std::max_element(perDay.begin(), perDay.end()) - perDay.begin());
}

ServiceCalendar calendarOf(const std::vector<Run>& runs, const std::vector<TrainPart>& parts,
                           CivilDay firstDay, int32_t dayCount) {
  ServiceCalendar calendar;
  calendar.firstDay = firstDay;
  calendar.dayCount = dayCount;
  const std::size_t bytes = (static_cast<std::size_t>(dayCount) + 7) / 8;
  std::unordered_map<std::string, uint32_t> index;  // by the pattern's bytes
  for (const TrainPart& part : parts) {
    std::vector<uint8_t> bits = shiftedDays(runs[part.run].days, startDay(part), dayCount).bits;
    bits.resize(bytes, 0);
    const auto [found, fresh] = index.emplace(std::string(bits.begin(), bits.end()),
                                              static_cast<uint32_t>(calendar.patterns.size()));
    if (fresh) calendar.patterns.push_back({std::move(bits)});
    calendar.trainPatterns.push_back(found->second);
  }
  return calendar;
}

}  // namespace murlo::gtfs
