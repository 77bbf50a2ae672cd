#include "support/reference_journeys.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <map>
#include <tuple>

#include "db/day_rollover.h"
#include "db/digits.h"
#include "db/network_rules.h"

namespace murlo::test {
namespace {

constexpr int64_t kDay = 1440;

int64_t dayMinute(int64_t minute) { return ((minute % kDay) + kDay) % kDay; }

bool isTimeOfDay(std::string_view hour, std::string_view minute) {
  const int32_t h = readAtoi(hour);
  const int32_t m = readAtoi(minute);
  return h >= 0 && h <= 23 && m >= 0 && m <= 59;
}

// The stops of `train` when its calls can be used at all.
std::optional<StopList> usableTrain(const TimetableDb& db, TrainIndex train) {
  const std::optional<TrainView> view = db.train(train);
  if (!view || view->stops.size() < 2) return std::nullopt;
  const StopList stops = view->stops;
  if (!db.stationName(stops[StopPosition(0)].stationIndex()) ||
      !db.stationName(stops[stops.last()].stationIndex())) {
    return std::nullopt;
  }
  return stops;
}

// Whether `station`'s call list holds the record (train, stop), and the stop
// is a stop of the usable train, at that station.
std::optional<StopList> calledAt(const TimetableDb& db, StationIndex station, TrainIndex train,
                                 StopPosition stop) {
  if (station.value() < 0 || station.value() >= db.stationCount()) return std::nullopt;
  bool listed = false;
  const CallList calls = db.callsAt(station);
  for (int32_t j = 0; j < calls.size(); ++j) {
    listed = listed || (calls[j].trainIndex() == train && calls[j].stopPosition() == stop);
  }
  if (!listed) return std::nullopt;
  const std::optional<StopList> stops = usableTrain(db, train);
  if (!stops || !stops->holds(stop) || (*stops)[stop].stationIndex() != station) {
    return std::nullopt;
  }
  return stops;
}

struct Option {
  StopPosition alight;
  int32_t station;
  int64_t minutes;
  std::vector<int32_t> passed;  // the stations of the usable calls after boarding, to here
};

struct Boarding {
  TrainIndex train;
  StopPosition stop;
  int32_t departure;  // minute of the day
  std::vector<Option> options;
};

class Search {
 public:
  Search(const TimetableDb& db, std::vector<StationIndex> origins,
         std::vector<StationIndex> destinations, const JourneyRequest& request)
      : db_(db),
        origins_(std::move(origins)),
        destinations_(std::move(destinations)),
        request_(request) {
    boardings_.resize(static_cast<std::size_t>(db.stationCount()));
    for (StationIndex s(0); s.value() < db.stationCount(); ++s) {
      const CallList calls = db.callsAt(s);
      for (int32_t c = 0; c < calls.size(); ++c) {
        const TrainIndex train = calls[c].trainIndex();
        const StopPosition stop = calls[c].stopPosition();
        if (!canBoardByScan(db, s, train, stop)) continue;
        auto& here = boardings_[s.slot()];
        bool seen = false;
        for (const Boarding& b : here) seen = seen || (b.train == train && b.stop == stop);
        if (seen) continue;
        const StopList stops = db.train(train)->stops;
        Boarding boarding{train, stop, stops[stop].departureMinutes(), {}};
        std::vector<int32_t> passed;
        for (StopPosition j = stop.next(); j.value() < stops.size(); ++j) {
          const StationIndex at = stops[j].stationIndex();
          const bool leave = canLeaveByScan(db, at, train, j);
          if (leave || canBoardByScan(db, at, train, j)) passed.push_back(at.value());
          if (!leave) continue;
          boarding.options.push_back({j, at.value(), journeyMinutes(stops, stop, j), passed});
        }
        here.push_back(boarding);
      }
    }
  }

  void fromOrigin(int32_t windowStart) {
    Journey path;
    std::vector<int32_t> left;
    for (const StationIndex origin : origins_) left.push_back(origin.value());
    for (const StationIndex origin : origins_) {
      for (const Boarding& b : boardings_[origin.slot()]) {
        path.departure = windowStart + dayMinute(b.departure - windowStart);
        ride(b, path.departure, path, left);
      }
    }
  }

  std::vector<Journey> nonDominated() const {
    std::vector<Journey> kept;
    for (const auto& [x, journey] : found_) {
      bool dominated = false;
      for (const auto& [y, other] : found_) {
        dominated =
            dominated || (y != x && std::get<0>(y) >= std::get<0>(x) &&
                          std::get<1>(y) <= std::get<1>(x) && std::get<2>(y) <= std::get<2>(x));
      }
      // Leaving after a time, a journey is also beaten by another's run a
      // day later (every train runs every day).
      for (const auto& [y, other] : found_) {
        dominated = dominated || (request_.time == JourneyTime::kDepartAfter &&
                                  std::get<1>(y) + kMinutesPerDay <= std::get<1>(x) &&
                                  std::get<2>(y) <= std::get<2>(x));
      }
      if (!dominated) kept.push_back(journey);
    }
    return kept;  // in the map's order: departure, arrival, rides
  }

