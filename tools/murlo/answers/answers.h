// murlo's questions, put to the loaded database through the C interface,
// and their answers as data: what the query commands print and what murlo
// serve sends. A question that cannot be answered gives a Status that says
// why, in words for a person and as a kind for a program.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_ANSWERS_H_
#define MURLO_TOOLS_MURLO_ANSWERS_ANSWERS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "answers/database_handle.h"
#include "answers/library_calls.h"
#include "answers/names_as_written.h"
#include "answers/parameters.h"
#include "answers/station_match.h"
#include "answers/status.h"
#include "answers/train_lines.h"
#include "answers/train_listing.h"

namespace murlo::tool {

// How much of an answer to make: the library's text alone (--raw), or its
// fields too.
enum class Detail { kText, kFields };

// The order of a train list: by departure, from `fromMinute` (0..1439) on
// round the clock (trains leaving before it come last), or the library's.
struct TrainOrder {
  bool byDeparture = true;
  int fromMinute = 0;
  // The time was asked for (murlo direct --at, the API's `at`): the answer
  // names it as its `at`.
  bool timeAsked = false;
};

// The arguments of a question as its JSON names them, in order.
using Subject = std::vector<std::pair<std::string, std::string>>;

struct HeaderAnswer {
  std::string header;
  // kFields: the timetable's period (both MURLO_NO_DATE without a
  // calendar), its time zone ("" where the database does not say) and the
  // date and the minute of the day it is now there.
  int32_t firstDate = MURLO_NO_DATE;
  int32_t lastDate = MURLO_NO_DATE;
  std::string timeZone;
  int32_t today = MURLO_NO_DATE;
  int nowMinute = 0;
};

struct StationsAnswer {
  std::string abbreviation;
  std::optional<std::string> namePart;          // --name
  std::optional<std::string> alsoAbbreviation;  // the capitals also looked for
  std::vector<StationEntry> stations;           // kFields
  // For each of `stations`, the line whose name --name gave ("4 Lexington
  // Avenue Express"), "" for a station found by its own name.
  std::vector<std::string> byLine;
  std::string text;  // the library's (for the abbreviation)
};

// The stations a station field offers as a person types.
struct TypedStationsAnswer {
  std::string typed;
  std::vector<StationEntry> stations;  // best first
  std::vector<std::string> byLine;     // as StationsAnswer's
  bool more = false;                   // more stations match than are listed
};

struct TrainsAnswer {
  ListKind kind = ListKind::kAt;
  Subject subject;
  int32_t count = 0;                        // the library's result
  std::string text;                         // the library's
  std::vector<ListedTrain> trains;          // kFields, in the order asked for
  std::vector<std::string> changeStations;  // kDirect without a train (kFields)
  NamesAsWritten written;                   // of the subject's and change stations (kFields)
};

struct StopsAnswer {
  uint32_t train = 0;
  std::optional<std::string> from;  // the journey marked, when given
  std::optional<std::string> to;
  int32_t count = 0;  // stops
  std::string runTime;
  std::string text;             // the library's stop list
  std::vector<StopLine> stops;  // kFields, with their days
  // kFields with a journey: whether the train calls at `from` and after it
  // at `to`, so that it can take the journey.
  std::optional<bool> runsFromTo;
  NamesAsWritten written;  // of `from`, `to` and the stops (kFields)
};

// murlo's defaults for the numbers of a journey question (their ranges are
// in parameters.h): what a traveller expects when not asked.
inline constexpr int kDefaultChanges = 3;
inline constexpr int kDefaultChangeMinutes = 10;
inline constexpr int kDefaultJourneys = 10;
inline constexpr int kDefaultBoardLines = 20;

// A departure or arrival board: the calls at a station in order of their
// time there, from a minute of the day on round the clock.
struct BoardAnswer {
  ListKind kind = ListKind::kDepartures;  // or kArrivals
  std::string station;
  int atMinute = 0;
  int32_t limit = 0;                // 0: every call
  int32_t date = MURLO_NO_DATE;     // YYYYMMDD, the date asked for
  int32_t count = 0;                // the library's result
  std::string text;                 // the library's
  std::vector<ListedTrain> trains;  // kFields, in the library's order
  NamesAsWritten written;           // of `station` (kFields)
};

// What the time of a journey question asks for.
enum class JourneyTime {
  kLeaveFrom,    // the journeys leaving at the time or later, the first first
  kLeaveBefore,  // the latest journeys leaving before it (the page before)
  kArriveBy,     // the latest journeys arriving by it
};

// A journey question: from a minute of the day on (or before it, or
// arriving by it), at most `maxChanges` changes of at least `changeMinutes`
// each, at most `limit` journeys (0: the whole day's).
struct PlanQuestion {
  int atMinute = 0;
  JourneyTime time = JourneyTime::kLeaveFrom;
  int maxChanges = kDefaultChanges;
  // At a station without a change time of its own.
  int changeMinutes = kDefaultChangeMinutes;
  // What no change may take less than, whatever the network's rules say:
  // the change time a traveller asked for (0 when not asked).
  int leastChangeMinutes = 0;
  int32_t limit = kDefaultJourneys;
  // The date `atMinute` counts from (YYYYMMDD), or none: every train every
  // day.
  int32_t date = MURLO_NO_DATE;
};

// A walk between two stations at a change (within a station group, or
// along a transfer), and the change's minutes.
struct WalkStep {
  std::string from;
  std::string to;
  int minutes = 0;
};

// One ride of a journey. Its days count from the day asked about (the
// clock of --at), unlike those of its train, which count from the day the
// train set out as in every train list.
struct Ride {
  ListedTrain train;  // the train line from boarding to alighting
  int departureDay = 0;
  int arrivalDay = 0;
  // The walk to the boarding station from where the ride before ended,
  // where the change is between two stations.
  std::optional<WalkStep> walk;
  // The wait at the boarding station after the ride before it arrived (and
  // the walk to it); nothing for the first ride.
  std::optional<int> waitMinutes;
};

struct Journey {
  std::string departure;  // HH:MM
  std::string arrival;    // HH:MM
  int departureDay = 0;   // days after the day asked about (before it: negative)
  int arrivalDay = 0;
  std::string duration;  // HH:MM, hours not reduced
  std::vector<Ride> rides;
  // As a TrainLine's: whether the database uses the built-in tariff, and
  // else the journey's fare where every ride has one in one currency.
  bool builtInFares = true;
  std::optional<NetworkFare> fare;
};

struct PlanAnswer {
  std::string from;
  std::string to;
  PlanQuestion question;
  // The stations with a change time of their own, which a change there
  // takes instead of the question's (kFields).
  int32_t ownChangeTimes = 0;
  int32_t count = 0;              // the library's result
  std::string text;               // the library's
  std::vector<Journey> journeys;  // kFields
  NamesAsWritten written;         // of `from`, `to` and the walks' stations (kFields)
};

// Questions put to the loaded database. `database` is the path loaded (named
// in messages and answers). `stations`, when given, is the loaded database's
// station list kept by the caller (murlo serve makes it once per load);
// otherwise it is asked for when a question needs it.
class Questions {
 public:
  // `handle` is the database's handle; --raw answers (Detail::kText) come
  // from the process's database, which must be the same. `stations`, when
  // given, has the stations' lines (stationEntries with StationLines::kAdded).
  Questions(std::string database, DatabaseHandle handle,
            std::shared_ptr<const std::vector<StationEntry>> stations = nullptr);

