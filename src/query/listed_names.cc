#include "query/listed_names.h"

#include <algorithm>

namespace murlo {

ListedNames::ListedNames(const LoadedDatabase& db)
    : indexes_(db.indexes()), listed_(static_cast<std::size_t>(db.tables().stationCount()), 0) {}

bool ListedNames::add(StationIndex station) {
  if (station.value() < 0 || station.slot() >= listed_.size()) return false;
  uint8_t& listed = listed_[indexes_.firstWithSameName(station).slot()];
  if (listed != 0) return false;
  listed = 1;
  return true;
}

void ListedNames::clear() { std::fill(listed_.begin(), listed_.end(), uint8_t{0}); }

}  // namespace murlo
