// The direct trains between two stations by the plain algorithm: the
// reference that the comparative tests hold the direct-trains query to.
#ifndef MURLO_TESTS_SUPPORT_REFERENCE_DIRECT_TRAINS_H_
#define MURLO_TESTS_SUPPORT_REFERENCE_DIRECT_TRAINS_H_

#include <cstdint>
#include <string_view>

#include "db/timetable_db.h"
#include "query/query_result.h"

namespace murlo::test {

// The answer of the direct-trains question (or the change stations it
// proposes), found by scanning the tables: call records that name no train
// or no stop of their train are left out, as are stops at stations outside
// the station table.
QueryResult directTrainsByScan(const TimetableDb& db, std::string_view origin,
                               std::string_view destination, int32_t mode);

}  // namespace murlo::test

#endif  // MURLO_TESTS_SUPPORT_REFERENCE_DIRECT_TRAINS_H_
