// SegmentLine: one train between two of its stops as one result line.
//
// Sixteen fields joined by "|": marker, train index, train number, boarding
// station, departure, alighting station, arrival, first station, last station,
// class name, "-", journey time, and the four fare columns.
//
//   S|0|T1/T2|北京|08:00|天津|09:30|北京|天津|特快|-|01:30|   9|  16|  46|  69
#ifndef MURLO_PRESENT_SEGMENT_LINE_H_
#define MURLO_PRESENT_SEGMENT_LINE_H_

#include <cstdint>
#include <string>

#include "db/timetable_db.h"

namespace murlo {

// The line of train `trainIndex` from stop `fromStop` to stop `toStop` (0
// meaning the train's last stop; 0 and 0 ask for the whole run). `mode` 1
// marks the line "H"; otherwise it is marked "S" when the boarding station's
// name equals the first station's name, byte for byte, else " ".
//
// Returns the empty text, reading nothing outside the tables, when the
// arguments break 0 <= fromStop < toStop <= last stop or the data break the
// tables' invariants (an index outside a table, a train with fewer than two
// whole stop records): callers then skip the record.
std::string buildSegmentLine(const TimetableDb& db, TrainIndex trainIndex, StopPosition fromStop,
                             StopPosition toStop, int32_t mode);

// Whether buildSegmentLine gives a line for these arguments (mode aside):
// train `trainIndex` has two whole stops or more, 0 <= fromStop < toStop <=
// last stop (toStop 0 meaning the last), and the boarding, alighting, first
// and last stations have names.
bool hasSegmentLine(const TimetableDb& db, TrainIndex trainIndex, StopPosition fromStop,
                    StopPosition toStop);

// Appends the line buildSegmentLine gives to `out` and returns true; returns
// false, leaving `out` as it was, where it gives the empty text.
bool appendSegmentLine(std::string& out, const TimetableDb& db, TrainIndex trainIndex,
                       StopPosition fromStop, StopPosition toStop, int32_t mode);

}  // namespace murlo

#endif  // MURLO_PRESENT_SEGMENT_LINE_H_