 private:
  bool isOrigin(int32_t station) const {
    return std::find(origins_.begin(), origins_.end(), StationIndex(station)) != origins_.end();
  }
  bool isDestination(int32_t station) const {
    return std::find(destinations_.begin(), destinations_.end(), StationIndex(station)) !=
           destinations_.end();
  }

  // Boarding `b` at `departure`, to each stop it can be left at.
  void ride(const Boarding& b, int64_t departure, Journey& path, std::vector<int32_t>& left) {
    for (const Option& option : b.options) {
      if (std::any_of(option.passed.begin(), option.passed.end(),
                      [this](int32_t s) { return isOrigin(s); }) ||
          std::find(left.begin(), left.end(), option.station) != left.end()) {
        continue;
      }
      const int64_t arrival = departure + option.minutes;
      path.rides.push_back(Ride{b.train, b.stop, option.alight});
      if (isDestination(option.station)) {
        path.arrival = arrival;
        if (request_.time != JourneyTime::kArriveBy || arrival <= request_.afterMinute) {
          found_.emplace(std::make_tuple(path.departure, arrival, path.rides.size()), path);
        }
      } else {
        change(option.station, b.train, arrival, path, left);
      }
      path.rides.pop_back();
    }
  }

  // Every change from `station`, arrived at `arrival` by `train`: to every
  // train at every station the rules allow, on its first run after the
  // change's minutes.
  void change(int32_t station, TrainIndex train, int64_t arrival, Journey& path,
              std::vector<int32_t>& left) {
    if (static_cast<int32_t>(path.rides.size()) == request_.maxChanges + 1) return;
    for (StationIndex to(0); to.value() < db_.stationCount(); ++to) {
      // (Its departure is its last from the origin.)
      if (isOrigin(to.value())) continue;
      for (const Boarding& b : boardings_[to.slot()]) {
        const std::optional<int64_t> minutes =
            changeByScan(db_, request_, StationIndex(station), train, to, b.train);
        if (!minutes) continue;
        const int64_t ready = arrival + *minutes;
        left.push_back(station);
        left.push_back(to.value());
        ride(b, ready + dayMinute(b.departure - ready), path, left);
        left.resize(left.size() - 2);
      }
    }
  }

  const TimetableDb& db_;
  const std::vector<StationIndex> origins_;
  const std::vector<StationIndex> destinations_;
  const JourneyRequest request_;
  std::vector<std::vector<Boarding>> boardings_;  // by station
  std::map<std::tuple<int64_t, int64_t, std::size_t>, Journey> found_;
};

}  // namespace

bool canBoardByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop) {
  const std::optional<StopList> stops = calledAt(db, station, train, stop);
  if (!stops || stop == stops->last() || !db.callRule(train, stop).board) return false;
  return isTimeOfDay((*stops)[stop].departureHour(), (*stops)[stop].departureMinute());
}

bool canLeaveByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop) {
  const std::optional<StopList> stops = calledAt(db, station, train, stop);
  if (!stops || stop == StopPosition(0) || !db.callRule(train, stop).alight) return false;
  return isTimeOfDay((*stops)[stop].arrivalHour(), (*stops)[stop].arrivalMinute());
}

std::vector<Journey> journeysBySearch(const TimetableDb& db,
                                      const std::vector<StationIndex>& origins,
                                      const std::vector<StationIndex>& destinations,
                                      const JourneyRequest& request) {
  Search search(db, origins, destinations, request);
  search.fromOrigin(request.windowStart());
  return search.nonDominated();
}

std::vector<Journey> journeysBySearch(const TimetableDb& db, StationIndex origin,
                                      StationIndex destination, const JourneyRequest& request) {
  return journeysBySearch(db, std::vector<StationIndex>{origin},
                          std::vector<StationIndex>{destination}, request);
}

