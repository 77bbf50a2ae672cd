// Trains by a typed train number.
#ifndef MURLO_QUERY_TRAINS_BY_NUMBER_H_
#define MURLO_QUERY_TRAINS_BY_NUMBER_H_

#include <string_view>

#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/ride_list.h"

namespace murlo {

// Every train that runs under one of 27 forms of the typed `number` (GBK): the
// number itself, with one of the prefixes T L N A K Y Z (each also with the
// suffix A or B), or with D C G in front. A train matches when one of its
// "/"-separated numbers, taken whole, equals a form (or, for a typed number
// holding "/", when "/form/" occurs in "/entry/"). Each matching train gives
// the SegmentLine of its whole run (kept, in UTF-16), once, in train order;
// the count is their number. An empty number finds nothing. May throw
// std::bad_alloc.
Utf16Answer trainsByNumber(const LoadedDatabase& db, std::string_view number);
// The same as data: the whole run of each train.
RideList trainsByNumberRides(const LoadedDatabase& db, std::string_view number);

}  // namespace murlo

#endif  // MURLO_QUERY_TRAINS_BY_NUMBER_H_
