// How a network is drawn:
//
//  1. Hubs are scattered over the area, each with a popularity that falls with
//     its rank (1/sqrt(rank)). Each hub is linked to its three nearest, and
//     the nearest pair of any two parts still apart is linked until all hubs
//     are connected.
//  2. The minor stations are shared out among the links in proportion to
//     their length and spread along them at irregular spacing.
//  3. Every link first gets a stopping train over its whole length each way,
//     so every station is called at in both directions. The remaining trains
//     are of eleven kinds (G, D, C, Z, T, K, plain and local numbers, S, Y,
//     L), each with its own share, speed, route length, stopping pattern and
//     hours. A train's route is a walk from a hub chosen by popularity, each
//     step preferring popular hubs and going on straight ahead; it stops at
//     the two ends, at hubs and at minor stations each with its kind's odds,
//     at least every 900 km (so no step between stops lasts a day), and is cut
//     at 100 stops or 9,999 km.
//  4. Stations and trains are shuffled, so the file shows no order the
//     generator made.
#include "generate/network_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <stdexcept>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "generate/place_names.h"
#include "generate/random_source.h"

namespace murlo::generate {
namespace {

constexpr int32_t kMaxKm = kMaxDistanceKm;
constexpr int32_t kMaxGapKm = 900;    // between two stops of one train
constexpr int32_t kNearestLinks = 3;  // links from each hub to its nearest
constexpr int32_t kMinHubSpacingKm = 40;

struct Hub {
  int32_t x = 0;
  int32_t y = 0;
  double weight = 0;           // popularity
  std::vector<int32_t> links;  // indexes into the links
};

// A line between two hubs: its stations from hub `a` to hub `b`, both
// included, with their distances from `a`.
struct Link {
  int32_t a = 0;
  int32_t b = 0;
  int32_t km = 0;
  std::vector<int32_t> stations;
  std::vector<int32_t> offsets;
};

struct TrainKind {
  std::string_view prefix;  // number prefix ("" for plain numbers)
  int32_t numberLo, numberHi;
  double share;              // of the trains after the covering ones
  std::string_view classes;  // class codes, one drawn uniformly
  std::string_view columns;  // fare-column codes, likewise
  std::string_view rates;    // fare-rate codes, likewise
  int32_t speedKmh;
  int32_t minLinks, maxLinks;             // route length
  double hubStop, minorStop;              // odds of stopping at a hub, at a minor station
  int32_t dwellHub, dwellMinor;           // minutes
  int32_t firstDeparture, lastDeparture;  // window of the first departure
  double multiNumber;                     // odds of running under two or three numbers
};

constexpr int32_t kLocalKind = 7;  // the kind of the covering trains

constexpr std::array<TrainKind, 11> kKinds = {{
    {"G", 1, 9999, 0.30, "B", "CCCCCCCCC3", "DDDDDDDDEF", 250, 2, 8, 0.8, 0.18, 2, 2, 360, 1170,
     0.03},
    {"D", 1, 9999, 0.16, "0", "CCCCCCCC33", "DDDDDDDDDE", 190, 1, 6, 0.9, 0.4, 2, 2, 360, 1230,
     0.05},
    {"C", 1001, 9999, 0.06, "A", "C", "D", 160, 1, 3, 1.0, 0.7, 2, 1, 360, 1320, 0.0},
    {"Z", 1, 999, 0.03, "6", "FFF3", "DDDE", 120, 4, 12, 0.25, 0.0, 8, 3, 1020, 1410, 0.1},
    {"T", 1, 999, 0.04, "6661", "F", "D", 100, 3, 10, 0.9, 0.12, 8, 4, 0, 1439, 0.2},
    {"K", 1, 2999, 0.14, "7772", "F", "D", 85, 2, 10, 1.0, 0.45, 8, 3, 0, 1439, 0.25},
    {"", 1001, 5999, 0.12, "8883", "FFF8", "D", 65, 1, 4, 1.0, 0.85, 6, 2, 0, 1439, 0.15},
    {"", 6001, 7999, 0.07, "9994", "8", "D", 55, 1, 2, 1.0, 1.0, 3, 2, 300, 1260, 0.0},
    {"S", 101, 999, 0.04, "9", "8", "D", 50, 1, 1, 1.0, 1.0, 2, 1, 360, 1320, 0.0},
    {"Y", 1, 999, 0.01, "6", "F", "D", 90, 2, 6, 0.9, 0.2, 10, 3, 0, 1439, 0.0},
    {"L", 1, 999, 0.01, "7", "F", "D", 80, 2, 8, 1.0, 0.3, 8, 3, 0, 1439, 0.0},
}};

// A station on a route, with its distance from the route's start.
struct RoutePoint {
  int32_t station;
  int32_t km;
  bool hub;
};

// The distance between two hubs along the track: the straight line and 15%.
int32_t trackKm(const Hub& a, const Hub& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return static_cast<int32_t>(std::sqrt(dx * dx + dy * dy) * 1.15 + 0.5);
}

class Generator {
 public:
  Generator(const NetworkShape& shape, uint64_t seed) : shape_(shape), random_(seed) {}

