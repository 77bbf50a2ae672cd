// The journeys worth taking between two stations over a day of departures.
//
// Every journey that departs in [after, after + 1440) and that no other such
// journey dominates: J dominates J' when J departs no earlier, arrives no
// later and has no more rides, and is strictly better in one of the three.
// One journey for each such (departure, arrival, rides) triple.
//
// The search is round-based (round r finds the journeys of at most r rides)
// over the trains' runs (train_runs.h), with the departures from the origin
// taken from the latest to the earliest: what a later departure reaches stays
// a bound on what an earlier one must beat, so each departure only explores
// what it improves, and a triple is found exactly when its departure beats
// every later one at its number of rides and its arrival beats every journey
// with fewer rides departing as late.
#ifndef MURLO_QUERY_PROFILE_SEARCH_H_
#define MURLO_QUERY_PROFILE_SEARCH_H_

#include <vector>

#include "db/indexes.h"
#include "query/journey.h"
#include "query/loaded_database.h"

namespace murlo {

// The non-dominated journeys from `origin` to `destination` (station
// indexes, different) for `request`, ordered by departure, then arrival, then
// rides; at most request.limit of them (0: all). Where several journeys share
// a triple, the one written is the first the search finds, which depends on
// the arguments and the tables alone. REQUIRES: request.valid(). May throw
// std::bad_alloc (the first plan of a database makes the trains' runs).
//
// With a limit, the departures are searched in chunks from the earliest,
// each twice as long as the one before, until enough journeys are found: of
// time (the first an hour for each journey asked for and one more), or, when
// `firstChunk` is not 0, of that many departure minutes first (for tests).
std::vector<Journey> paretoJourneys(const LoadedDatabase& db, StationIndex origin,
                                    StationIndex destination, const JourneyRequest& request,
                                    std::size_t firstChunk = 0);

}  // namespace murlo

#endif  // MURLO_QUERY_PROFILE_SEARCH_H_
