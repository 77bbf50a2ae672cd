// Every train's stops as the journey planner reads them: made from the tables
// the first time a journey is planned, never by the load.
//
// Every train runs every day, each day's run the same. A ride boarded at
// stop k at absolute minute d (a minute whose time of day is k's departure)
// arrives at stop k + 1 at d + step(departure of k, arrival of k + 1), and
// at each later stop one step(arrival, next arrival) later: the steps of the
// journey time its line shows (db/day_rollover.h), added as the planner goes
// along the train. All runs of a train are whole days apart at every stop and
// never overtake one another, so the earliest run a traveller can catch at
// any stop arrives first at every later stop: a train is a route whose trips
// are its days.
//
// Per stop, eight bytes: the station, whether the train can be boarded and
// left there (at usable calls only, see usable_call.h), for a database with
// a calendar the day its runs depart there, and the arrival and departure
// fields as minutes (60 h + m as read: -549 to 6039). Only the first 100
// stops are kept: no call record names a later one. A train that cannot be
// boarded anywhere keeps no stops.
#ifndef MURLO_QUERY_TRAIN_RUNS_H_
#define MURLO_QUERY_TRAIN_RUNS_H_

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "db/indexes.h"
#include "db/timetable_db.h"

namespace murlo {

// The minutes an arrival or departure field can read: 60 h + m, hours and
// minutes each two characters from "-9" to "99".
inline constexpr int32_t kLeastFieldMinutes = 60 * -9 - 9;
inline constexpr int32_t kMostFieldMinutes = 60 * 99 + 99;

class TrainRuns {
 public:
  // The stops of every train of `db` that a call record can name
  // (indexableTrains). May throw std::bad_alloc.
  explicit TrainRuns(const TimetableDb& db);

  struct Stop {
    static constexpr uint32_t kStationBits = 0xFFFFF;
    static constexpr int kDayShift = 20;
    static constexpr uint32_t kLeave = 0x40000000;
    static constexpr uint32_t kBoard = 0x80000000;
    static_assert(kMaxNetworkStations <= kStationBits + 1, "a station index must fit its bits");
    static_assert(kLeastFieldMinutes >= std::numeric_limits<int16_t>::min() &&
                      kMostFieldMinutes <= std::numeric_limits<int16_t>::max(),
                  "the minutes of a field must fit 16 bits");
    // A run sets out in the first day of its service day, and each of its
    // at most 100 steps to a kept stop's departure (day_rollover.h) spans
    // at most the fields' range forwards, or that less a day backwards: its
    // days fit ten bits, -512 to 511.
    static constexpr int32_t kLeastDay = -512;
    static constexpr int32_t kMostDay = 511;
    static_assert((kMinutesPerDay + int64_t{kMaxStops} * (kMostFieldMinutes - kLeastFieldMinutes)) /
                              kMinutesPerDay <=
                          kMostDay &&
                      -(int64_t{kMaxStops} *
                            (kMostFieldMinutes - kLeastFieldMinutes - kMinutesPerDay) /
                            kMinutesPerDay +
                        1) >= kLeastDay,
                  "a run's days must fit ten bits");

    // Station (bits 0 to 19); the departure day as ten bits of two's
    // complement (20 to 29), at a stop that can be boarded of a database
    // with a calendar (0 elsewhere: an unused stop's place stays 0); can be
    // left (30), boarded (31).
    uint32_t place;
    int16_t arrival;    // minutes of the arrival field
    int16_t departure;  // minutes of the departure field

    StationIndex station() const {
      return StationIndex(static_cast<int32_t>(place & kStationBits));
    }
    bool canLeave() const { return (place & kLeave) != 0; }
    bool canBoard() const { return (place & kBoard) != 0; }
    // The days after its service day on which a run departs here.
    int32_t departureDay() const { return static_cast<int32_t>(place << 2) >> (kDayShift + 2); }
    static uint32_t dayBits(int32_t day) {
      return (static_cast<uint32_t>(day) << kDayShift) & (kLeave - 1) & ~kStationBits;
    }
  };

  struct Train {
    static_assert(kMaxStops <= std::numeric_limits<uint8_t>::max(),
                  "a train's stop count must fit a byte");
    static constexpr uint16_t kPatternUnkept = 0xFFFF;

