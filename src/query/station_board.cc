#include "query/station_board.h"

#include <algorithm>
#include <optional>

#include "db/file_format.h"
#include "db/network_rules.h"
#include "query/usable_call.h"

namespace murlo {
namespace {

// Each train's departure from its first stop (minute of the day) in a view
// whose trains are not numbered in the order they leave: a wide network
// view with a calendar numbers the trains of the sections' day first and
// the others (block 9's) after them. Empty where the trains' numbers are the
// order (every other file, one without dates as it always was).
std::vector<int16_t> firstDepartures(const TimetableDb& db) {
  std::vector<int16_t> first;
  const NetworkRules* rules = db.networkRules();
  if (db.indexDigits() == kIndexDigits || rules == nullptr || rules->extension().calendar.empty()) {
    return first;
  }
  first.assign(static_cast<std::size_t>(db.indexableTrains()), 0);
  for (TrainIndex t(0); t.value() < db.indexableTrains(); ++t) {
    const std::optional<StopList> stops = db.stopsOf(t);
    if (stops && stops->size() > 0) {
      first[t.slot()] =
          static_cast<int16_t>(minuteOfDay((*stops)[StopPosition(0)].departureMinutes()));
    }
  }
  return first;
}

}  // namespace

StationBoard::StationBoard(const TimetableDb& db, BoardKind kind) {
  // Only the stations a stop record can name have usable calls.
  const int32_t stations = db.indexableStations();
  UsableCalls usable(db);
  begins_.reserve(static_cast<std::size_t>(stations) + 1);
  std::vector<BoardKeyBits> keys;  // grown call by call, then kept at its size
  // Trains of one minute by the time of day they leave their first stops
  // (as a file of one day numbers them), then by index.
  const std::vector<int16_t> first = firstDepartures(db);
  const auto listed = [&first](BoardKeyBits a, BoardKeyBits b) {
    if (BoardKey::minute(a) != BoardKey::minute(b)) return a < b;
    const int16_t leaves = first[BoardKey::train(a).slot()];
    const int16_t leavesB = first[BoardKey::train(b).slot()];
    return leaves != leavesB ? leaves < leavesB : a < b;
  };
  for (StationIndex s(0); s.value() < stations; ++s) {
    const std::size_t begin = keys.size();
    begins_.push_back(static_cast<uint32_t>(begin));
    const CallList calls = db.callsAt(s);
    for (int32_t j = 0; j < calls.size(); ++j) {
      const std::optional<UsableCall> call = usable.of(s, calls[j]);
      if (!call) continue;
      const StopRecord stop = call->stops[call->stop];
      if (kind == BoardKind::kDepartures ? call->canBoard() : call->canLeave()) {
        const int32_t minute =
            kind == BoardKind::kDepartures ? stop.departureMinutes() : stop.arrivalMinutes();
        keys.push_back(BoardKey::make(minute, call->train, call->stop));
      }
    }
    if (first.empty()) {
      std::sort(keys.begin() + static_cast<std::ptrdiff_t>(begin), keys.end());
    } else {
      std::sort(keys.begin() + static_cast<std::ptrdiff_t>(begin), keys.end(), listed);
    }
    keys.erase(std::unique(keys.begin() + static_cast<std::ptrdiff_t>(begin), keys.end()),
               keys.end());
  }
  begins_.push_back(static_cast<uint32_t>(keys.size()));
  // A copy rather than shrink_to_fit, which may ignore a failed allocation.
  keys_.assign(keys.begin(), keys.end());
}

std::size_t StationBoard::bytes() const {
  return begins_.capacity() * sizeof(uint32_t) + keys_.capacity() * sizeof(BoardKeyBits);
}

}  // namespace murlo
