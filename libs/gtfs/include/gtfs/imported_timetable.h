// The timetable an import builds, before it is written as source: names in
// UTF-8, times as minutes of the day.
#ifndef MURLO_GTFS_IMPORTED_TIMETABLE_H_
#define MURLO_GTFS_IMPORTED_TIMETABLE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace murlo::gtfs {

struct ImportedStation {
  std::string name;          // UTF-8, storable (see station_name.h)
  std::string abbreviation;  // ASCII letters and digits
  std::string feedName;      // stop_name as the feed writes it
  std::string stopId;
  std::string baseName;  // `name` before a number told it from an equal one
};

struct ImportedStop {
  int32_t station = 0;  // index into the stations
  int32_t arrival = 0;  // minute of the day
  int32_t departure = 0;
  int32_t km = 0;
  bool board = true;  // the feed allows boarding here
  bool alight = true;
};

struct ImportedTrain {
  std::string number;
  char classCode = '9';
  char fareColumnCode = '8';
  char fareRateCode = 'D';
  std::vector<ImportedStop> stops;
  std::string note;  // "trip T1", "trip T1, part 2 of 3": a comment in the source
};

struct ImportedTimetable {
  std::string header;  // UTF-8
  std::vector<ImportedStation> stations;
  std::vector<ImportedTrain> trains;
  bool stopCodeAbbreviations = false;  // every abbreviation is the feed's stop_code
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_IMPORTED_TIMETABLE_H_
