// The plain scans that the lookup indexes replace: the references that the
// comparative tests hold the indexes to.
#ifndef MURLO_TESTS_SUPPORT_REFERENCE_LOOKUPS_H_
#define MURLO_TESTS_SUPPORT_REFERENCE_LOOKUPS_H_

#include <optional>
#include <string_view>
#include <vector>

#include "db/timetable_db.h"

namespace murlo::test {

// The first station whose name equals `name`, by a scan of every station.
std::optional<StationIndex> findStationByScan(const TimetableDb& db, std::string_view name);

// Every station with a name whose abbreviation begins with `prefix`, in
// table order.
std::vector<StationIndex> stationsWithPrefixByScan(const TimetableDb& db, std::string_view prefix);

// Every train whose "/entry/" holds one of the 27 forms of the typed number
// as "/form/" (the number itself; with T L N A K Y Z in front, each also
// with A or B after it; with D C G in front), in train order.
std::vector<TrainIndex> trainsWithNumberByScan(const TimetableDb& db, std::string_view number);

}  // namespace murlo::test

#endif  // MURLO_TESTS_SUPPORT_REFERENCE_LOOKUPS_H_
