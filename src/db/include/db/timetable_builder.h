// Building tables from structured timetable data: the stop records, and the
// call lists derived from them.
#ifndef MURLO_DB_TIMETABLE_BUILDER_H_
#define MURLO_DB_TIMETABLE_BUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "db/timetable_db.h"

namespace murlo {

struct StationSpec {
  std::string name;          // GBK
  std::string abbreviation;  // ASCII
};

struct StopSpec {
  int32_t station = 0;     // station index
  int32_t arrival = 0;     // minutes of the day, 0 .. 1439
  int32_t departure = 0;   // minutes of the day, 0 .. 1439
  int32_t distanceKm = 0;  // from the train's first stop, 0 .. 9999
};

struct TrainSpec {
  std::string number;  // numbers joined by "/"
  char classCode = '1';
  char fareColumnCode = 'F';
  char fareRateCode = 'D';
  std::vector<StopSpec> stops;
};

// The lists of `stations` and `trains` in the given order, with every
// station's call list derived from the stop lists (so call and stop lists
// agree and call lists ascend by train).
// REQUIRES: every value fits its field (station and train indexes below
// 10000, at most 100 stops, times and distances in the ranges above).
TableLists buildTableLists(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains);

// The tables of buildTableLists(header, stations, trains).
TimetableDb buildTimetable(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains);

// The 16-byte record of one stop.
std::string stopRecord(const StopSpec& stop);

// The 6-byte record of train `train` calling as its stop `position`.
std::string callRecord(int32_t train, int32_t position);

}  // namespace murlo

#endif  // MURLO_DB_TIMETABLE_BUILDER_H_
