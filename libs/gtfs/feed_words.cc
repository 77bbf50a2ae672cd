#include "gtfs/feed_words.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

namespace murlo::gtfs {
namespace {

constexpr std::size_t kMaxText = 0xFFFF;
constexpr std::size_t kMaxPlatform = 0xFF;

// A feed's text as the words hold it, or nothing when it cannot be (not
// UTF-8, a control character, too long): counted as dropped.
std::optional<std::string> wordsText(const std::string& text, std::size_t limit,
                                     WordCounts& counts) {
  if (text.size() <= limit && isWordsText(text)) return text;
  ++counts.dropped;
  return std::nullopt;
}

std::optional<Rgb> rgbOf(const std::string& text, WordCounts& counts) {
  if (text.empty()) return std::nullopt;
  Rgb value = 0;
  bool valid = text.size() == 6;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                             : -1;
    valid = valid && digit >= 0;
    value = value * 16 + static_cast<Rgb>(std::max(digit, 0));
  }
  if (!valid) {
    ++counts.dropped;
    return std::nullopt;
  }
  return value;
}

Wheelchair wheelchairOf(int32_t value) {
  return value == 1 ? Wheelchair::kYes : value == 2 ? Wheelchair::kNo : Wheelchair::kUnknown;
}

// The wheelchair access of each station (by place index, the top of its
// parent_station chain): where trips call at its child stops, theirs, each
// a stop's own wheelchair_boarding, or where that is 0 (or empty) the
// nearest parent's that gives one; yes where any stop called at has
// step-free access, no where every one says no, else unknown. A station no
// trip calls at through a child keeps its own.
std::vector<Wheelchair> stationWheelchairs(const Feed& feed) {
  constexpr int kMaxDepth = 8;  // as the loader follows parents
  std::vector<Wheelchair> access(feed.stops.size(), Wheelchair::kUnknown);
  for (std::size_t p = 0; p < feed.stops.size(); ++p)
    access[p] = wheelchairOf(feed.stops[p].wheelchair);
  std::unordered_map<std::string_view, std::size_t> byId;
  for (std::size_t p = 0; p < feed.stops.size(); ++p) byId.emplace(feed.stops[p].id, p);
  std::vector<bool> called(feed.stops.size(), false);
  for (const StopTime& row : feed.stopTimes) {
    if (row.stop >= 0 && static_cast<std::size_t>(row.stop) < called.size())
      called[static_cast<std::size_t>(row.stop)] = true;
  }
  struct Seen {
    bool yes = false, no = false, unknown = false;
  };
  std::unordered_map<int32_t, Seen> seen;
  for (std::size_t p = 0; p < feed.stops.size(); ++p) {
    const StopPlace& stop = feed.stops[p];
    if (!called[p] || stop.station < 0 || static_cast<std::size_t>(stop.station) == p) continue;
    int32_t value = stop.wheelchair;
    const StopPlace* at = &stop;
    for (int depth = 0; value == 0 && depth < kMaxDepth && !at->parentId.empty(); ++depth) {
      const auto parent = byId.find(at->parentId);
      if (parent == byId.end()) break;
      at = &feed.stops[parent->second];
      value = at->wheelchair;
    }
    Seen& station = seen[stop.station];
    (value == 1 ? station.yes : value == 2 ? station.no : station.unknown) = true;
  }
  for (const auto& [station, s] : seen) {
    access[static_cast<std::size_t>(station)] = s.yes                ? Wheelchair::kYes
                                                : s.no && !s.unknown ? Wheelchair::kNo
                                                                     : Wheelchair::kUnknown;
  }
  return access;
}

int32_t micro(double degrees) { return static_cast<int32_t>(std::lround(degrees * 1e6)); }

std::string thousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

}  // namespace

