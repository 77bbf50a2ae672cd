// A whole import: a feed's trips of one date, or of a period with the days
// each runs, as timetable source and as a database file, checked by the
// source parser so that nothing breaking the format's rules is ever written.
#ifndef MURLO_GTFS_IMPORTER_H_
#define MURLO_GTFS_IMPORTER_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "db/service_calendar.h"
#include "gtfs/fare_import.h"
#include "gtfs/feed_loader.h"
#include "gtfs/import_report.h"
#include "gtfs/progress.h"
#include "gtfs/station_network.h"
#include "gtfs/station_table.h"
#include "gtfs/trip_runs.h"

namespace murlo::gtfs {

// Which days an import takes.
enum class ImportDays {
  kOneDate,    // the trips of filter.date, without a calendar (as before calendars)
  kRange,      // those of filter.date to filter.lastDate, with their calendar
  kFeedPeriod  // those of every date the feed's trips run on, with their calendar
};

struct ImportOptions {
  std::string feed;  // a folder or a zip file
  FeedFilter filter;
  ImportDays days = ImportDays::kOneDate;
  std::optional<char> classCode;  // default: by route type, see defaultClassCode
  char fareColumnCode = '8';      // hard seat only
  char fareRateCode = 'D';        // rate 1.00
  std::string header;             // UTF-8, at most 10 bytes in GBK; for a period,
                                  // "" gives the first date imported, YYYYMMDD
  RunOptions runs;                // which calls trains keep
  StationOptions stations;        // names and abbreviations
};

// The class code of a route type without --class: B (high-speed) for 101,
// 6 (air-conditioned express) for 102, 7 (air-conditioned fast) for 103,
// and 9 (air-conditioned stopping train) for every other type.
char defaultClassCode(int32_t routeType);

// A station whose rides the seven sections hide from hosts that read only
// them: the trains that may be boarded there (left there) for a ride the
// sections leave out. The extension offers them.
struct HiddenRides {
  std::string station;  // UTF-8
  std::size_t trainsFrom = 0;
  std::size_t trainsTo = 0;
};

struct ImportResult {
  std::string source;    // timetable source, UTF-8
  std::string database;  // the database file's bytes
  std::size_t stations = 0;
  std::size_t trains = 0;
  std::size_t stops = 0;               // every call, as the extension holds them
  std::string distances;               // how distances were measured, one phrase
  RunTotals totals;                    // rides offered, trips measured each way
  bool stopCodeAbbreviations = false;  // every abbreviation is the feed's stop_code
  std::vector<HiddenRides> hidden;     // most trains first; none with --all-calls
  NetworkCounts network;               // transfers.txt as written
  bool transfersFile = false;          // the feed has a transfers.txt
  bool extension = false;              // the database has an extension
  FareCounts fares;                    // fare_attributes.txt and fare_rules.txt as kept
  std::string words;                   // what the network's own words kept (wordsPhrase)
  // A period's import: the period asked (the feed's, cut at
  // kMaxCalendarDays when `periodCut`, or the range) and the calendar of the
  // trains written. When the period's trains did not fit the seven sections
  // (`periodTrains` of them, more than kMaxTrains, or more than kMaxStations
  // stations), only its busiest day's trains are written, with a calendar
  // of that one day.
  std::chrono::year_month_day firstDate;
  int32_t dayCount = 0;  // 0: one date, no calendar
  bool periodCut = false;
  std::size_t periodTrains = 0;    // the trains the period needed when it did not fit, else 0
  std::size_t periodStations = 0;  // and the stations
  ServiceCalendar calendar;
  // The trains the seven sections hold, and the trains and stations the
  // extension's block 9 holds besides (a period whose trains do not fit the
  // sections: they hold its busiest day).
  std::size_t sectionsTrains = 0;
  std::size_t moreTrains = 0;
  std::size_t moreStations = 0;
};

// Throws FeedError when the feed cannot be read or no trip runs on the date
// (in the period).
ImportResult importFeed(const ImportOptions& options, ImportReport& report, Progress& progress);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_IMPORTER_H_
