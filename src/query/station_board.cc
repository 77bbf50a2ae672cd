#include "query/station_board.h"

#include <algorithm>

#include "db/file_format.h"
#include "query/usable_call.h"

namespace murlo {

StationBoard::StationBoard(const TimetableDb& db, BoardKind kind) {
  // Only the stations a stop record can name have usable calls.
  const int32_t stations = db.indexableStations();
  UsableCalls usable(db);
  begins_.reserve(static_cast<std::size_t>(stations) + 1);
  std::vector<BoardKeyBits> keys;  // grown call by call, then kept at its size
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
    std::sort(keys.begin() + static_cast<std::ptrdiff_t>(begin), keys.end());
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