NetworkWords feedWords(const Feed& feed, const std::vector<Run>& runs,
                       const std::vector<TrainPart>& parts,
                       const std::vector<ImportedStation>& stations,
                       const std::vector<int32_t>& stationOf, WordCounts& counts) {
  NetworkWords words;
  std::vector<int32_t> placeOf(stations.size(), -1);
  for (std::size_t p = 0; p < stationOf.size(); ++p) {
    if (stationOf[p] >= 0)
      placeOf[static_cast<std::size_t>(stationOf[p])] = static_cast<int32_t>(p);
  }
  const std::vector<Wheelchair> access = stationWheelchairs(feed);
  for (std::size_t s = 0; s < stations.size(); ++s) {
    if (placeOf[s] < 0) continue;
    const StopPlace& place = feed.stops[static_cast<std::size_t>(placeOf[s])];
    const std::string& written = place.name.empty() ? place.id : place.name;
    const std::optional<std::string> name = wordsText(written, kMaxText, counts);
    if (!name || name->empty()) continue;
    StationWords station{StationIndex(static_cast<int32_t>(s)), *name, std::nullopt,
                         access[static_cast<std::size_t>(placeOf[s])]};
    if (place.hasPosition) {
      station.where = GeoPoint{micro(place.position.latitude), micro(place.position.longitude)};
      ++counts.coordinates;
    }
    ++counts.names;
    words.stations.push_back(std::move(station));
  }

  std::map<int32_t, int32_t> lineOfRoute;
  for (std::size_t t = 0; t < parts.size(); ++t) {
    const Run& run = runs[parts[t].run];
    const Trip& trip = feed.trips[static_cast<std::size_t>(run.trip)];
    const Route& route = feed.routes[static_cast<std::size_t>(trip.route)];
    const auto [found, fresh] =
        lineOfRoute.emplace(trip.route, static_cast<int32_t>(words.lines.size()));
    if (fresh) {
      LineWords line;
      line.shortName = wordsText(route.shortName, kMaxText, counts).value_or("");
      line.longName = wordsText(route.longName, kMaxText, counts).value_or("");
      line.routeType = std::clamp(route.type, 0, 0xFFFF);
      line.colour = rgbOf(route.colour, counts);
      line.textColour = rgbOf(route.textColour, counts);
      words.lines.push_back(std::move(line));
    }
    TrainWords train;
    train.train = TrainIndex(static_cast<int32_t>(t));
    train.line = found->second;
    train.headsign = wordsText(trip.headsign, kMaxText, counts).value_or("");
    if (!train.headsign.empty()) ++counts.headsigns;
    train.direction = trip.direction;
    train.number =
        wordsText(trip.shortName.empty() ? route.shortName : trip.shortName, kMaxText, counts)
            .value_or("");
    train.wheelchair = wheelchairOf(trip.wheelchair);
    // Each call's platform: the platform_code of the stop the trip calls at
    // there (the first with one, where two stops of a station merged).
    std::unordered_map<int32_t, std::string> platformAt;
    const std::size_t begin = feed.tripBegin[static_cast<std::size_t>(run.trip)];
    const std::size_t end = feed.tripBegin[static_cast<std::size_t>(run.trip) + 1];
    for (std::size_t r = begin; r < end; ++r) {
      const StopPlace& stop = feed.stops[static_cast<std::size_t>(feed.stopTimes[r].stop)];
      if (stop.platformCode.empty()) continue;
      const std::optional<std::string> code = wordsText(stop.platformCode, kMaxPlatform, counts);
      if (code) platformAt.emplace(stop.station, *code);
    }
    if (!platformAt.empty()) {
      for (const RunStop& stop : parts[t].stops) {
        const auto platform = platformAt.find(stop.station);
        train.platforms.push_back(platform == platformAt.end() ? "" : platform->second);
        if (platform != platformAt.end()) ++counts.platforms;
      }
    }
    words.trains.push_back(std::move(train));
  }
  counts.lines = words.lines.size();
  return words;
}

std::string wordsPhrase(const WordCounts& counts) {
  std::string phrase =
      "names as written: " + thousands(counts.names) +
      ", coordinates: " + thousands(counts.coordinates) + ", lines: " + thousands(counts.lines) +
      ", headsigns: " + thousands(counts.headsigns) + ", platforms: " + thousands(counts.platforms);
  if (counts.dropped > 0)
    phrase += "; dropped (not UTF-8 text or RRGGBB): " + thousands(counts.dropped);
  return phrase;
}

}  // namespace murlo::gtfs
