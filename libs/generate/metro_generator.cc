// How a metro is drawn:
//
//  1. The city is a square grid of sites, 1.2 km apart. Each line starts at
//     a site on the grid's edge and runs across it, mostly straight ahead,
//     sometimes turning, never visiting a site twice, for its stations.
//  2. A site that one line serves is one station. A site that several lines
//     serve is a complex: one station per line, named after the site with
//     the line's number, grouped under the site's name with a walk of 3 to 8
//     minutes between them.
//  3. Each line runs both ways from the first to the last minute, a train
//     every headway (give or take a minute), 2 to 3 minutes between stops
//     and 0 or 1 minute standing at each.
#include "generate/metro_generator.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "db/file_format.h"
#include "generate/place_names.h"
#include "generate/random_source.h"

namespace murlo::generate {
namespace {

constexpr int32_t kSiteKm = 1;  // about 1.2 km apart; distances in whole km
constexpr std::array<std::pair<int, int>, 4> kSteps = {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};

struct Site {
  int32_t x = 0;
  int32_t y = 0;
  friend auto operator<=>(const Site&, const Site&) = default;
};

// A line's sites in running order.
std::vector<Site> layLine(RandomSource& random, int32_t size, int32_t stations) {
  for (int attempt = 0;; ++attempt) {
    const int32_t edge = static_cast<int32_t>(random.below(4));
    const int32_t along = random.between(0, size - 1);
    Site at = edge == 0   ? Site{0, along}
              : edge == 1 ? Site{along, 0}
              : edge == 2 ? Site{size - 1, along}
                          : Site{along, size - 1};
    int32_t heading = (edge + 0) % 4;  // away from the edge it starts on
    std::vector<Site> sites{at};
    std::vector<Site> seen{at};
    while (static_cast<int32_t>(sites.size()) < stations) {
      if (random.below(5) == 0) heading = (heading + (random.below(2) == 0 ? 1 : 3)) % 4;
      bool moved = false;
      for (const int32_t turn : {0, 1, 3}) {
        const int32_t h = (heading + turn) % 4;
        const Site next{at.x + kSteps[static_cast<std::size_t>(h)].first,
                        at.y + kSteps[static_cast<std::size_t>(h)].second};
        if (next.x < 0 || next.y < 0 || next.x >= size || next.y >= size) continue;
        if (std::find(seen.begin(), seen.end(), next) != seen.end()) continue;
        at = next;
        heading = h;
        sites.push_back(at);
        seen.push_back(at);
        moved = true;
        break;
      }
      if (!moved) break;
    }
    if (static_cast<int32_t>(sites.size()) == stations || attempt > 50) return sites;
  }
}

}  // namespace

source::Timetable generateMetro(const MetroShape& shape, uint64_t seed, std::string header) {
  if (shape.lines < 1 || shape.stationsPerLine < kMinStops || shape.stationsPerLine > kMaxStops ||
      shape.headwayMinutes < 1 || shape.firstMinute < 0 || shape.lastMinute >= 1440 ||
      shape.firstMinute > shape.lastMinute) {
    throw std::invalid_argument("metro shape out of range");
  }
  const int64_t perDirection = (shape.lastMinute - shape.firstMinute) / shape.headwayMinutes + 1;
  if (perDirection * 2 * shape.lines > kMaxTrains ||
      int64_t{shape.lines} * shape.stationsPerLine > kMaxStations) {
    throw std::invalid_argument("metro shape beyond the format's limits");
  }
  RandomSource random(seed);
  PlaceNames names;
  const int32_t size = std::max(8, shape.stationsPerLine * 2 / 3);

  std::vector<std::vector<Site>> lines;
  std::map<Site, std::vector<int32_t>> linesAt;  // the lines serving each site
  for (int32_t l = 0; l < shape.lines; ++l) {
    lines.push_back(layLine(random, size, shape.stationsPerLine));
    for (const Site& site : lines.back()) linesAt[site].push_back(l);
  }

  source::Timetable timetable;
  timetable.header = std::move(header);
  std::map<std::pair<Site, int32_t>, int32_t> stationOf;  // (site, line) -> station
  for (const auto& [site, serving] : linesAt) {
    const PlaceName place = names.fresh(random, 2 + static_cast<int32_t>(random.below(2)));
    if (serving.size() == 1) {
      stationOf[{site, serving[0]}] = static_cast<int32_t>(timetable.stations.size());
      timetable.stations.push_back({place.name, place.abbreviation});
      continue;
    }
    StationGroup group{GroupKind::kComplex, place.name, random.between(3, 8), {}};
    for (const int32_t line : serving) {
      const std::string number = std::to_string(line + 1);
      stationOf[{site, line}] = static_cast<int32_t>(timetable.stations.size());
      group.members.emplace_back(static_cast<int32_t>(timetable.stations.size()));
      timetable.stations.push_back({place.name + number, place.abbreviation + number});
    }
    timetable.network.groups.push_back(std::move(group));
  }

  for (int32_t l = 0; l < shape.lines; ++l) {
    const std::vector<Site>& sites = lines[static_cast<std::size_t>(l)];
    // Minutes between stops and standing times, the same for every train
    // of the line.
    std::vector<int32_t> run(sites.size(), 0);
    std::vector<int32_t> stand(sites.size(), 0);
    for (std::size_t k = 0; k < sites.size(); ++k) {
      run[k] = random.between(2, 3);
      stand[k] = static_cast<int32_t>(random.below(2));
    }
    for (const bool outbound : {true, false}) {
      for (int64_t n = 0; n < perDirection; ++n) {
        int32_t minute = shape.firstMinute + static_cast<int32_t>(n) * shape.headwayMinutes +
                         static_cast<int32_t>(random.below(2));
        TrainSpec train{
            "M" + std::to_string(l + 1) + (outbound ? "A" : "B") + std::to_string(n + 1),
            '9',
            '8',
            'D',
            {}};
        for (std::size_t i = 0; i < sites.size(); ++i) {
          const std::size_t k = outbound ? i : sites.size() - 1 - i;
          const int32_t station = stationOf[{sites[k], l}];
          if (i > 0) minute += run[k];
          const int32_t arrival = minute % 1440;
          if (i > 0 && i + 1 < sites.size()) minute += stand[k];
          train.stops.push_back(
              {station, arrival, minute % 1440, static_cast<int32_t>(i) * kSiteKm, true, true});
        }
        timetable.trains.push_back(std::move(train));
      }
    }
  }
  return timetable;
}

}  // namespace murlo::generate
