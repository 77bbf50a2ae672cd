// The work behind both kinds of export: convert the arguments, run the query
// on the current database, deliver the result into capacity-checked buffers.
// The legacy x01... exports pass an unlimited capacity.
#ifndef MURLO_API_QUERY_CALLS_H_
#define MURLO_API_QUERY_CALLS_H_

#include <cstddef>
#include <cstdint>

#include "murloppc.h"

namespace murlo {

// Where one result text goes.
struct Output {
  murlo_char16* buffer;  // NULL: nothing is written
  std::size_t capacity;  // code units, terminator included
  std::size_t* needed;   // may be NULL
  // The seven operations answer from a file's sections alone; the others
  // from its network view (LoadedDatabase::network()).
  bool sectionsOnly = false;
};

// A capacity the caller does not state: the legacy exports' contract.
inline constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);

// Each returns the export's result; none throws.
int32_t callHeaderText(Output out) noexcept;
int32_t callFindStations(const murlo_char16* abbreviation, Output out) noexcept;
int32_t callStationList(Output out) noexcept;
int32_t callTrainsAtStation(const murlo_char16* station, Output out) noexcept;
int32_t callDirectTrains(const murlo_char16* origin, const murlo_char16* destination, int32_t mode,
                         Output out) noexcept;
int32_t callTrainStops(uint32_t trainIndex, const murlo_char16* boarding,
                       const murlo_char16* alighting, Output stopList, Output runTime) noexcept;
int32_t callTrainsByNumber(const murlo_char16* number, Output out) noexcept;
int32_t callDepartures(const murlo_char16* station, int32_t afterMinute, int32_t limit,
                       Output out) noexcept;
int32_t callArrivals(const murlo_char16* station, int32_t afterMinute, int32_t limit,
                     Output out) noexcept;
int32_t callPlanJourneys(const murlo_char16* origin, const murlo_char16* destination,
                         int32_t afterMinute, int32_t maxChanges, int32_t minChangeMinutes,
                         int32_t limit, Output out) noexcept;
int32_t callLoadDatabase(const murlo_char16* path) noexcept;

}  // namespace murlo

#endif  // MURLO_API_QUERY_CALLS_H_
