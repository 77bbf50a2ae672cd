#include "query/station_list.h"

namespace murlo {

QueryResult stationList(const LoadedDatabase& db) {
  const TimetableDb& tables = db.tables();
  QueryResult result;
  for (StationIndex s(0); s.value() < tables.stationCount(); ++s) {
    result.text.append(*tables.stationName(s));
    result.text += '|';
    result.text.append(tables.stationAbbreviation(s).value_or(std::string_view()));
    result.text += '*';
  }
  result.count = tables.stationCount();
  return result;
}

}  // namespace murlo
