#include "query/boards.h"

#include <algorithm>
#include <optional>
#include <span>

#include "db/day_rollover.h"
#include "query/station_board.h"
#include "query/train_lines.h"

namespace murlo {
namespace {

QueryResult board(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                  int32_t limit, BoardKind kind) {
  if (!validBoardArguments(afterMinute, limit)) return QueryResult{kInvalidArgument, {}};
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) return QueryResult{kStationNotFound, {}};
  const StationBoard& stationBoard =
      kind == BoardKind::kDepartures ? db.departureBoard() : db.arrivalBoard();
  const std::span<const uint32_t> calls = stationBoard.calls(*station);

  // The keys ascend by time of day: the board starts at the first call at or
  // after `afterMinute` and wraps around to the calls before it.
  const auto start = static_cast<std::size_t>(
      std::lower_bound(calls.begin(), calls.end(),
                       BoardKey::make(afterMinute, TrainIndex(0), StopPosition(0))) -
      calls.begin());
  const std::size_t wanted =
      limit == 0 ? calls.size() : std::min(calls.size(), static_cast<std::size_t>(limit));
  QueryResult result;
  for (std::size_t i = 0; i < wanted; ++i) {
    const uint32_t key = calls[(start + i) % calls.size()];
    const TrainIndex train = BoardKey::train(key);
    const StopPosition stop = BoardKey::stop(key);
    // Boarded here, the line runs to the last stop (to 0); left here, it runs
    // from the first, and is the whole run (0 and 0) when this is the last.
    bool written = false;
    if (kind == BoardKind::kDepartures) {
      written = appendTrainLine(result.text, db, train, stop, StopPosition(0), 0);
    } else {
      const bool last = db.tables().stopsOf(train)->last() == stop;
      written = appendTrainLine(result.text, db, train, StopPosition(0),
                                last ? StopPosition(0) : stop, 0);
    }
    if (written) ++result.code;
  }
  return result;
}

}  // namespace

bool validBoardArguments(int32_t afterMinute, int32_t limit) {
  return afterMinute >= 0 && afterMinute < kMinutesPerDay && limit >= 0;
}

QueryResult departureBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                           int32_t limit) {
  return board(db, name, afterMinute, limit, BoardKind::kDepartures);
}

QueryResult arrivalBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                         int32_t limit) {
  return board(db, name, afterMinute, limit, BoardKind::kArrivals);
}

}  // namespace murlo
