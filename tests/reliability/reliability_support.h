// Shared by the reliability tests: a small network to break, in-memory list
// edits, a guard against hangs, and the checks that every query keeps the
// rules for bad data.
#ifndef MURLO_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H_
#define MURLO_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H_

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "db/timetable_builder.h"
#include "db/timetable_db.h"
#include "db/writer.h"
#include "murloppc.h"
#include "query/loaded_database.h"
#include "support/test_support.h"

namespace murlo::reliability {

// Five stations and four trains (all text GBK):
//   0 北京 BJ, 1 天津 TJ, 2 济南 JN, 3 南京 NJ, 4 上海 SH;
//   train 0 "T1/T2" 北京 08:00 - 天津 09:30/09:32 - 济南 12:00 (0, 137, 497 km);
//   train 1 "K5"    天津 23:30 - 北京 01:05 (137 km);
//   train 2 "G7"    济南 10:00 - 南京 13:00/13:05 - 上海 15:00 (0, 617, 918 km);
//   train 3 "D9/D10" 北京 07:00 - 济南 09:00/09:10 - 上海 13:00 (0, 406, 1325 km).
// 北京 to 上海 has one direct train (3); 天津 to 上海 none, with 济南 as the
// change station.
std::vector<StationSpec> baseStations();
std::vector<TrainSpec> baseTrains();
TimetableDb baseDb();
PlainSections basePlain();

// Station names in GBK, by index in the base network.
std::string stationName(int station);

using test::entriesOf;
using test::listOf;

// Aborts the process, naming `what`, when the scope lasts longer than `limit`:
// a query that hangs on bad data fails the run instead of stalling it.
class HangGuard {
 public:
  HangGuard(std::string what, std::chrono::seconds limit);
  ~HangGuard();
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread watcher_;
};

// Runs every query on `db` with every station name of the tables (and names
// that are in none), every train index from -1 to past the tables and every
// train number, and checks the rules for bad data with gtest expectations:
// results are counts or the query's own negative codes; a count equals the
// lines of its text and every line has its fields; journeys are those of the
// exhaustive search (tests/support/reference_journeys.h), each travelled by
// the rules; a stop-list query that
// gives 0 lines has an empty stop list, and a running time exactly when the
// train has two whole stop records; and the whole-run lines the queries kept
// are those the tables give. Returns the number of queries run.
int expectEveryQueryKeepsTheRules(const LoadedDatabase& db);

// The structured answer in `*answer` written out field by field, or
// "status N" when `status` is not MURLO_STATUS_OK (then `*answer` must be
// NULL); the answer is freed. Two answers are equal exactly when their
// descriptions are. (`answer` is read after `status` is made, whatever the
// order in which a call's arguments are evaluated.)
std::string describeAndFree(murlo_status status, murlo_stations** answer);
std::string describeAndFree(murlo_status status, murlo_rides** answer);
std::string describeAndFree(murlo_status status, murlo_stops** answer);
std::string describeAndFree(murlo_status status, murlo_journeys** answer);

// What the text export of the same question returns: the answer's count
// (stations, rides, stops or journeys) on MURLO_STATUS_OK, else the export's
// negative code for the status (-1 an unknown station or origin, -2 an unknown
// destination, -3 the same station, MURLO_INVALID_ARGUMENT,
// MURLO_OUT_OF_MEMORY; 0 for an unknown train). `*answer` is freed.
int32_t textCodeAndFree(murlo_status status, murlo_stations** answer);
int32_t textCodeAndFree(murlo_status status, murlo_rides** answer);
int32_t textCodeAndFree(murlo_status status, murlo_stops** answer);
int32_t textCodeAndFree(murlo_status status, murlo_journeys** answer);

}  // namespace murlo::reliability

#endif  // MURLO_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H_