  source::Timetable run(std::string header) {
    placeHubs();
    linkHubs();
    // A link's stations are called at by one train each way: at most 98
    // between its hubs.
    if (int64_t{shape_.stations} - hubCount() >
        static_cast<int64_t>(links_.size()) * (kMaxStops - 2))
      throw std::invalid_argument("generate: the lines cannot call at so many stations");
    placeMinorStations();
    nameStations();
    for (const int32_t link : shuffledLinkOrder()) {
      coveringTrain(link, true);
      coveringTrain(link, false);
    }
    std::vector<double> shares;
    for (const TrainKind& kind : kKinds) shares.push_back(kind.share);
    while (static_cast<int32_t>(trains_.size()) < shape_.trains) {
      const std::size_t kind = random_.weighted(shares);
      const std::vector<RoutePoint> route = walk(kKinds[kind]);
      addTrain(kKinds[kind], route, false);
    }
    return assemble(std::move(header));
  }

 private:
  int32_t hubCount() const { return shape_.hubs; }

  void placeHubs() {
    hubs_.resize(static_cast<std::size_t>(hubCount()));
    for (std::size_t h = 0; h < hubs_.size(); ++h) {
      Hub& hub = hubs_[h];
      for (int attempt = 0;; ++attempt) {
        hub.x = random_.between(0, shape_.widthKm);
        hub.y = random_.between(0, shape_.heightKm);
        const bool crowded = std::any_of(
            hubs_.begin(), hubs_.begin() + static_cast<long>(h),
            [&hub](const Hub& other) { return trackKm(hub, other) < kMinHubSpacingKm; });
        if (!crowded || attempt > 100) break;
      }
      hub.weight = 1.0 / std::sqrt(static_cast<double>(h + 1));
    }
  }

  void addLink(int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    if (!linked_.insert({a, b}).second) return;
    Link link;
    link.a = a;
    link.b = b;
    link.km = std::max(trackKm(hub(a), hub(b)), 10);
    const auto index = static_cast<int32_t>(links_.size());
    links_.push_back(std::move(link));
    hub(a).links.push_back(index);
    hub(b).links.push_back(index);
  }

