#include "query/boards.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "db/day_rollover.h"
#include "query/run_days.h"
#include "query/station_board.h"

namespace murlo {

RideList boardRides(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                    int32_t limit, BoardKind kind, std::optional<CivilDay> date) {
  RideList answer;
  if (!validBoardArguments(afterMinute, limit)) {
    answer.status = QueryStatus::kArgumentOutOfRange;
    return answer;
  }
  const RunDays days(db.tables(), date, answer.status);
  if (answer.status != QueryStatus::kOk) return answer;
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) {
    answer.status = QueryStatus::kUnknownStation;
    return answer;
  }
  const StationBoard& stationBoard =
      kind == BoardKind::kDepartures ? db.departureBoard() : db.arrivalBoard();
  const std::span<const BoardKeyBits> calls = stationBoard.calls(*station);

  // The keys ascend by time of day: the board starts at the first call at or
  // after `afterMinute` and wraps around to the calls before it.
  const auto start = static_cast<std::size_t>(
      std::lower_bound(calls.begin(), calls.end(),
                       BoardKey::make(afterMinute, TrainIndex(0), StopPosition(0))) -
      calls.begin());
  const std::size_t wanted =
      limit == 0 ? calls.size() : std::min(calls.size(), static_cast<std::size_t>(limit));
  answer.rides.reserve(wanted);
  // Every day, the first `wanted` calls (a call the tables give no line
  // takes its place); for a date, as many calls as it takes.
  const std::size_t scanned = days.everyDay() ? wanted : calls.size();
  for (std::size_t i = 0; i < scanned && answer.rides.size() < wanted; ++i) {
    const BoardKeyBits key = calls[(start + i) % calls.size()];
    const TrainIndex train = BoardKey::train(key);
    const StopPosition stop = BoardKey::stop(key);
    const std::optional<StopList> stops = db.tables().stopsOf(train);
    if (!stops) continue;  // the tables give such a train no line
    if (!days.everyDay()) {
      // The call at its time within the board's day, and the run it is of.
      const int32_t minute = afterMinute + minuteOfDay(BoardKey::minute(key) - afterMinute);
      const int64_t runMinute = kind == BoardKind::kDepartures ? runMinuteOfDeparture(*stops, stop)
                                                               : runMinuteOfArrival(*stops, stop);
      if (!days.runs(train, runDayOf(minute) - runDayOf(runMinute))) continue;
    }
    // Boarded here, the ride runs to the last stop; left here, from the first.
    answer.rides.push_back(kind == BoardKind::kDepartures ? Ride{train, stop, stops->last()}
                                                          : Ride{train, StopPosition(0), stop});
  }
  return answer;
}

namespace {

Utf16Answer board(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                  int32_t limit, BoardKind kind) {
  const RideList answer = boardRides(db, name, afterMinute, limit, kind);
  if (answer.status != QueryStatus::kOk) {
    return Utf16Answer{.status = answer.status, .terminator = u'*'};
  }
  return ridesAsLines(db, answer.rides);
}

}  // namespace

bool validBoardArguments(int32_t afterMinute, int32_t limit) {
  return afterMinute >= 0 && afterMinute < kMinutesPerDay && limit >= 0;
}

Utf16Answer departureBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                           int32_t limit) {
  return board(db, name, afterMinute, limit, BoardKind::kDepartures);
}

Utf16Answer arrivalBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                         int32_t limit) {
  return board(db, name, afterMinute, limit, BoardKind::kArrivals);
}

}  // namespace murlo
