// A feed's own words for the imported network (db/network_words.h): each
// station's stop_name as written, its coordinates and wheelchair_boarding;
// the routes the trains run on as lines with their colours; each train's
// trip_headsign, direction_id, trip_short_name (or its route's short name)
// and wheelchair_accessible; each call's platform_code. See
// docs/gtfs-import.md.
#ifndef MURLO_GTFS_FEED_WORDS_H_
#define MURLO_GTFS_FEED_WORDS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/network_words.h"
#include "gtfs/feed_model.h"
#include "gtfs/imported_timetable.h"
#include "gtfs/train_table.h"

namespace murlo::gtfs {

// What the words kept, and the feed's texts dropped as not UTF-8 text (or
// too long) and colours that are not RRGGBB.
struct WordCounts {
  std::size_t names = 0;
  std::size_t coordinates = 0;
  std::size_t lines = 0;
  std::size_t headsigns = 0;
  std::size_t platforms = 0;  // calls with one
  std::size_t dropped = 0;
};

// `stationOf` is each place's station index (-1 none); `parts` the trains
// in order.
NetworkWords feedWords(const Feed& feed, const std::vector<Run>& runs,
                       const std::vector<TrainPart>& parts,
                       const std::vector<ImportedStation>& stations,
                       const std::vector<int32_t>& stationOf, WordCounts& counts);

// "names as written: 496, coordinates: 496, lines: 29, headsigns: 8,497,
// platforms: 0".
std::string wordsPhrase(const WordCounts& counts);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FEED_WORDS_H_
