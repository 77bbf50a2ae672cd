// The days generated trains run, as real timetables have them: most trains
// on every weekday, others every day, at weekends and on holidays only, on
// Saturdays or Sundays only, on weekdays of a season, and a few on single
// dates (an extra train before a holiday, a special). Holidays run the
// Sunday service. Patterns are shared: a timetable of any size has a few
// dozen, most of them the single dates'.
//
// The calendar is drawn for any number of trains (30,000 trains over 180
// days and more); a network of more than the seven sections' 10,000
// trains is written with sectionsDayFirst.
//
// The same arguments always give the same calendar on every platform.
#ifndef MURLO_GENERATE_SERVICE_PATTERNS_H_
#define MURLO_GENERATE_SERVICE_PATTERNS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/service_calendar.h"
#include "timetable_source/timetable_source.h"

namespace murlo::generate {

struct CalendarShape {
  CivilDay firstDay = 20458;  // 2026-01-05, a Monday
  int32_t days = 180;         // 1 to kMaxCalendarDays
  int32_t holidays = 6;       // weekdays of the period run as Sundays, drawn
  std::string timeZone = "Asia/Shanghai";
};

struct GeneratedCalendar {
  ServiceCalendar calendar;       // sectionsDay -1: the sections hold every train
  std::vector<int32_t> holidays;  // the days of the period that run as Sundays, ascending
};

// The calendar of `trains` trains (train t has trainPatterns[t]) over the
// period of `shape`. Throws std::invalid_argument for a period of no day or
// more than kMaxCalendarDays.
GeneratedCalendar generateCalendar(std::size_t trains, const CalendarShape& shape, uint64_t seed);

// The calendar of a generated network's trains, by their kind (the first
// letter of the number): fast trains (G, D, C) mostly every day, suburban
// ones (S) mostly on working days, tourist trains (Y) at weekends and in a
// season, temporary ones (L) on single dates and in a season, the others
// mostly every day.
GeneratedCalendar generateCalendar(const source::Timetable& network, const CalendarShape& shape,
                                   uint64_t seed);

// `network` (with its calendar) made ready for more trains or stations than
// the sections hold (db/timetable_builder.h, buildDatabase): `day` becomes
// the calendar's sections day, the trains that run on it come first, and
// the stations the sections' share of them calls come before all others
// (stops renumbered). Groups, transfers and change times are left as they
// are: REQUIRES the network has none.
void sectionsDayFirst(source::Timetable& network, int32_t day);

}  // namespace murlo::generate

#endif  // MURLO_GENERATE_SERVICE_PATTERNS_H_
