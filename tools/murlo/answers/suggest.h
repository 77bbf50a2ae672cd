// Stations a mistyped station name may have meant.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_SUGGEST_H_
#define MURLO_TOOLS_MURLO_ANSWERS_SUGGEST_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "answers/station_match.h"

namespace murlo::tool {

// Names of `stations` close to `typed` (UTF-8), best
// first, at most `limit`:
//  - names a few character edits away ("北京站" for 北京), or sharing at
//    least half of their characters with it, the closest first;
//  - then names whose abbreviation begins with `typed` taken as an
//    abbreviation ("BJ", "bj"), or with the initials of `typed` read as
//    pinyin ("Beijing" gives BJ), the shorter names first.
std::vector<std::string> suggestStations(std::string_view typed,
                                         const std::vector<StationEntry>& stations,
                                         std::size_t limit = 5);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_SUGGEST_H_
