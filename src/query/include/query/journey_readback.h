// The journeys the profile search (profile_search.h) finds, read back from
// its labels: a label says how it was reached, by a ride or as a copy of the
// round below, and for a ride the node whose label of the round before it
// was boarded from.
#ifndef MURLO_QUERY_JOURNEY_READBACK_H_
#define MURLO_QUERY_JOURNEY_READBACK_H_

#include <cstdint>

#include "db/indexes.h"
#include "query/journey.h"
#include "query/profile_state.h"

namespace murlo {

// The journey of `round`'s label at `destination`, departing at
// `departure`, ride by ride from the origin. REQUIRES: every label it passes
// was set in the iteration that departs at `departure`.
Journey readJourneyBack(const ProfileState& state, NodeIndex destination, int32_t round,
                        int32_t departure);

}  // namespace murlo

#endif  // MURLO_QUERY_JOURNEY_READBACK_H_
