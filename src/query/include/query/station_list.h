// Every station with its abbreviation, for hosts that list or search
// stations themselves.
#ifndef MURLO_QUERY_STATION_LIST_H_
#define MURLO_QUERY_STATION_LIST_H_

#include "query/loaded_database.h"
#include "query/query_result.h"

namespace murlo {

// Every station in table order as NAME "|" ABBREVIATION "*" (the
// abbreviation empty where the tables hold fewer abbreviations than names).
// The count is the number of stations. May throw std::bad_alloc.
QueryResult stationList(const LoadedDatabase& db);

}  // namespace murlo

#endif  // MURLO_QUERY_STATION_LIST_H_
