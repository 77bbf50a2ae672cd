// Every station's name in UTF-16, with the "|" that follows a name in every
// answer: answers that list names (stations by abbreviation) copy them into
// the host's buffer instead of converting GBK each time.
//
// A name is converted together with its "|": a name whose last byte is a
// lone GBK lead byte takes the "|" as its trail, exactly as the conversion of
// a whole answer does. Every conversion step then ends within the piece, so
// pieces put side by side are the whole answer converted.
#ifndef MURLO_PRESENT_UTF16_STATION_NAMES_H_
#define MURLO_PRESENT_UTF16_STATION_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/timetable_db.h"

namespace murlo {

class Utf16StationNames {
 public:
  // May throw std::bad_alloc and std::length_error.
  explicit Utf16StationNames(const TimetableDb& db);

  // The UTF-16 form of station `s`'s name followed by "|".
  // REQUIRES: db.stationName(s) exists.
  std::u16string_view nameAndBar(StationIndex s) const {
    return std::u16string_view(units_).substr(ends_[s.slot()],
                                              ends_[s.slot() + 1] - ends_[s.slot()]);
  }

 private:
  std::u16string units_;        // every name and "|", one after the other
  std::vector<uint32_t> ends_;  // station s's piece is [ends_[s], ends_[s + 1])
};

}  // namespace murlo

#endif  // MURLO_PRESENT_UTF16_STATION_NAMES_H_
