// The size-checked C exports: every output buffer comes with its capacity.
#include "api/query_calls.h"
#include "murloppc.h"

using murlo::Output;

namespace {

// A caller's capacity, kept below the legacy exports' "unlimited" marker so
// that a NULL buffer always means "no room".
Output sized(murlo_char16* buffer, size_t capacity, size_t* needed) {
  if (capacity == murlo::kUnlimited) --capacity;
  return Output{buffer, buffer == nullptr ? 0 : capacity, needed};
}

}  // namespace

extern "C" {

MURLO_EXPORT int32_t murlo_load_database(const murlo_char16* path) {
  return murlo::callLoadDatabase(path);
}

MURLO_EXPORT int32_t murlo_header_text(murlo_char16* output, size_t capacity, size_t* needed) {
  return murlo::callHeaderText(sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_find_stations(const murlo_char16* abbreviation, murlo_char16* output,
                                         size_t capacity, size_t* needed) {
  return murlo::callFindStations(abbreviation, sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_station_list(murlo_char16* output, size_t capacity, size_t* needed) {
  return murlo::callStationList(sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_trains_at_station(const murlo_char16* station, murlo_char16* output,
                                             size_t capacity, size_t* needed) {
  return murlo::callTrainsAtStation(station, sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_direct_trains(const murlo_char16* origin,
                                         const murlo_char16* destination, int32_t mode,
                                         murlo_char16* output, size_t capacity, size_t* needed) {
  return murlo::callDirectTrains(origin, destination, mode, sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_train_stops(uint32_t train_index, const murlo_char16* boarding,
                                       const murlo_char16* alighting, murlo_char16* stop_list,
                                       size_t stop_list_capacity, size_t* stop_list_needed,
                                       murlo_char16* run_time, size_t run_time_capacity,
                                       size_t* run_time_needed) {
  return murlo::callTrainStops(train_index, boarding, alighting,
                               sized(stop_list, stop_list_capacity, stop_list_needed),
                               sized(run_time, run_time_capacity, run_time_needed));
}

MURLO_EXPORT int32_t murlo_trains_by_number(const murlo_char16* number, murlo_char16* output,
                                            size_t capacity, size_t* needed) {
  return murlo::callTrainsByNumber(number, sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_departures(const murlo_char16* station, int32_t after_minute,
                                      int32_t limit, murlo_char16* output, size_t capacity,
                                      size_t* needed) {
  return murlo::callDepartures(station, after_minute, limit, sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_arrivals(const murlo_char16* station, int32_t after_minute,
                                    int32_t limit, murlo_char16* output, size_t capacity,
                                    size_t* needed) {
  return murlo::callArrivals(station, after_minute, limit, sized(output, capacity, needed));
}

MURLO_EXPORT int32_t murlo_plan_journeys(const murlo_char16* origin,
                                         const murlo_char16* destination, int32_t after_minute,
                                         int32_t max_changes, int32_t min_change_minutes,
                                         int32_t limit, murlo_char16* output, size_t capacity,
                                         size_t* needed) {
  return murlo::callPlanJourneys(origin, destination, after_minute, max_changes, min_change_minutes,
                                 limit, sized(output, capacity, needed));
}

}  // extern "C"
