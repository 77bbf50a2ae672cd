#include "query/station_list.h"

#include <algorithm>

namespace murlo {

QueryResult stationList(const TimetableDb& db) {
  const auto stations = std::min<std::size_t>(
      static_cast<std::size_t>(std::max(db.stationCount, 0)), db.stationNames.size());
  QueryResult result;
  for (std::size_t s = 0; s < stations; ++s) {
    result.text.append(db.stationNames[s]);
    result.text += '|';
    if (s < db.stationAbbreviations.size()) result.text.append(db.stationAbbreviations[s]);
    result.text += '*';
  }
  result.code = static_cast<int32_t>(stations);
  return result;
}

}  // namespace murlo
