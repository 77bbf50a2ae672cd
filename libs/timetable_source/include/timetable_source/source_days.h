// The days a train runs, as a timetable source writes them: ISO dates and
// the `days` line of a train (docs/timetable-source.md).
#ifndef MURLO_TIMETABLE_SOURCE_SOURCE_DAYS_H_
#define MURLO_TIMETABLE_SOURCE_SOURCE_DAYS_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "db/service_calendar.h"

namespace murlo::source {

// "2026-09-23", a date of 1970 to 9999, and back.
std::optional<CivilDay> isoDateOf(std::string_view text);
std::string isoDate(CivilDay day);

// The days a `days` line says (its tokens after the keyword) within the
// period of `dayCount` days from `first`, or nothing with `problem` set.
std::optional<DayPattern> parseDays(std::span<const std::string_view> tokens, CivilDay first,
                                    int32_t dayCount, std::string& problem);

// A `days` line (without a line end) that parseDays reads back as `days`,
// or "" for a train that runs every day of the period (no line).
std::string daysLine(const DayPattern& days, CivilDay first, int32_t dayCount);

}  // namespace murlo::source

#endif  // MURLO_TIMETABLE_SOURCE_SOURCE_DAYS_H_
