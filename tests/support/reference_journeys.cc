#include "support/reference_journeys.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <map>
#include <tuple>

#include "db/day_rollover.h"
#include "db/digits.h"

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
  Search(const TimetableDb& db, StationIndex destination, const JourneyRequest& request)
      : destination_(destination.value()), request_(request) {
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

  // The journeys on from `station` (where `path` ended, or the origin),
  // ready at `ready`, having left the stations `left` (each ride's boarding
  // station): no ride alights at one of them nor passes the origin.
  void from(int32_t station, int64_t ready, Journey& path, std::vector<int32_t>& left) {
    if (static_cast<int32_t>(path.rides.size()) == request_.maxChanges + 1) return;
    left.push_back(station);
    for (const Boarding& b : boardings_[static_cast<std::size_t>(station)]) {
      const bool first = path.rides.empty();
      const int64_t departure =
          first ? request_.afterMinute + dayMinute(b.departure - request_.afterMinute)
                : ready + dayMinute(b.departure - ready);
      if (first) path.departure = departure;
      for (const Option& option : b.options) {
        if (std::find(option.passed.begin(), option.passed.end(), left.front()) !=
                option.passed.end() ||
            std::find(left.begin(), left.end(), option.station) != left.end()) {
          continue;
        }
        const int64_t arrival = departure + option.minutes;
        path.rides.push_back(Ride{b.train, b.stop, option.alight});
        if (option.station == destination_) {
          path.arrival = arrival;
          found_.emplace(std::make_tuple(path.departure, arrival, path.rides.size()), path);
        }
        from(option.station, arrival + request_.minChangeMinutes, path, left);
        path.rides.pop_back();
      }
    }
    left.pop_back();
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
      if (!dominated) kept.push_back(journey);
    }
    return kept;  // in the map's order: departure, arrival, rides
  }

 private:
  const int32_t destination_;
  const JourneyRequest request_;
  std::vector<std::vector<Boarding>> boardings_;  // by station
  std::map<std::tuple<int64_t, int64_t, std::size_t>, Journey> found_;
};

}  // namespace

bool canBoardByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop) {
  const std::optional<StopList> stops = calledAt(db, station, train, stop);
  if (!stops || stop == stops->last()) return false;
  return isTimeOfDay((*stops)[stop].departureHour(), (*stops)[stop].departureMinute());
}

bool canLeaveByScan(const TimetableDb& db, StationIndex station, TrainIndex train,
                    StopPosition stop) {
  const std::optional<StopList> stops = calledAt(db, station, train, stop);
  if (!stops || stop == StopPosition(0)) return false;
  return isTimeOfDay((*stops)[stop].arrivalHour(), (*stops)[stop].arrivalMinute());
}

std::vector<Journey> journeysBySearch(const TimetableDb& db, StationIndex origin,
                                      StationIndex destination, const JourneyRequest& request) {
  Search search(db, destination, request);
  Journey path;
  std::vector<int32_t> left;
  search.from(origin.value(), 0, path, left);
  return search.nonDominated();
}

std::optional<std::string> whyNotTravelled(const TimetableDb& db, StationIndex origin,
                                           StationIndex destination, const JourneyRequest& request,
                                           const Journey& journey) {
  if (journey.rides.empty()) return "no rides";
  if (static_cast<int32_t>(journey.rides.size()) > request.maxChanges + 1) return "too many rides";
  StationIndex station = origin;
  int64_t minute = 0;
  std::vector<StationIndex> left;
  for (std::size_t i = 0; i < journey.rides.size(); ++i) {
    left.push_back(station);
    const Ride& ride = journey.rides[i];
    const std::string which =
        "ride " + std::to_string(i) + " on train " + std::to_string(ride.train.value());
    if (!canBoardByScan(db, station, ride.train, ride.board)) {
      return which + " cannot be boarded at stop " + std::to_string(ride.board.value());
    }
    const StopList stops = db.train(ride.train)->stops;
    if (ride.alight <= ride.board || !stops.holds(ride.alight)) return which + " goes nowhere";
    const StationIndex end = stops[ride.alight].stationIndex();
    if (!canLeaveByScan(db, end, ride.train, ride.alight)) {
      return which + " cannot be left at stop " + std::to_string(ride.alight.value());
    }
    if (std::find(left.begin(), left.end(), end) != left.end()) return which + " loops";
    for (StopPosition k = ride.board.next(); k < ride.alight; ++k) {
      const StationIndex at = stops[k].stationIndex();
      if (at == origin &&
          (canBoardByScan(db, at, ride.train, k) || canLeaveByScan(db, at, ride.train, k))) {
        return which + " passes the origin";
      }
    }
    const int32_t departure = stops[ride.board].departureMinutes();
    if (i == 0) {
      minute = request.afterMinute + dayMinute(departure - request.afterMinute);
      if (minute != journey.departure) return "the first ride departs at " + std::to_string(minute);
    } else {
      const int64_t ready = minute + request.minChangeMinutes;
      minute = ready + dayMinute(departure - ready);
    }
    minute += journeyMinutes(stops, ride.board, ride.alight);
    station = end;
  }
  if (station != destination) return "the last ride ends elsewhere";
  if (minute != journey.arrival) return "the journey arrives at " + std::to_string(minute);
  return std::nullopt;
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
