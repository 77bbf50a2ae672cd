#include "query/station_lookup.h"

namespace murlo {

QueryResult stationsByAbbreviation(const LoadedDatabase& db, std::string_view prefix) {
  QueryResult result;
  for (const StationIndex station :
       db.indexes().stationsWithAbbreviationPrefix(db.tables(), prefix)) {
    result.text.append(*db.tables().stationName(station));
    result.text += '|';
    ++result.code;
  }
  return result;
}

}  // namespace murlo