std::optional<std::string> whyNotTravelled(const TimetableDb& db,
                                           const std::vector<StationIndex>& origins,
                                           const std::vector<StationIndex>& destinations,
                                           const JourneyRequest& request, const Journey& journey) {
  if (journey.rides.empty()) return "no rides";
  if (static_cast<int32_t>(journey.rides.size()) > request.maxChanges + 1) return "too many rides";
  const auto among = [](const std::vector<StationIndex>& places, StationIndex s) {
    return std::find(places.begin(), places.end(), s) != places.end();
  };
  StationIndex station(0);
  TrainIndex arrivedBy(0);
  int64_t minute = 0;
  std::vector<StationIndex> left = origins;
  for (std::size_t i = 0; i < journey.rides.size(); ++i) {
    const Ride& ride = journey.rides[i];
    const std::string which =
        "ride " + std::to_string(i) + " on train " + std::to_string(ride.train.value());
    const std::optional<TrainView> train = db.train(ride.train);
    if (!train || !train->stops.holds(ride.board)) return which + " has no such stop";
    const StopList stops = train->stops;
    const StationIndex from = stops[ride.board].stationIndex();
    if (i == 0 && !among(origins, from)) return which + " departs elsewhere";
    if (i > 0 && among(origins, from)) return which + " departs from the origin again";
    if (!canBoardByScan(db, from, ride.train, ride.board)) {
      return which + " cannot be boarded at stop " + std::to_string(ride.board.value());
    }
    if (ride.alight <= ride.board || !stops.holds(ride.alight)) return which + " goes nowhere";
    const StationIndex end = stops[ride.alight].stationIndex();
    if (!canLeaveByScan(db, end, ride.train, ride.alight)) {
      return which + " cannot be left at stop " + std::to_string(ride.alight.value());
    }
    for (StopPosition k = ride.board.next(); k < ride.alight; ++k) {
      const StationIndex at = stops[k].stationIndex();
      if (among(origins, at) &&
          (canBoardByScan(db, at, ride.train, k) || canLeaveByScan(db, at, ride.train, k))) {
        return which + " passes the origin";
      }
    }
    const int32_t departure = stops[ride.board].departureMinutes();
    if (i == 0) {
      minute = request.windowStart() + dayMinute(departure - request.windowStart());
      if (minute != journey.departure) return "the first ride departs at " + std::to_string(minute);
    } else {
      const std::optional<int64_t> change =
          changeByScan(db, request, station, arrivedBy, from, ride.train);
      if (!change) return which + ": no change to it";
      left.push_back(station);
      left.push_back(from);
      const int64_t ready = minute + *change;
      minute = ready + dayMinute(departure - ready);
    }
    if (among(left, end) || (i + 1 < journey.rides.size() && among(destinations, end))) {
      return which + " alights at a station the journey has left";
    }
    minute += journeyMinutes(stops, ride.board, ride.alight);
    station = end;
    arrivedBy = ride.train;
  }
  if (!among(destinations, station)) return "the last ride ends elsewhere";
  if (minute != journey.arrival) return "the journey arrives at " + std::to_string(minute);
  if (request.time == JourneyTime::kArriveBy && minute > request.afterMinute) return "too late";
  return std::nullopt;
}

std::optional<std::string> whyNotTravelled(const TimetableDb& db, StationIndex origin,
                                           StationIndex destination, const JourneyRequest& request,
                                           const Journey& journey) {
  return whyNotTravelled(db, std::vector<StationIndex>{origin},
                         std::vector<StationIndex>{destination}, request, journey);
}

std::optional<int64_t> changeByScan(const TimetableDb& db, const JourneyRequest& request,
                                    StationIndex from, TrainIndex arrived, StationIndex to,
                                    TrainIndex boarding) {
  const int64_t least = request.leastChangeMinutes;
  const NetworkRules* rules = db.networkRules();
  if (rules == nullptr) {
    if (from != to) return std::nullopt;
    return std::max<int64_t>(request.minChangeMinutes, least);
  }
  int names = -1;
  int64_t best = 0;
  for (const Transfer& t : rules->transfers()) {
    if (t.from != from || t.to != to) continue;
    if (t.fromTrain != kAnyTrain && t.fromTrain != arrived) continue;
    if (t.toTrain != kAnyTrain && t.toTrain != boarding) continue;
    if (t.kind == TransferKind::kForbidden) return std::nullopt;
    const int n = (t.fromTrain != kAnyTrain ? 1 : 0) + (t.toTrain != kAnyTrain ? 1 : 0);
    const int64_t m = t.kind == TransferKind::kTimed ? 0 : t.minutes;
    if (n > names || (n == names && m < best)) {
      names = n;
      best = m;
    }
  }
  if (names >= 0) return std::max(best, least);
  if (from == to) {
    int64_t own = request.minChangeMinutes;
    for (const ChangeTime& time : rules->extension().changeTimes) {
      if (time.station == from) own = time.minutes;
    }
    return std::max(own, least);
  }
  std::optional<int64_t> group;
  for (const StationGroup& g : rules->groups()) {
    const bool both = std::find(g.members.begin(), g.members.end(), from) != g.members.end() &&
                      std::find(g.members.begin(), g.members.end(), to) != g.members.end();
    if (both && (!group || g.minutes < *group)) group = g.minutes;
  }
  if (!group) return std::nullopt;
  return std::max(*group, least);
}

std::string summaryBySprintf(int64_t departure, int64_t arrival, int32_t rides) {
  char text[128];
  const int64_t duration = arrival - departure;
  std::snprintf(text, sizeof text,
                "J|%02" PRId64 ":%02" PRId64 "|%02" PRId64 ":%02" PRId64 "|%" PRId64 "|%" PRId64
                "|%.2" PRId64 ":%.2" PRId64 "|%d",
                departure % kDay / 60, departure % 60, arrival % kDay / 60, arrival % 60,
                departure / kDay, arrival / kDay - departure / kDay, duration / 60, duration % 60,
                rides);
  return text;
}

}  // namespace murlo::test
