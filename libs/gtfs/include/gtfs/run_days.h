// The days of a period on which runs start: each run's from its trip's
// service, runs alike on different days made one, and the calendar of the
// trains made from them.
#ifndef MURLO_GTFS_RUN_DAYS_H_
#define MURLO_GTFS_RUN_DAYS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "db/service_calendar.h"
#include "gtfs/feed_model.h"
#include "gtfs/train_table.h"
#include "gtfs/trip_runs.h"

namespace murlo::gtfs {

// Gives each run the days of its trip's service (Feed::dayPatterns).
void setRunDays(const Feed& feed, std::vector<Run>& runs);

// Makes runs of one route and trip_short_name with the same calls (stations,
// times, km and boarding rules) that start on days apart one run of all
// their days, at the place of the first; a trip on a weekday service and
// its twin on a weekend one become one train. Runs that share a day stay
// apart (two trains that day); a run is tried with the 16 latest alike
// ones only. The order of the others is kept.
void mergeRunsOverDays(const Feed& feed, std::vector<Run>& runs);

// The runs that start on `day` of the period, in their order.
std::vector<Run> runsOnDay(const std::vector<Run>& runs, int32_t day);

// The day of the period on which the most of `runs` (each with its trip's
// days, not merged) start, the earliest of equal ones.
int32_t busiestDay(const Feed& feed, const std::vector<Run>& runs, int32_t dayCount);

// The calendar of the trains `parts` of `runs` over `dayCount` days from
// `firstDay`: each train's days, patterns shared. A train that leaves its
// first stop after 24:00 of its service day runs on the days after (a run
// moved past the period's end is left out).
ServiceCalendar calendarOf(const std::vector<Run>& runs, const std::vector<TrainPart>& parts,
                           CivilDay firstDay, int32_t dayCount);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_RUN_DAYS_H_
