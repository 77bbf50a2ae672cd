// The set of station names already listed in one step of the change-station
// search (direct_trains.cc).
#ifndef MURLO_QUERY_LISTED_NAMES_H_
#define MURLO_QUERY_LISTED_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "db/timetable_db.h"

namespace murlo {

// Names are compared byte for byte. Each name met stands for the first station
// met with it, so the set is one flag per station; a station's name is hashed
// only the first time the station is met, and clear() keeps what was learnt.
class ListedNames {
 public:
  // May throw std::bad_alloc.
  explicit ListedNames(const TimetableDb& db);

  // Lists the name of station `station`. True when the name was not listed
  // yet; false when it was, or when the station is outside the station table
  // and so has no name.
  bool add(int32_t station);

  // Forgets every listed name.
  void clear();

  // The number of station indexes that have a name in `db`.
  static std::size_t stationsOf(const TimetableDb& db);

 private:
  int32_t representativeOf(int32_t station);

  const TimetableDb& db_;
  std::vector<int32_t> representative_;  // by station; -1 while not met
  std::vector<int32_t> slots_;           // open addressing by name hash: a representative or -1
  std::vector<uint8_t> listed_;          // by representative: 1 listed
};

}  // namespace murlo

#endif  // MURLO_QUERY_LISTED_NAMES_H_
