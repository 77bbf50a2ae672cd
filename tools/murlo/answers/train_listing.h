// Train result lines as people read them: in order of departure, times past
// midnight marked, `at` with the times at its station, tables that fit the
// terminal; or written as JSON.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_TRAIN_LISTING_H_
#define MURLO_TOOLS_MURLO_ANSWERS_TRAIN_LISTING_H_

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "answers/json_writer.h"
#include "answers/ride_words.h"
#include "answers/status.h"
#include "answers/train_lines.h"

namespace murlo::tool {

// Which question the lines answer: the time that orders them and the
// columns shown depend on it.
enum class ListKind {
  kAt,      // whole runs, with the times at the station asked about
  kDirect,  // the stretch from the origin to the destination
  kNumber,  // whole runs
  // A board: each call at the station as a line from it to the train's last
  // stop (departures), or from the train's first stop to it (arrivals).
  kDepartures,
  kArrivals,
};

struct ListedTrain {
  TrainLine line;
  // Days after the train set out (0 the same day) of the line's departure
  // and arrival.
  int departureDay = 0;
  int arrivalDay = 0;
  // kAt: the train's call at the station ("-" where not given: its first
  // stop has no arrival, its last no departure).
  std::string atArrival = "-";
  std::string atDeparture = "-";
  int atArrivalDay = 0;
  int atDepartureDay = 0;
  // A board's line: days after the day asked about (0 or 1) of its time at
  // the board's station.
  std::optional<int> boardDay;
  // The ride in the network's own words, where the database has them.
  std::optional<RideWords> words;
};

// The stations of a line as tables show them: the train's boarding and
// alighting stations and its own first and last, each as the network
// writes it where the database says (names_as_written.h).
std::string fromName(const ListedTrain& t);
std::string toName(const ListedTrain& t);
std::string firstName(const ListedTrain& t);
std::string lastName(const ListedTrain& t);

// Orders the trains by the clock time of their departure (kAt: at the
// station, its arrival for a train ending there), the library's order
// among equal times. The day is read from `fromMinute` (0..1439) on: a
// train leaving before that minute comes after those leaving at or after it.
void sortByDeparture(std::vector<ListedTrain>& trains, ListKind kind, int fromMinute = 0);

// The lines of a board with their days counted from the day asked about
// rather than from the day each train set out, as a board shows them: a
// train that set out the day before shows a time on the day asked
// unmarked, and one before it as -1.
std::vector<ListedTrain> daysFromBoardDay(std::vector<ListedTrain> trains, ListKind kind);

// What +N and -N mean in an answer to a question asked for a time of day
// (boards and journeys): one line, printed under the table when a time in
// it is marked.
void printDayAskedNote(std::ostream& out, bool dayBefore);
// Whether a board line's times, counted from the day asked, are marked.
bool hasDayMarks(const std::vector<ListedTrain>& trains);

// The columns a table may show for `kind`, by name, in their order.
std::vector<std::string> columnNames(ListKind kind);

struct TableLayout {
  // Column names to show, in their order (--columns); empty: all that fit.
  std::vector<std::string> columns;
  bool fares = true;      // false: no fare columns (--no-fares)
  std::size_t width = 0;  // the width to fit, 0 for no limit
};

// The columns of `list` (a comma-separated --columns value) checked against
// columnNames(kind); a kBadParameter status for an unknown one.
Result<std::vector<std::string>> parseColumns(ListKind kind, std::string_view list);

// One row per train. Without chosen columns, those least needed are left
// out one by one until the table fits the width: the sleeper and soft-seat
// fares, the train's own first and last stations, class, hard-seat fare,
// duration and index; never the train and its times.
void printTrainTable(const std::vector<ListedTrain>& trains, ListKind kind,
                     const TableLayout& layout, std::ostream& out);

// A network's own fare in JSON: {"amount": 1075, "currency": "USD",
// "digits": 2, "text": "$10.75"} (the amount in minor units), or null.
void writeNetworkFare(JsonWriter& json, const std::optional<NetworkFare>& fare);

// A JSON train object; a JSON array of them.
void writeTrainJson(JsonWriter& json, const ListedTrain& train, ListKind kind);
void writeTrainsJson(JsonWriter& json, const std::vector<ListedTrain>& trains, ListKind kind);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_TRAIN_LISTING_H_