    uint32_t first = 0;  // its first stop in stops()
    uint8_t stops = 0;   // stops kept, 0 to 100
    // Its day pattern (ServiceCalendar::trainPatterns), read with the train
    // rather than from the calendar's table, where the database has a
    // calendar of fewer patterns than kPatternUnkept; else kPatternUnkept.
    uint16_t pattern = kPatternUnkept;

    // Its day pattern where kept, else -1 (RunDays reads the calendar's).
    int32_t dayPattern() const { return pattern == kPatternUnkept ? -1 : pattern; }

    // One past its last kept stop.
    StopPosition end() const { return StopPosition(stops); }
  };

  static_assert(sizeof(Train) == 8, "a train's pattern must fit beside its stops");

  // One train's kept stops, by stop position.
  class RunStops {
   public:
    explicit RunStops(const Stop* first) : first_(first) {}
    // REQUIRES: k below the train's end().
    const Stop& operator[](StopPosition k) const { return first_[k.slot()]; }
    const Stop* at(StopPosition k) const { return first_ + k.slot(); }

   private:
    const Stop* first_;
  };

  int32_t trainCount() const { return static_cast<int32_t>(trains_.size()); }
  // REQUIRES: 0 <= t < trainCount().
  const Train& train(TrainIndex t) const { return trains_[t.slot()]; }
  // Stop k of train t is stops()[train(t).first + k], k < train(t).stops.
  const Stop* stops() const { return stops_.data(); }
  std::size_t stopCount() const { return stops_.size(); }
  // The kept stops of `run`, a train of these runs.
  RunStops stopsOf(const Train& run) const { return RunStops(stops_.data() + run.first); }

  // Whether train `t` can be boarded at stop `k` (never at its last kept
  // stop).
  bool canBoard(TrainIndex t, StopPosition k) const {
    if (t.value() < 0 || t.value() >= trainCount()) return false;
    const Train& run = train(t);
    return k >= StopPosition(0) && k < run.end() && stopsOf(run)[k].canBoard();
  }

  // The trains that can be left at a kept stop before their last kept one
  // where they cannot be boarded (every other stop a train can be left at
  // is its last kept one or on the departure board), by index.
  const std::vector<TrainIndex>& leftWhereNotBoarded() const { return leftWhereNotBoarded_; }
  // The trains whose last kept stop can be left at station `s`, by index.
  std::span<const TrainIndex> endingAt(StationIndex s) const {
    if (s.value() < 0 || s.slot() + 1 >= endingStart_.size()) return {};
    return std::span<const TrainIndex>(ending_).subspan(
        endingStart_[s.slot()], endingStart_[s.slot() + 1] - endingStart_[s.slot()]);
  }

  // The days after its service day on which a run of `run` departs its
  // stop `k` (runDayOf(runMinuteOfDeparture)); kept only for a database
  // with a calendar (0 without), at a stop that can be boarded.
  // REQUIRES: k below run.end().
  int32_t departureDay(const Train& run, StopPosition k) const {
    return stopsOf(run)[k].departureDay();
  }

  // The departures of a train's boardable stops that fall `day` days after
  // its service day: the earliest and the latest minute of that day among
  // them. Kept only for a database with a calendar.
  struct DepartureSpan {
    int16_t day;
    int16_t earliest;
    int16_t latest;
  };
  // Those of train `t`, by day (none without a calendar).
  // REQUIRES: 0 <= t < trainCount().
  std::span<const DepartureSpan> departureSpans(TrainIndex t) const {
    if (spanStart_.empty()) return {};
    return std::span<const DepartureSpan>(spans_).subspan(
        spanStart_[t.slot()], spanStart_[t.slot() + 1] - spanStart_[t.slot()]);
  }

  // Bytes held, for the benchmarks.
  std::size_t bytes() const;

 private:
  std::vector<Train> trains_;
  std::vector<Stop> stops_;
  std::vector<TrainIndex> leftWhereNotBoarded_;
  std::vector<TrainIndex> ending_;     // by station (endingAt), then index
  std::vector<uint32_t> endingStart_;  // by station and one more
  std::vector<DepartureSpan> spans_;   // by train, then day; empty without a calendar
  std::vector<uint32_t> spanStart_;    // by train and one more; empty without a calendar
};

}  // namespace murlo

#endif  // MURLO_QUERY_TRAIN_RUNS_H_