  void linkHubs() {
    const int32_t n = hubCount();
    for (int32_t h = 0; h < n; ++h) {
      std::vector<int32_t> others;
      for (int32_t o = 0; o < n; ++o) {
        if (o != h) others.push_back(o);
      }
      const auto nearest = std::min<std::size_t>(kNearestLinks, others.size());
      std::partial_sort(others.begin(), others.begin() + static_cast<long>(nearest), others.end(),
                        [&](int32_t p, int32_t q) {
                          const int32_t kp = trackKm(hub(h), hub(p));
                          const int32_t kq = trackKm(hub(h), hub(q));
                          return kp != kq ? kp < kq : p < q;
                        });
      for (std::size_t k = 0; k < nearest; ++k) addLink(h, others[k]);
    }
    // Join the parts: the nearest pair between the part of hub 0 and the rest.
    while (true) {
      std::vector<char> reached(static_cast<std::size_t>(n), 0);
      std::vector<int32_t> stack = {0};
      reached[0] = 1;
      while (!stack.empty()) {
        const int32_t h = stack.back();
        stack.pop_back();
        for (const int32_t l : hub(h).links) {
          const Link& link = links_[static_cast<std::size_t>(l)];
          const int32_t other = link.a == h ? link.b : link.a;
          if (reached[static_cast<std::size_t>(other)] == 0) {
            reached[static_cast<std::size_t>(other)] = 1;
            stack.push_back(other);
          }
        }
      }
      int32_t bestA = -1;
      int32_t bestB = -1;
      int32_t bestKm = 0;
      for (int32_t a = 0; a < n; ++a) {
        if (reached[static_cast<std::size_t>(a)] == 0) continue;
        for (int32_t b = 0; b < n; ++b) {
          if (reached[static_cast<std::size_t>(b)] != 0) continue;
          const int32_t km = trackKm(hub(a), hub(b));
          if (bestA < 0 || km < bestKm) {
            bestA = a;
            bestB = b;
            bestKm = km;
          }
        }
      }
      if (bestA < 0) break;
      addLink(bestA, bestB);
    }
  }

  // Shares the minor stations among the links by length (largest remainders
  // first), at most 98 to a link so that one train can call at all of them.
  void placeMinorStations() {
    const int32_t minors = shape_.stations - hubCount();
    const int64_t totalKm =
        std::accumulate(links_.begin(), links_.end(), int64_t{0},
                        [](int64_t sum, const Link& link) { return sum + link.km; });
    std::vector<int32_t> count(links_.size());
    std::vector<std::pair<int64_t, std::size_t>> remainders;
    int32_t given = 0;
    for (std::size_t l = 0; l < links_.size(); ++l) {
      const int64_t scaled = int64_t{minors} * links_[l].km;
      count[l] = static_cast<int32_t>(scaled / totalKm);
      remainders.push_back({scaled % totalKm, l});
      given += count[l];
    }
    std::sort(remainders.begin(), remainders.end(), [](const auto& p, const auto& q) {
      return p.first != q.first ? p.first > q.first : p.second < q.second;
    });
    for (std::size_t k = 0; given < minors; ++k, ++given) {
      ++count[remainders[k % remainders.size()].second];
    }
    constexpr int32_t kMaxMinors = kMaxStops - 2;
    int32_t excess = 0;
    for (int32_t& c : count) {
      excess += std::max(0, c - kMaxMinors);
      c = std::min(c, kMaxMinors);
    }
    for (std::size_t l = 0; excess > 0; l = (l + 1) % count.size()) {
      if (count[l] < kMaxMinors) {
        ++count[l];
        --excess;
      }
    }

    int32_t next = hubCount();
    for (std::size_t l = 0; l < links_.size(); ++l) {
      Link& link = links_[l];
      const int32_t m = count[l];
      link.km = std::max(link.km, 3 * (m + 1));
      // Irregular gaps: each between half and one and a half of the mean.
      std::vector<double> gaps(static_cast<std::size_t>(m) + 1);
      double sum = 0;
      for (double& gap : gaps) {
        gap = 0.5 + random_.unit();
        sum += gap;
      }
      link.stations.push_back(link.a);
      link.offsets.push_back(0);
      double at = 0;
      for (int32_t k = 0; k < m; ++k) {
        at += gaps[static_cast<std::size_t>(k)];
        auto km = static_cast<int32_t>(at / sum * link.km + 0.5);
        km = std::clamp(km, link.offsets.back() + 1, link.km - (m - k));
        link.stations.push_back(next++);
        link.offsets.push_back(km);
      }
      link.stations.push_back(link.b);
      link.offsets.push_back(link.km);
    }
  }

