// The library's text answers, for --raw: through the size-checked murlo_...
// functions (the size first, with a NULL buffer and capacity 0, then the text
// into a buffer of that size), with the results in UTF-8. Every other answer
// comes from the structured interface (database_handle.h).
#ifndef MURLO_TOOLS_MURLO_ANSWERS_LIBRARY_CALLS_H_
#define MURLO_TOOLS_MURLO_ANSWERS_LIBRARY_CALLS_H_

#include <cstdint>
#include <string>

#include "answers/host.h"

namespace murlo::tool {

struct LibraryResult {
  int32_t code = 0;  // the library's result
  std::string text;  // the result text; empty when `code` is negative
};

struct StopsResult {
  int32_t code = 0;     // the number of stops, 0 or a negative code
  std::string stops;    // the stop list
  std::string runTime;  // the whole train's run time
};

LibraryResult headerText();
LibraryResult findStations(const LibraryText& abbreviation);
LibraryResult trainsAtStation(const LibraryText& station);
LibraryResult directTrains(const LibraryText& origin, const LibraryText& destination, int32_t mode);
LibraryResult trainsByNumber(const LibraryText& number);
StopsResult trainStops(uint32_t trainIndex, const LibraryText& boarding,
                       const LibraryText& alighting);
// Boards and journeys: the numbers go to the library as given, which answers
// MURLO_INVALID_ARGUMENT for one outside its range.
LibraryResult departureBoard(const LibraryText& station, int32_t afterMinute, int32_t limit);
LibraryResult arrivalBoard(const LibraryText& station, int32_t afterMinute, int32_t limit);
LibraryResult planJourneys(const LibraryText& origin, const LibraryText& destination,
                           int32_t afterMinute, int32_t maxChanges, int32_t minChangeMinutes,
                           int32_t limit);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_LIBRARY_CALLS_H_
