// The calls a traveller can use, for the boards and the journey planner.
//
// A call is a record of a station's call list. It is usable when it names a
// train of the tables (an entry in every per-train table) and one of that
// train's stops, when that stop is at this very station, and when the train's
// result line can be written (at least two stops, its first and last station
// in the station table). Any other record is corrupt and is skipped; a record
// listed twice is one call.
//
// At a usable call a train can be boarded unless it is the train's last stop,
// the stop's departure field is not a time of day or the network's rules
// forbid boarding there, and left unless it is the train's first stop, the
// arrival field is not a time of day or the rules forbid alighting there.
#ifndef MURLO_QUERY_USABLE_CALL_H_
#define MURLO_QUERY_USABLE_CALL_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "db/records.h"
#include "db/timetable_db.h"

namespace murlo {

struct UsableCall {
  TrainIndex train;
  StopPosition stop;  // a stop of `stops`, at the call's station
  StopList stops;     // the train's stop list, of two stops at least
  CallRule rule;      // every call is open unless the network says otherwise

  bool canBoard() const {
    return rule.board && stop < stops.last() && stops[stop].departureIsTimeOfDay();
  }
  bool canLeave() const {
    return rule.alight && stop > StopPosition(0) && stops[stop].arrivalIsTimeOfDay();
  }
};

// The call `record` of station `station`, or nothing when it is not usable.
// REQUIRES: db.stationName(station) exists.
std::optional<UsableCall> usableCall(const TimetableDb& db, StationIndex station,
                                     CallRecord record);

// usableCall for every call of one database, as the boards and the trains'
// runs read them all: what depends on the train alone (an entry in every
// per-train table, two stops or more, its first and last stations in the
// table) is found once per train, not once per call.
class UsableCalls {
 public:
  // May throw std::bad_alloc.
  explicit UsableCalls(const TimetableDb& db);

  // usableCall(db, station, record). REQUIRES: as usableCall.
  std::optional<UsableCall> of(StationIndex station, CallRecord record) {
    const TrainIndex t = record.trainIndex();
    if (t.value() < 0 || t.slot() >= trains_.size()) return std::nullopt;
    Train& train = trains_[t.slot()];
    if (train.state == kUnknown) learn(t, train);
    const StopPosition k = record.stopPosition();
    if (train.state != kUsable || !train.stops.holds(k) ||
        train.stops[k].stationIndex() != station) {
      return std::nullopt;
    }
    return UsableCall{t, k, train.stops, db_.callRule(t, k)};
  }

 private:
  enum State : uint8_t { kUnknown, kUsable, kUnusable };
  struct Train {
    StopList stops{std::string_view()};
    State state = kUnknown;
  };
  void learn(TrainIndex t, Train& train) const;

  const TimetableDb& db_;
  std::vector<Train> trains_;  // by train index: those train() may give
};

}  // namespace murlo

#endif  // MURLO_QUERY_USABLE_CALL_H_
