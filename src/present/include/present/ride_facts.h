// RideFacts: one train between two of its stops as data, the same facts that
// its SegmentLine writes as text (present/segment_line.h).
#ifndef MURLO_PRESENT_RIDE_FACTS_H_
#define MURLO_PRESENT_RIDE_FACTS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "db/timetable_db.h"

namespace murlo {

struct RideFacts {
  TrainIndex train;
  StopPosition board;   // the stop boarded at
  StopPosition alight;  // the stop left at
  char marker = ' ';    // the line's marker in mode 0: 'S' or ' '
  // GBK texts of the tables (the class name a static text).
  std::string_view number;
  std::string_view boardingStation;
  std::string_view alightingStation;
  std::string_view firstStation;
  std::string_view lastStation;
  std::string_view className;
  // Minutes from 00:00 of the day the train sets out from its first stop, by
  // the rule of the journey times (db/day_rollover.h): the departure from the
  // boarding stop, and that plus the journey time.
  int64_t setOut = 0;  // the departure from the first stop
  int64_t departure = 0;
  int64_t arrival = 0;
  int64_t journeyMinutes = 0;  // as the line's journey time
  int32_t distanceKm = 0;      // alighting minus boarding distance
  // The amounts the line shows in its four fare columns, nothing where it
  // shows "-".
  // Where the file does not use the built-in tariff (db/network_fares.h)
  // the four columns are empty, the class name is the route type's
  // (present/route_type_names.h) and the ride pays the network's fare
  // chosen by fare/network_fare.h: an index of its products, if any.
  std::array<std::optional<int64_t>, 4> fares{};
  std::optional<uint32_t> networkFare;
};

// The times of a train's call at stop `k`, in minutes from 00:00 of the day
// it sets out, by the rule of the journey times: the first stop's departure
// as stored, each arrival a step from the arrival before it (from the first
// departure for the second stop), each departure a step from its arrival.
// The first stop's arrival is its departure. REQUIRES: stops.holds(k).
struct CallTimes {
  int64_t arrival = 0;
  int64_t departure = 0;
};
CallTimes callTimes(const StopList& stops, StopPosition k);
// callTimes of every stop, in one pass.
std::vector<CallTimes> allCallTimes(const StopList& stops);

// The facts of train `train` from stop `board` to stop `alight` (0 meaning
// the last stop), or nothing exactly where hasSegmentLine is false.
std::optional<RideFacts> rideFacts(const TimetableDb& db, TrainIndex train, StopPosition board,
                                   StopPosition alight);

}  // namespace murlo

#endif  // MURLO_PRESENT_RIDE_FACTS_H_
