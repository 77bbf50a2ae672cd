// The baseline: the same timetable in an in-memory SQLite database with the
// schema and indexes one would write for it, answering the five questions.
//
//   stations(id PRIMARY KEY, name, abbreviation)   indexes on name, abbreviation
//   trains(id PRIMARY KEY, number, class_code, column_code, rate_code, stop_count)
//   stops(train, seq, station, arrival, departure, km)
//                              PRIMARY KEY (train, seq), index on (station, train, seq)
//   train_numbers(number, train)   PRIMARY KEY (number, train): one row per number
//   departures(station, minute, train, seq)
//                              PRIMARY KEY (station, minute, train, seq): one row per
//                              stop a train can be boarded at, by its departure time
//                              of day (the departure board's index)
//
// Times are stored as minutes from the start of the train's run (past 1440
// after midnight), so a journey time is one subtraction. SQL finds the rows,
// with prepared statements; the result text is written from the returned
// values with the library's own fare, class-name and time formatting, so both
// sides write the same bytes. Names are GBK blobs, compared byte for byte as
// the library does.
#ifndef MURLO_BENCH_SQLITE_BASELINE_H_
#define MURLO_BENCH_SQLITE_BASELINE_H_

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "query/query_result.h"
#include "query/train_stop_list.h"
#include "timetable_source/timetable_source.h"

namespace murlo::bench {

class SqliteTimetable {
 public:
  // Imports `timetable`, builds the indexes and runs ANALYZE. Throws
  // std::runtime_error with SQLite's message on any failure.
  explicit SqliteTimetable(const source::Timetable& timetable);
  ~SqliteTimetable();
  SqliteTimetable(const SqliteTimetable&) = delete;
  SqliteTimetable& operator=(const SqliteTimetable&) = delete;

  // The five questions, with the library's results (GBK in and out).
  QueryResult stationsByAbbreviation(std::string_view prefix);
  QueryResult trainsAtStation(std::string_view name);
  QueryResult directTrains(std::string_view origin, std::string_view destination, int32_t mode);
  StopListResult trainStopList(int64_t train, std::string_view boarding,
                               std::string_view alighting);
  // REQUIRES: `number` holds no "/".
  QueryResult trainsByNumber(std::string_view number);
  // The departure board of a station (the library's departureBoard).
  QueryResult departures(std::string_view station, int32_t afterMinute, int32_t limit);

  // SQLite's plan for each statement, for the report.
  std::string queryPlans();

  // With formatting off the queries still find and read every row, but write
  // no result text: what SQL alone costs. (Codes are still counted.)
  void setFormatting(bool on) { formatting_ = on; }
  uint64_t sink() const { return sink_; }

 private:
  class Statement;

  int32_t findStation(std::string_view name);
  std::string changeStations(int32_t origin, int32_t destination);

  template <typename Fields>
  void absorb(const Fields& fields);

  sqlite3* db_ = nullptr;
  bool formatting_ = true;
  uint64_t sink_ = 0;  // what rows-only runs read, so that nothing is skipped
  std::unique_ptr<Statement> findStation_;
  std::unique_ptr<Statement> stationsByPrefix_;
  std::unique_ptr<Statement> allStations_;
  std::unique_ptr<Statement> trainsAt_;
  std::unique_ptr<Statement> direct_;
  std::unique_ptr<Statement> onward_;
  std::unique_ptr<Statement> feeders_;
  std::unique_ptr<Statement> stopList_;
  std::unique_ptr<Statement> byNumber_;
  std::unique_ptr<Statement> departuresFrom_;
  std::unique_ptr<Statement> departuresBefore_;
};

}  // namespace murlo::bench

#endif  // MURLO_BENCH_SQLITE_BASELINE_H_
