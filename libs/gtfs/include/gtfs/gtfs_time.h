// Times of a feed: "H:MM:SS" or "HH:MM:SS" after the service day's start,
// past 24:00:00 for a trip that runs on past midnight.
#ifndef MURLO_GTFS_GTFS_TIME_H_
#define MURLO_GTFS_GTFS_TIME_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace murlo::gtfs {

// Seconds after the service day's start, or nothing when `text` is not such
// a time (hours 0 to 999, minutes and seconds 0 to 59).
std::optional<int32_t> parseGtfsTime(std::string_view text);

// The database's minute of the day for a feed time: whole minutes, taken
// modulo 24 hours (25:10:30 is 01:10).
int32_t minuteOfDay(int32_t seconds);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_GTFS_TIME_H_
