// Building tables from structured timetable data: the stop records, and the
// call lists derived from them.
#ifndef MURLO_DB_TIMETABLE_BUILDER_H_
#define MURLO_DB_TIMETABLE_BUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "db/network_extension.h"
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
  bool board = true;       // travellers may board here
  bool alight = true;      // travellers may leave the train here
};

struct TrainSpec {
  std::string number;  // numbers joined by "/"
  char classCode = '1';
  char fareColumnCode = 'F';
  char fareRateCode = 'D';
  std::vector<StopSpec> stops;
};

// Which calls of a train with restricted calls the sections keep.
enum class SectionCalls {
  kAllowedRides,  // legacyCalls: the sections offer no ride the rules forbid
  kEvery,         // every call, as though each were open
};

// The lists of `stations` and `trains` in the given order, with every
// station's call list derived from the stop lists (so call and stop lists
// agree and call lists ascend by train). A train whose calls are not all
// open keeps the calls `sectionCalls` says (the extension of buildExtension
// holds all of them). A station without a call in the sections gets an
// empty call list, which writeDatabaseBytes can write only after the last
// station with one, so such stations go last.
// REQUIRES: every value fits its field (station and train indexes below
// 10000, at most 100 stops, times and distances in the ranges above); a
// train with restricted calls offers at least one ride.
TableLists buildTableLists(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains,
                           SectionCalls sectionCalls = SectionCalls::kAllowedRides);

// What a network says beyond the sections, besides its trains' calls.
struct NetworkSpec {
  std::vector<StationGroup> groups;
  std::vector<Transfer> transfers;
  std::vector<ChangeTime> changeTimes;  // ascending by station
  ServiceCalendar calendar;             // trainPatterns one a train; empty: every day
  NetworkFares fares;                   // empty: the built-in tariff
  NetworkWords words;                   // names as written, lines, headsigns, platforms
};

// The extension that goes with buildTableLists of the same trains: the whole
// call list of every train with a restricted call, and `network`. Empty when
// every call is open and `network` says nothing.
NetworkExtension buildExtension(const std::vector<TrainSpec>& trains, NetworkSpec network);

// A whole timetable as a file holds it: the seven sections' tables and the
// extension.
struct DatabaseParts {
  TableLists lists;
  NetworkExtension extension;
};

// How many trains and stations the sections hold at most: their
// four-digit indexes' (tests choose fewer, to split small timetables).
struct SectionsLimits {
  std::size_t trains = kMaxTrains;
  std::size_t stations = kMaxStations;
};

// `stations` and `trains` split between the sections and the extension.
// When they fit the sections' limits, the sections hold them all, as
// buildTableLists and buildExtension make them. Else the sections hold the
// first stations up to their limit and the leading trains that call only
// those stations and run on the calendar's sections day, if it has one (up
// to their limit); block 9 of the extension holds the others, in order.
// REQUIRES: as buildTableLists, with station indexes below
// kMaxNetworkStations.
DatabaseParts buildDatabase(std::string header, const std::vector<StationSpec>& stations,
                            const std::vector<TrainSpec>& trains, NetworkSpec network,
                            SectionCalls sectionCalls = SectionCalls::kAllowedRides,
                            SectionsLimits limits = {});

// How many of `trains` (and `stations`) buildDatabase puts in the sections.
struct SectionsShare {
  std::size_t trains = 0;
  std::size_t stations = 0;
};
SectionsShare sectionsShare(const std::vector<StationSpec>& stations,
                            const std::vector<TrainSpec>& trains, const ServiceCalendar& calendar,
                            SectionsLimits limits = {});

// The tables of buildTableLists(header, stations, trains).
TimetableDb buildTimetable(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains);

// The 16-byte record of one stop (18 bytes with six-digit indexes).
std::string stopRecord(const StopSpec& stop, int32_t indexDigits = kIndexDigits);

// The 6-byte record of train `train` calling as its stop `position` (8
// bytes with six-digit indexes).
std::string callRecord(int32_t train, int32_t position, int32_t indexDigits = kIndexDigits);

}  // namespace murlo

#endif  // MURLO_DB_TIMETABLE_BUILDER_H_