  // Hubs get two-character names; beside the busier third of the hubs, the
  // first station along a line often takes the hub's name and the line's
  // compass direction (a city's east or west station). Others get two to four
  // characters.
  void nameStations() {
    PlaceNames names;
    names_.resize(static_cast<std::size_t>(shape_.stations));
    std::vector<char> named(names_.size(), 0);
    for (int32_t h = 0; h < hubCount(); ++h) {
      names_[static_cast<std::size_t>(h)] = names.fresh(random_, 2);
      named[static_cast<std::size_t>(h)] = 1;
    }
    for (int32_t h = 0; h < hubCount() / 3; ++h) {
      for (const int32_t l : hub(h).links) {
        const Link& link = links_[static_cast<std::size_t>(l)];
        if (link.stations.size() < 3 || !random_.chance(0.5)) continue;
        const bool fromA = link.a == h;
        const int32_t station = link.stations[fromA ? 1 : link.stations.size() - 2];
        if (named[static_cast<std::size_t>(station)] != 0) continue;
        const Hub& far = hub(fromA ? link.b : link.a);
        const int32_t dx = far.x - hub(h).x;
        const int32_t dy = far.y - hub(h).y;
        const Compass direction = std::abs(dx) >= std::abs(dy)
                                      ? (dx >= 0 ? Compass::kEast : Compass::kWest)
                                      : (dy >= 0 ? Compass::kNorth : Compass::kSouth);
        PlaceName name;
        if (names.tryCompass(names_[static_cast<std::size_t>(h)], direction, name)) {
          names_[static_cast<std::size_t>(station)] = std::move(name);
          named[static_cast<std::size_t>(station)] = 1;
        }
      }
    }
    for (std::size_t s = 0; s < names_.size(); ++s) {
      if (named[s] != 0) continue;
      const double pick = random_.unit();
      names_[s] = names.fresh(random_, pick < 0.55 ? 2 : pick < 0.95 ? 3 : 4);
    }
  }

  std::vector<int32_t> shuffledLinkOrder() {
    std::vector<int32_t> order(links_.size());
    std::iota(order.begin(), order.end(), 0);
    random_.shuffle(order);
    return order;
  }

  // Appends the stations of `link` travelled from hub `from` to `route`
  // (without the first one when the route already ends there).
  void appendLink(int32_t l, int32_t from, std::vector<RoutePoint>& route) const {
    const Link& link = links_[static_cast<std::size_t>(l)];
    const bool forward = link.a == from;
    const int32_t base = route.empty() ? 0 : route.back().km;
    const auto n = static_cast<int32_t>(link.stations.size());
    for (int32_t k = route.empty() ? 0 : 1; k < n; ++k) {
      const auto i = static_cast<std::size_t>(forward ? k : n - 1 - k);
      const int32_t km = forward ? link.offsets[i] : link.km - link.offsets[i];
      route.push_back({link.stations[i], base + km, k == 0 || k == n - 1});
    }
  }

  // One stopping train over the whole of `l`, from hub a or from hub b.
  void coveringTrain(int32_t l, bool fromA) {
    const Link& link = links_[static_cast<std::size_t>(l)];
    std::vector<RoutePoint> route;
    appendLink(l, fromA ? link.a : link.b, route);
    addTrain(kKinds[kLocalKind], route, true);
  }

  // A walk of the kind's length from a hub drawn by popularity; each step
  // weighs the next hub by its popularity and by how straight on it lies.
  std::vector<RoutePoint> walk(const TrainKind& kind) {
    std::vector<double> weights;
    for (const Hub& h : hubs_) weights.push_back(h.weight);
    auto at = static_cast<int32_t>(random_.weighted(weights));
    const int32_t steps = random_.between(kind.minLinks, kind.maxLinks);
    std::set<int32_t> visited = {at};
    std::vector<RoutePoint> route;
    double headingX = 0;
    double headingY = 0;
    for (int32_t step = 0; step < steps; ++step) {
      std::vector<int32_t> choices;
      std::vector<double> choiceWeights;
      for (const int32_t l : hub(at).links) {
        const Link& link = links_[static_cast<std::size_t>(l)];
        const int32_t next = link.a == at ? link.b : link.a;
        if (visited.count(next) != 0) continue;
        const double dx = hub(next).x - hub(at).x;
        const double dy = hub(next).y - hub(at).y;
        const double norm =
            std::sqrt((dx * dx + dy * dy) * (headingX * headingX + headingY * headingY));
        const double cosine = norm > 0 ? (dx * headingX + dy * headingY) / norm : 0.0;
        choices.push_back(l);
        choiceWeights.push_back(hub(next).weight * (1.05 + cosine));
      }
      if (choices.empty()) break;
      const int32_t l = choices[random_.weighted(choiceWeights)];
      const Link& link = links_[static_cast<std::size_t>(l)];
      const int32_t next = link.a == at ? link.b : link.a;
      appendLink(l, at, route);
      headingX = hub(next).x - hub(at).x;
      headingY = hub(next).y - hub(at).y;
      visited.insert(next);
      at = next;
    }
    return route;
  }

