// How many trips run on each date of a feed's service calendar: its range,
// its busiest dates.
#ifndef MURLO_GTFS_SERVICE_DATES_H_
#define MURLO_GTFS_SERVICE_DATES_H_

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

#include "gtfs/feed_files.h"
#include "gtfs/feed_loader.h"

namespace murlo::gtfs {

struct DateTrips {
  std::chrono::year_month_day date;
  std::size_t trips = 0;
};

struct ServiceDates {
  // Every date from the first on which a trip runs to the last, with the
  // trips that run on it (frequencies.txt trips count once); empty when none
  // runs. At most kMaxDays dates are counted from the calendar's first.
  std::vector<DateTrips> perDate;
  bool cut = false;                // the calendar goes on past the dates counted
  std::vector<DateTrips> busiest;  // up to 5, most trips first, earlier first among equal
};

inline constexpr std::size_t kMaxDays = 3660;  // ten years

// The trips of the routes `filter` asks for (its date is not used), by the
// dates of calendar.txt and calendar_dates.txt. Invalid rows are skipped;
// throws FeedError when a file the count needs cannot be read.
ServiceDates countServiceDates(const FeedFiles& files, const FeedFilter& filter);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_SERVICE_DATES_H_
