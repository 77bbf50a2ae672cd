#include "query/trains_at_station.h"

#include <optional>
#include <string>

namespace murlo {

Utf16Answer trainsAtStation(const LoadedDatabase& db, std::string_view name) {
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) return Utf16Answer{kStationNotFound, {}, u'*'};
  Utf16Answer result{0, {}, u'*'};
  const CallList calls = db.tables().callsAt(*station);
  result.pieces.reserve(static_cast<std::size_t>(calls.size()));
  std::string scratch;
  for (int32_t j = 0; j < calls.size(); ++j) {
    // A record that names no train or stop of the tables is corrupt: skipped.
    const CallRecord call = calls[j];
    if (!db.tables().trainCalled(call)) continue;
    const KeptLine line = db.wholeRunLines().line(db.tables(), call.trainIndex(), scratch);
    if (line.text.empty()) continue;
    result.pieces.push_back(line.text);
    ++result.code;
  }
  return result;
}

}  // namespace murlo