  std::string takeNumber(const TrainKind& kind, bool single) {
    std::set<int32_t>& used = numbersUsed_[std::string(kind.prefix)];
    const auto free = [&](int32_t n) {
      return n >= kind.numberLo && n <= kind.numberHi && used.count(n) == 0;
    };
    const auto take = [&]() {
      int32_t n = random_.between(kind.numberLo, kind.numberHi);
      for (int32_t probes = 0; !free(n); ++probes) {
        if (probes > kind.numberHi - kind.numberLo) {
          // A network beyond 10,000 trains runs out of a kind's numbers:
          // the next free ones above its range.
          for (n = kind.numberHi + 1; used.count(n) != 0;) ++n;
          break;
        }
        n = n == kind.numberHi ? kind.numberLo : n + 1;
      }
      used.insert(n);
      return n;
    };
    const auto text = [&](int32_t n) { return std::string(kind.prefix) + std::to_string(n); };
    const int32_t n = take();
    std::string number = text(n);
    if (single || !random_.chance(kind.multiNumber)) return number;
    // Trains that change direction at a junction change the parity of their
    // number there: K82/K83, T118/T115.
    const int32_t partner = n % 2 == 0 ? n + 1 : n - 1;
    if (!free(partner)) return number;
    used.insert(partner);
    number += "/" + text(partner);
    if (random_.chance(0.1)) number += "/" + text(take());
    return number;
  }

  static char drawCode(RandomSource& random, std::string_view codes) {
    return codes[random.below(static_cast<uint32_t>(codes.size()))];
  }

  // Picks the stops of `route` for a train of `kind` (all of them for a
  // covering train), times them and adds the train.
  void addTrain(const TrainKind& kind, const std::vector<RoutePoint>& route, bool allStops) {
    if (route.size() < 2) return;
    std::vector<RoutePoint> stops;
    for (std::size_t i = 0; i < route.size(); ++i) {
      const RoutePoint& point = route[i];
      if (point.km - route.front().km > kMaxKm) break;
      const bool ends = i == 0 || i + 1 == route.size();
      const bool forced =
          !ends && route[i + 1].km - stops.back().km > kMaxGapKm;  // the next gap would be too long
      if (allStops || ends || forced || random_.chance(point.hub ? kind.hubStop : kind.minorStop)) {
        stops.push_back(point);
      }
      if (static_cast<int32_t>(stops.size()) == kMaxStops) break;
    }
    if (stops.size() < 2) return;

    TrainSpec train;
    train.number = takeNumber(kind, allStops);
    train.classCode = drawCode(random_, kind.classes);
    train.fareColumnCode = drawCode(random_, kind.columns);
    train.fareRateCode = drawCode(random_, kind.rates);
    int32_t clock = random_.between(kind.firstDeparture, kind.lastDeparture);
    const int32_t startKm = stops.front().km;
    for (std::size_t k = 0; k < stops.size(); ++k) {
      StopSpec stop;
      stop.station = stops[k].station;
      stop.distanceKm = stops[k].km - startKm;
      if (k > 0) {
        const int32_t km = stops[k].km - stops[k - 1].km;
        const int32_t accelerate = kind.speedKmh >= 160 ? 3 : 2;
        clock += (km * 60 + kind.speedKmh - 1) / kind.speedKmh + accelerate;
        stop.arrival = clock % kMinutesPerDay;
      }
      if (k + 1 < stops.size()) {
        if (k > 0) {
          const int32_t dwell = stops[k].hub ? kind.dwellHub : kind.dwellMinor;
          clock += random_.between(dwell, dwell + dwell / 2 + 1);
        }
        stop.departure = clock % kMinutesPerDay;
      }
      train.stops.push_back(stop);
    }
    trains_.push_back(std::move(train));
  }

