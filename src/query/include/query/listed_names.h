// The set of station names already listed in one step of the change-station
// search (direct_trains.cc).
#ifndef MURLO_QUERY_LISTED_NAMES_H_
#define MURLO_QUERY_LISTED_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "query/loaded_database.h"

namespace murlo {

// Names are compared byte for byte. Each name met stands for the first
// station with it (which the lookup indexes know), so the set is one flag per
// station.
class ListedNames {
 public:
  // May throw std::bad_alloc.
  explicit ListedNames(const LoadedDatabase& db);

  // Lists the name of station `station`. True when the name was not listed
  // yet; false when it was, or when the station is outside the station table
  // and so has no name.
  bool add(StationIndex station);

  // Forgets every listed name.
  void clear();

 private:
  const LookupIndexes& indexes_;
  std::vector<uint8_t> listed_;  // by first station of a name: 1 listed
};

}  // namespace murlo

#endif  // MURLO_QUERY_LISTED_NAMES_H_