  const std::string& database() const { return database_; }
  // What was taken along the way ("taking Harbo_Centr for \"harbour\""),
  // for a command to say.
  const std::vector<std::string>& notes() const { return notes_; }

  Result<HeaderAnswer> header(Detail detail);
  // Stations whose abbreviation begins with `abbreviation` (also in capitals
  // when it has lower-case letters) and, with `namePart`, whose name holds
  // it; after them those of the lines it names (lineNamed).
  Result<StationsAnswer> stations(const std::string& abbreviation,
                                  const std::optional<std::string>& namePart, Detail detail);
  // At most `limit` stations for what a person typed (stationsForTyping).
  Result<TypedStationsAnswer> typedStations(const std::string& typed, std::size_t limit);
  Result<TrainsAnswer> at(const std::string& station, const TrainOrder& order, Detail detail);
  // With a `date` (YYYYMMDD), the trains leaving `from` that day; the
  // answer's subject names it as its `date`.
  Result<TrainsAnswer> direct(const std::string& from, const std::string& to, int32_t mode,
                              const TrainOrder& order, Detail detail, int32_t date = MURLO_NO_DATE);
  Result<TrainsAnswer> number(const std::string& number, const TrainOrder& order, Detail detail);
  // `train` is an index (digits alone) or a number; `from` and `to` both or
  // neither.
  Result<StopsAnswer> stops(const std::string& train, const std::optional<std::string>& from,
                            const std::optional<std::string>& to, Detail detail);
  // The departures from `station` (arrivals at it) from `atMinute` on, at
  // most `limit` (0: all), on `date` (YYYYMMDD) when one is given.
  Result<BoardAnswer> departures(const std::string& station, int atMinute, int32_t limit,
                                 Detail detail, int32_t date = MURLO_NO_DATE);
  Result<BoardAnswer> arrivals(const std::string& station, int atMinute, int32_t limit,
                               Detail detail, int32_t date = MURLO_NO_DATE);
  // The journeys from `from` to `to`, with changes.
  Result<PlanAnswer> plan(const std::string& from, const std::string& to,
                          const PlanQuestion& question, Detail detail);

 private:
  // Where a station group may stand for a station: a journey's ends (the
  // library takes a group's name there), not a one-station list.
  enum class Groups { kRefused, kTaken };
  // The station (or with kTaken the group) `typed` stands for (see
  // matchStation), or why there is none; a group where a station is needed
  // is refused as several stations, its members the candidates.
  Result<std::string> resolve(std::string_view role, std::string_view typed,
                              Groups groups = Groups::kRefused);
  Status unknownStation(std::string_view role, std::string_view typed);
  // The train under the number typed, by its index, or why there is none
  // or which several there are.
  Result<uint32_t> trainByNumber(std::string_view typed);
  // The library's answer for `number`, retried in capitals; `number` becomes
  // the number that answered. Nothing, with `status` saying why, when the
  // library fails.
  Owned<murlo_rides> trainsUnder(std::string& number, std::string_view typed, murlo_status& status);
  Status noNumber();
  Status noTrain(uint32_t train) const;
  Result<BoardAnswer> board(ListKind kind, const std::string& station, int atMinute, int32_t limit,
                            Detail detail, int32_t date);
  const std::vector<StationEntry>* stationList();
  // The same with each station's lines (see StationLines), for a search
  // that may name a line.
  const std::vector<StationEntry>* stationListWithLines();
  // Adds the label of station `name` to `written`, where it has one.
  void noteWritten(NamesAsWritten& written, const std::string& name);
  // `name` as the answers show it: its label where it has one.
  std::string shownStation(const std::string& name);

  std::string database_;
  DatabaseHandle handle_;
  std::shared_ptr<const std::vector<StationEntry>> stations_;
  bool linesAdded_ = false;  // stations_ has the stations' lines
  std::vector<std::string> notes_;
};

// Failures of the library itself.
Status libraryFailure(int32_t code);
Status statusFailure(murlo_status status);
Status unreadableResult();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_ANSWERS_H_