  source::Timetable assemble(std::string header) {
    // A random order of stations: position[s] is station s's place in the file.
    std::vector<int32_t> order(static_cast<std::size_t>(shape_.stations));
    std::iota(order.begin(), order.end(), 0);
    random_.shuffle(order);
    std::vector<int32_t> position(order.size());
    for (std::size_t p = 0; p < order.size(); ++p) {
      position[static_cast<std::size_t>(order[p])] = static_cast<int32_t>(p);
    }
    random_.shuffle(trains_);

    source::Timetable timetable;
    timetable.header = std::move(header);
    for (const int32_t s : order) {
      const PlaceName& name = names_[static_cast<std::size_t>(s)];
      timetable.stations.push_back({name.name, name.abbreviation});
    }
    std::vector<char> called(order.size(), 0);
    for (TrainSpec& train : trains_) {
      for (StopSpec& stop : train.stops) {
        stop.station = position[static_cast<std::size_t>(stop.station)];
        called[static_cast<std::size_t>(stop.station)] = 1;
      }
    }
    if (std::find(called.begin(), called.end(), 0) != called.end()) {
      throw std::logic_error("generate: a station has no call");
    }
    timetable.trains = std::move(trains_);
    return timetable;
  }

  Hub& hub(int32_t h) { return hubs_[static_cast<std::size_t>(h)]; }
  const Hub& hub(int32_t h) const { return hubs_[static_cast<std::size_t>(h)]; }

  NetworkShape shape_;
  RandomSource random_;
  std::vector<Hub> hubs_;
  std::vector<Link> links_;
  std::set<std::pair<int32_t, int32_t>> linked_;
  std::vector<PlaceName> names_;
  std::map<std::string, std::set<int32_t>> numbersUsed_;
  std::vector<TrainSpec> trains_;
};

}  // namespace

std::optional<NetworkSize> networkSizeNamed(std::string_view name) {
  for (const NetworkSize size :
       {NetworkSize::kSmall, NetworkSize::kNational, NetworkSize::kMaximal}) {
    if (nameOf(size) == name) return size;
  }
  return std::nullopt;
}

std::string_view nameOf(NetworkSize size) {
  switch (size) {
    case NetworkSize::kSmall: return "small";
    case NetworkSize::kNational: return "national";
    case NetworkSize::kMaximal: return "maximal";
  }
  return "";
}

NetworkShape shapeOf(NetworkSize size) {
  switch (size) {
    case NetworkSize::kSmall: return {300, 1000, 16, 1300, 1000};
    case NetworkSize::kNational: return {3000, 10000, 150, 4200, 3200};
    case NetworkSize::kMaximal: return {10000, 10000, 250, 7300, 5500};
  }
  return {};
}

source::Timetable generateNetwork(NetworkSize size, uint64_t seed) {
  const std::string header = "GEN-" +
                             std::string(1, static_cast<char>(nameOf(size)[0] - 'a' + 'A')) +
                             std::to_string(seed % 10000);
  return generateNetwork(shapeOf(size), seed, header);
}

source::Timetable generateNetwork(const NetworkShape& shape, uint64_t seed, std::string header) {
  if (shape.hubs < 2 || shape.stations < shape.hubs || shape.stations > kMaxNetworkStations ||
      shape.trains > kMaxNetworkTrains || shape.widthKm <= 0 || shape.heightKm <= 0) {
    throw std::invalid_argument("generate: this shape cannot be built");
  }
  Generator generator(shape, seed);
  source::Timetable timetable = generator.run(std::move(header));
  if (static_cast<int32_t>(timetable.trains.size()) > shape.trains) {
    throw std::invalid_argument("generate: the lines need more trains than the shape has");
  }
  return timetable;
}

}  // namespace murlo::generate
