#include "query/station_lookup.h"

#include "db/lookup_indexes.h"

namespace murlo {

QueryResult stationsByAbbreviation(const TimetableDb& db, std::string_view prefix) {
  QueryResult result;
  for (const int32_t station : stationsWithAbbreviationPrefix(db, prefix)) {
    const auto s = static_cast<std::size_t>(station);
    if (s >= db.stationNames.size()) continue;  // more abbreviations than names
    result.text.append(db.stationNames[s]);
    result.text += '|';
    ++result.code;
  }
  return result;
}

}  // namespace murlo
