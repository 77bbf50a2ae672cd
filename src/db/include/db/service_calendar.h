// The days a timetable runs: the period it covers and, for each train, the
// days of that period on which the train starts a run. A database without a
// calendar runs every train every day (the rule of every file written before
// calendars existed). Carried by the extension after the seventh section.
#ifndef MURLO_DB_SERVICE_CALENDAR_H_
#define MURLO_DB_SERVICE_CALENDAR_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/indexes.h"

namespace murlo {

// A date as days since 1970-01-01 (proleptic Gregorian), as
// std::chrono::sys_days counts them.
using CivilDay = int32_t;

// The most days one calendar covers: ten years.
inline constexpr int32_t kMaxCalendarDays = 3660;

// The days of a period on which something runs: bit d of day `firstDay + d`,
// least significant bit first within each byte; (dayCount + 7) / 8 bytes,
// the bits past dayCount zero.
struct DayPattern {
  std::vector<uint8_t> bits;

  // A pattern of `dayCount` days, none of them run.
  static DayPattern none(int32_t dayCount) {
    return DayPattern{std::vector<uint8_t>(static_cast<std::size_t>(dayCount + 7) / 8, 0)};
  }
  // REQUIRES: 0 <= dayOfPeriod < the pattern's days.
  void set(int32_t dayOfPeriod, bool runs = true) {
    const auto day = static_cast<std::size_t>(dayOfPeriod);
    const auto bit = static_cast<uint8_t>(1U << (day % 8));
    bits[day / 8] = static_cast<uint8_t>(runs ? bits[day / 8] | bit : bits[day / 8] & ~bit);
  }

  bool runsOn(int32_t dayOfPeriod) const {
    if (dayOfPeriod < 0) return false;
    const auto day = static_cast<std::size_t>(dayOfPeriod);
    return day / 8 < bits.size() && ((unsigned{bits[day / 8]} >> (day % 8)) & 1U) != 0;
  }
  friend bool operator==(const DayPattern&, const DayPattern&) = default;
};

struct ServiceCalendar {
  CivilDay firstDay = 0;
  int32_t dayCount = 0;  // 0: no calendar (every train every day); else 1 to kMaxCalendarDays
  // The time zone the times are in, as an IANA name ("Asia/Shanghai"); ""
  // when the source does not say.
  std::string timeZone;
  // The day of the period that the seven sections were written for (what a
  // reader of the sections alone sees), or -1 when they hold every train.
  int32_t sectionsDay = -1;
  // The distinct patterns (most trains share a few) and each train's one:
  // trainPatterns[t] indexes patterns for train t of the network view.
  std::vector<DayPattern> patterns;
  std::vector<uint32_t> trainPatterns;

  bool empty() const { return dayCount == 0; }
  // Whether train `t` starts a run on `dayOfPeriod` (0 = firstDay); every
  // train runs every day of an empty calendar. REQUIRES: t is a train of the
  // network view.
  bool runsOn(TrainIndex t, int32_t dayOfPeriod) const {
    if (empty()) return true;
    const auto pattern = trainPatterns[static_cast<std::size_t>(t.value())];
    return patterns[pattern].runsOn(dayOfPeriod);
  }
  friend bool operator==(const ServiceCalendar&, const ServiceCalendar&) = default;
};

}  // namespace murlo

#endif  // MURLO_DB_SERVICE_CALENDAR_H_
