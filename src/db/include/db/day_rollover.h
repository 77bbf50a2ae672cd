// Elapsed time along a run whose times carry no date.
//
// Each step from an earlier event at minute a of the day to a later one at
// minute b lasts b - a minutes, or b - a + 1440 when b < a (the step crossed
// midnight once). Equal times are 0 minutes apart, never a full day. A span
// is the sum of its steps, so a run may cross midnight any number of times.
#ifndef MURLO_DB_DAY_ROLLOVER_H_
#define MURLO_DB_DAY_ROLLOVER_H_

#include <cstdint>
#include <string>

#include "db/records.h"

namespace murlo {

inline constexpr int32_t kMinutesPerDay = 1440;

constexpr int32_t stepMinutes(int32_t from, int32_t to) {
  return to >= from ? to - from : to - from + kMinutesPerDay;
}

// Journey time from the departure at stop `fromStop` to the arrival at stop
// `toStop`: the first step from that departure to the next arrival, every
// later step from arrival to arrival, so standing times are included.
// The sum is 64-bit: a corrupt file may hold any number of stops with any
// digits in their times, and the sum must not overflow.
// REQUIRES: 0 <= fromStop < toStop < stops.size().
int64_t journeyMinutes(const StopList& stops, StopPosition fromStop, StopPosition toStop);

// The minute of a run's departure from stop `k` (or arrival at it, k > 0),
// counted from 00:00 of the day it leaves its first stop: that departure at
// its time of day, every later event the steps after it (the first to the
// next arrival, then arrival to arrival, a departure after its own stop's
// arrival). The event falls on the day runMinute / 1440 (rounded down) after
// the one the run set out on. REQUIRES: k a stop of `stops`.
int64_t runMinuteOfDeparture(const StopList& stops, StopPosition k);
int64_t runMinuteOfArrival(const StopList& stops, StopPosition k);

// The day after the run's first that `runMinute` falls on (rounded down).
constexpr int32_t runDayOf(int64_t runMinute) {
  return static_cast<int32_t>(runMinute >= 0
                                  ? runMinute / kMinutesPerDay
                                  : -((-runMinute + kMinutesPerDay - 1) / kMinutesPerDay));
}

// Minutes as hours and minutes, each at least two digits ("%.2d:%.2d" of
// minutes / 60 and minutes % 60). Hours are not reduced modulo 24.
std::string formatHoursMinutes(int64_t minutes);

// Appends formatHoursMinutes(minutes) to `out`.
void appendHoursMinutes(std::string& out, int64_t minutes);

}  // namespace murlo

#endif  // MURLO_DB_DAY_ROLLOVER_H_
