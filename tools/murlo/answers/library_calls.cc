#include "answers/library_calls.h"

#include <functional>
#include <vector>

namespace murlo::tool {
namespace {

using Buffer = std::vector<murlo_char16>;
using SizedCall = std::function<int32_t(murlo_char16* output, size_t capacity, size_t* needed)>;

// A result never changes size between two calls in murlo, which loads its
// database once; the bound only keeps a misbehaving library from looping.
constexpr int kAttempts = 4;

std::string textOf(const Buffer& buffer) {
  LibraryText text;
  for (const murlo_char16 unit : buffer) {
    if (unit == 0) break;
    text.push_back(unit);
  }
  return toUtf8(text);
}

LibraryResult callSized(const SizedCall& call) {
  size_t needed = 0;
  int32_t code = call(nullptr, 0, &needed);
  for (int attempt = 0; code == MURLO_BUFFER_TOO_SMALL && needed > 0 && attempt < kAttempts;
       ++attempt) {
    Buffer buffer(needed, 0);
    code = call(buffer.data(), buffer.size(), &needed);
    if (code >= 0) return LibraryResult{code, textOf(buffer)};
  }
  return LibraryResult{code, ""};
}

}  // namespace

LibraryResult headerText() {
  return callSized([](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_header_text(output, capacity, needed);
  });
}

LibraryResult findStations(const LibraryText& abbreviation) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_find_stations(abbreviation.c_str(), output, capacity, needed);
  });
}

LibraryResult trainsAtStation(const LibraryText& station) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_trains_at_station(station.c_str(), output, capacity, needed);
  });
}

LibraryResult directTrains(const LibraryText& origin, const LibraryText& destination,
                           int32_t mode) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_direct_trains(origin.c_str(), destination.c_str(), mode, output, capacity, needed);
  });
}

LibraryResult trainsByNumber(const LibraryText& number) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_trains_by_number(number.c_str(), output, capacity, needed);
  });
}

LibraryResult departureBoard(const LibraryText& station, int32_t afterMinute, int32_t limit) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_departures(station.c_str(), afterMinute, limit, output, capacity, needed);
  });
}

LibraryResult arrivalBoard(const LibraryText& station, int32_t afterMinute, int32_t limit) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_arrivals(station.c_str(), afterMinute, limit, output, capacity, needed);
  });
}

LibraryResult planJourneys(const LibraryText& origin, const LibraryText& destination,
                           int32_t afterMinute, int32_t maxChanges, int32_t minChangeMinutes,
                           int32_t limit) {
  return callSized([&](murlo_char16* output, size_t capacity, size_t* needed) {
    return murlo_plan_journeys(origin.c_str(), destination.c_str(), afterMinute, maxChanges,
                               minChangeMinutes, limit, output, capacity, needed);
  });
}

StopsResult trainStops(uint32_t trainIndex, const LibraryText& boarding,
                       const LibraryText& alighting) {
  size_t stopsNeeded = 0;
  size_t timeNeeded = 0;
  int32_t code = murlo_train_stops(trainIndex, boarding.c_str(), alighting.c_str(), nullptr, 0,
                                   &stopsNeeded, nullptr, 0, &timeNeeded);
  for (int attempt = 0;
       code == MURLO_BUFFER_TOO_SMALL && stopsNeeded > 0 && timeNeeded > 0 && attempt < kAttempts;
       ++attempt) {
    Buffer stops(stopsNeeded, 0);
    Buffer runTime(timeNeeded, 0);
    code =
        murlo_train_stops(trainIndex, boarding.c_str(), alighting.c_str(), stops.data(),
                          stops.size(), &stopsNeeded, runTime.data(), runTime.size(), &timeNeeded);
    if (code >= 0) return StopsResult{code, textOf(stops), textOf(runTime)};
  }
  return StopsResult{code, "", ""};
}

}  // namespace murlo::tool
