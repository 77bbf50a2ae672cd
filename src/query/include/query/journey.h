// Journeys with changes: what the planner asks and what it finds.
//
// A ride is one train from a stop where it can be boarded to a later stop
// where it can be left; boarded at absolute minute d (minutes from 00:00 of
// the query's day), it arrives at d + the journey time of the train's line
// between the two stops. A journey is one or more rides: the first boarded at
// the origin, each next one boarded at the station (index) where the one
// before ended or one the network lets a traveller change to
// (query/change_rules.h), no sooner than the change's minutes after it
// arrived, the last ending at the destination. Staying on a train is one
// ride.
#ifndef MURLO_QUERY_JOURNEY_H_
#define MURLO_QUERY_JOURNEY_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "db/day_rollover.h"
#include "db/indexes.h"

namespace murlo {

struct Ride {
  TrainIndex train;
  StopPosition board;
  StopPosition alight;
  friend bool operator==(const Ride&, const Ride&) = default;
};

struct Journey {
  int64_t departure = 0;  // absolute minute of the first ride's boarding
  int64_t arrival = 0;    // absolute minute of the last ride's arrival
  std::vector<Ride> rides;
};

// The most changes a journey question may allow.
inline constexpr int32_t kMostChanges = 7;

// What the minute of a journey question asks for.
enum class JourneyTime : uint8_t {
  kDepartAfter,   // journeys that depart in [t, t + 1440)
  kArriveBy,      // journeys that depart in [t - 1440, t) and arrive by t
  kDepartBefore,  // journeys that depart in [t - 1440, t)
};

// The numbers of a journey question.
struct JourneyRequest {
  int32_t afterMinute = 0;       // t, the minute of the day asked about (see `time`)
  int32_t maxChanges = 0;        // at most maxChanges + 1 rides
  int32_t minChangeMinutes = 0;  // from a ride's arrival to the next boarding
  int32_t limit = 0;             // journeys written; 0 for all
  // No change takes less, whatever the network's rules say.
  int32_t leastChangeMinutes = 0;
  // Departing after t, or the latest journeys arriving by t or departing
  // before it (a limit then keeps the latest).
  JourneyTime time = JourneyTime::kDepartAfter;
  // The day asked about, as days since 1970-01-01: where the database has a
  // calendar, each ride on a run its train makes (query/run_days.h), else
  // every train every day. Checked against the calendar by the planner.
  std::optional<int32_t> date = std::nullopt;

  // The first minute of the departures' window.
  int32_t windowStart() const {
    return time == JourneyTime::kDepartAfter ? afterMinute : afterMinute - kMinutesPerDay;
  }

  // The ranges: a minute of the day, 0 to kMostChanges changes, change
  // times of less than a day, a limit not negative.
  bool valid() const {
    return afterMinute >= 0 && afterMinute < kMinutesPerDay && maxChanges >= 0 &&
           maxChanges <= kMostChanges && minChangeMinutes >= 0 &&
           minChangeMinutes < kMinutesPerDay && limit >= 0 && leastChangeMinutes >= 0 &&
           leastChangeMinutes < kMinutesPerDay;
  }
};

}  // namespace murlo

#endif  // MURLO_QUERY_JOURNEY_H_
