// Synthetic networks with the shape of a city metro: a dozen or more lines
// crossing a city, frequent trains all day, and interchanges that are
// station complexes: each line has its own station there, and travellers
// walk between them (a station group of the extension with its walking
// minutes), as real metro feeds have them.
//
// The same shape and seed always give the same timetable on every platform.
#ifndef MURLO_GENERATE_METRO_GENERATOR_H_
#define MURLO_GENERATE_METRO_GENERATOR_H_

#include <cstdint>
#include <string>

#include "timetable_source/timetable_source.h"

namespace murlo::generate {

struct MetroShape {
  int32_t lines = 14;
  int32_t stationsPerLine = 34;  // 2 to 100
  int32_t headwayMinutes = 4;    // between trains of one line and direction
  int32_t firstMinute = 330;     // the first departures, 05:30
  int32_t lastMinute = 1410;     // the last departures, 23:30
};

// A metro of `shape`: lines laid over a grid of sites, a site served by two
// or more lines a complex whose members are named after it with the line's
// number (人民2, 人民5), grouped under the site's name with 3 to 8 minutes'
// walk. Throws std::invalid_argument for a shape beyond the format's limits
// (more than 10,000 trains or stations, fewer than 2 or more than 100 stops).
source::Timetable generateMetro(const MetroShape& shape, uint64_t seed, std::string header);

}  // namespace murlo::generate

#endif  // MURLO_GENERATE_METRO_GENERATOR_H_
