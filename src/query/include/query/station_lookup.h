// Station names by abbreviation prefix.
#ifndef MURLO_QUERY_STATION_LOOKUP_H_
#define MURLO_QUERY_STATION_LOOKUP_H_

#include <string_view>

#include "query/loaded_database.h"
#include "query/query_result.h"

namespace murlo {

// Every station whose abbreviation begins with `prefix` (byte for byte,
// case-sensitive; the empty prefix matches every station), its name followed
// by "|" (in UTF-16, as the loaded database keeps it), in table order. The
// count is the number of names. May throw std::bad_alloc.
Utf16Answer stationsByAbbreviation(const LoadedDatabase& db, std::string_view prefix);

}  // namespace murlo

#endif  // MURLO_QUERY_STATION_LOOKUP_H_
