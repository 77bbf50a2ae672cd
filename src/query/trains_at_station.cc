#include "query/trains_at_station.h"

#include "db/lookup_indexes.h"
#include "db/records.h"
#include "present/segment_line.h"

namespace murlo {

QueryResult trainsAtStation(const TimetableDb& db, std::string_view name) {
  const int32_t station = findStation(db, name);
  if (station < 0) return QueryResult{kStationNotFound, {}};
  QueryResult result;
  const CallList calls(db.stationCallLists.at_or_empty(static_cast<std::size_t>(station)));
  for (int32_t j = 0; j < calls.size(); ++j) {
    const std::string line = buildSegmentLine(db, calls[j].trainIndex(), 0, 0, 0);
    if (line.empty()) continue;
    result.text += line;
    result.text += '*';
    ++result.code;
  }
  return result;
}

}  // namespace murlo
