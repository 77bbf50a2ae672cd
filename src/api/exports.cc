// The legacy C exports. Their buffers come without a size: the caller sized
// them for the result, so they are written with an unlimited capacity.
#include "api/query_calls.h"
#include "murloppc.h"

using murlo::kUnlimited;
using murlo::Output;

extern "C" {

MURLO_EXPORT int32_t x01f38d60978350e2(const murlo_char16* path) {
  return murlo::callLoadDatabase(path);
}

MURLO_EXPORT int32_t x01o23jow83032hwe31h(murlo_char16* output) {
  // Always 1: ten header bytes need no memory beyond the caller's buffer in
  // practice, and a failure still leaves the caller an empty text.
  if (murlo::callHeaderText(Output{output, kUnlimited, nullptr, true}) != 1 && output != nullptr) {
    output[0] = 0;
  }
  return 1;
}

MURLO_EXPORT int32_t x0189e3js083h2c13(const murlo_char16* abbreviation, murlo_char16* output) {
  return murlo::callFindStations(abbreviation, Output{output, kUnlimited, nullptr, true});
}

MURLO_EXPORT int32_t x01e983hw983402(const murlo_char16* station, murlo_char16* output) {
  return murlo::callTrainsAtStation(station, Output{output, kUnlimited, nullptr, true});
}

MURLO_EXPORT int32_t x01d897fsd20dj3(const murlo_char16* origin, const murlo_char16* destination,
                                     murlo_char16* output, int32_t mode) {
  return murlo::callDirectTrains(origin, destination, mode,
                                 Output{output, kUnlimited, nullptr, true});
}

MURLO_EXPORT int32_t x01p2923jh8eh23083d3(uint32_t train_index, const murlo_char16* boarding,
                                          const murlo_char16* alighting, murlo_char16* stop_list,
                                          murlo_char16* run_time) {
  return murlo::callTrainStops(train_index, boarding, alighting,
                               Output{stop_list, kUnlimited, nullptr, true},
                               Output{run_time, kUnlimited, nullptr, true});
}

MURLO_EXPORT int32_t x01jhhwe23h9823098(const murlo_char16* number, murlo_char16* output) {
  return murlo::callTrainsByNumber(number, Output{output, kUnlimited, nullptr, true});
}

}  // extern "C"
