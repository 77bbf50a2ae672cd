#include "query/station_lookup.h"

namespace murlo {

Utf16Answer stationsByAbbreviation(const LoadedDatabase& db, std::string_view prefix) {
  Utf16Answer result;
  const Utf16StationNames& names = db.utf16StationNames();
  for (const StationIndex station :
       db.indexes().stationsWithAbbreviationPrefix(db.tables(), prefix)) {
    result.pieces.push_back(Utf16Piece{names.nameAndBar(station), {}});
    ++result.count;
  }
  return result;
}

}  // namespace murlo
