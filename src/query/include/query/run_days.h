// The days on which trains run, as a question for a date reads them: a run
// is a train's journey that sets out from its first stop on one day (its
// service day), and it runs only when the database's calendar
// (db/service_calendar.h) says the train runs that day. Days count from the
// day asked about (0 that day, -1 the day before); minutes from its 00:00.
// Without a date, or in a database without a calendar, every train runs
// every day, as always.
#ifndef MURLO_QUERY_RUN_DAYS_H_
#define MURLO_QUERY_RUN_DAYS_H_

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "db/day_rollover.h"
#include "db/indexes.h"
#include "db/service_calendar.h"
#include "db/timetable_db.h"
#include "query/query_status.h"

namespace murlo {

// No run within the calendar's period: as a day, and as a minute.
inline constexpr int32_t kNoRunDay = std::numeric_limits<int32_t>::min();
inline constexpr int64_t kNoRun = std::numeric_limits<int64_t>::max();

class RunDays {
 public:
  // Every train every day.
  RunDays() = default;

  // The days of `tables`' calendar (their network rules' one) counted from
  // `date`; every day without a date or a calendar. kDateOutsidePeriod in
  // `status` for a date the calendar does not cover (the days then are
  // every day's, never read).
  RunDays(const TimetableDb& tables, std::optional<CivilDay> date, QueryStatus& status);

  bool everyDay() const { return calendar_ == nullptr; }

  // Keeps each day pattern's runs on the kNearDays days from kNearFirst on
  // as one word of bits, so that runs and firstRunFrom answer a day among
  // them from the word alone: the journey planner asks them at nearly every
  // boarding, and a pattern read byte by byte costs more than the boarding.
  // May throw std::bad_alloc.
  void keepNearDays();
  static constexpr int32_t kNearFirst = -16;
  static constexpr int32_t kNearDays = 64;

  // Whether train `t`'s run of service day `day` runs. (`pattern`, here and
  // below: the train's day pattern where the caller has it at hand,
  // TrainRuns::Train::dayPattern; -1 reads the calendar's.)
  bool runs(TrainIndex t, int32_t day, int32_t pattern = -1) const {
    if (calendar_ == nullptr) return true;
    if (const uint64_t* near = nearOf(t, pattern)) {
      const int64_t offset = int64_t{day} - kNearFirst;
      if (offset >= 0 && offset < kNearDays) return ((*near >> offset) & 1U) != 0;
    }
    return calendar_->runsOn(t, asked_ + day);
  }
  // The first service day from `day` on on which train `t` runs, or
  // kNoRunDay when none does before the period ends.
  int32_t firstRunFrom(TrainIndex t, int32_t day, int32_t pattern = -1) const {
    if (calendar_ == nullptr) return day;
    if (const uint64_t* near = nearOf(t, pattern)) {
      const int64_t offset = int64_t{day} - kNearFirst;
      if (offset >= 0 && offset < kNearDays) {
        const uint64_t rest = *near >> offset;
        if (rest != 0) return day + std::countr_zero(rest);
        return firstRunInPattern(t, kNearFirst + kNearDays);
      }
    }
    return firstRunInPattern(t, day);
  }

  // The first minute from `minute` on at which a run of train `t` departs
  // one of its stops that runs depart `stopDay` days after their service
  // day (runDayOf(runMinuteOfDeparture)), where `minute` is a minute that
  // stop departs at on some day; kNoRun when no run from then on runs.
  int64_t firstDepartureFrom(TrainIndex t, int32_t stopDay, int64_t minute,
                             int32_t pattern = -1) const {
    if (calendar_ == nullptr) return minute;
    const int32_t day = runDayOf(minute) - stopDay;
    const int32_t runs = firstRunFrom(t, day, pattern);
    return runs == kNoRunDay ? kNoRun : minute + int64_t{runs - day} * kMinutesPerDay;
  }

 private:
  // The word of train `t`'s pattern (`pattern` where given) where they are
  // kept, else nullptr.
  const uint64_t* nearOf(TrainIndex t, int32_t pattern) const {
    if (near_.empty()) return nullptr;
    if (pattern >= 0 && static_cast<std::size_t>(pattern) < near_.size()) {
      return &near_[static_cast<std::size_t>(pattern)];
    }
    if (t.value() < 0 || t.slot() >= calendar_->trainPatterns.size()) return nullptr;
    return &near_[calendar_->trainPatterns[t.slot()]];
  }
  // firstRunFrom read from the calendar's pattern.
  int32_t firstRunInPattern(TrainIndex t, int32_t day) const;

  const ServiceCalendar* calendar_ = nullptr;  // nullptr: every day
  int32_t asked_ = 0;                          // the day asked, as a day of the period
  // By pattern, where kept: bit i for day kNearFirst + i (none outside the
  // period).
  std::vector<uint64_t> near_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_RUN_DAYS_H_
