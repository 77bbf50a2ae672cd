// The journeys the profile search (profile_search.h) finds, read back from
// its labels: a label says how it was reached, by a ride or as a copy of the
// round below, and for a ride the node whose label of the round before it
// was boarded from (without rules, the station of its boarding stop).
#ifndef MURLO_QUERY_JOURNEY_READBACK_H_
#define MURLO_QUERY_JOURNEY_READBACK_H_

#include <cstdint>
#include <span>

#include "db/indexes.h"
#include "query/journey.h"
#include "query/profile_state.h"
#include "query/train_runs.h"

namespace murlo {

// The journey of `round`'s label at `destination`, departing at
// `departure`, ride by ride from the origin. REQUIRES: every label it passes
// was set in the iteration that departs at `departure`.
Journey readJourneyBack(const ProfileState& state, const TrainRuns& runs, NodeIndex destination,
                        int32_t round, int32_t departure);

// Whether `journey` alights at a station it has left: one of the origin's
// (role kOriginMember in `roles`, by station), a station a ride was boarded
// at or one a change walked from. The labels keep no journey that does but
// where rules that name trains make it worth it; such a journey is dropped.
bool comesBack(const TrainRuns& runs, std::span<const uint8_t> roles, const Journey& journey);

}  // namespace murlo

#endif  // MURLO_QUERY_JOURNEY_READBACK_H_
