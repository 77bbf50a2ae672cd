// Train numbers as a database stores them: capital letters and digits
// without the letter O (O is the separator of the numbers section), more
// than one number joined by "/", at most 19 bytes.
#ifndef MURLO_GTFS_TRAIN_NUMBER_H_
#define MURLO_GTFS_TRAIN_NUMBER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "db/file_format.h"

namespace murlo::gtfs {

inline constexpr std::size_t kMaxNumberBytes = kMaxTrainNumberBytes;

struct CleanNumber {
  std::string text;        // may be empty
  bool letterO = false;    // an O (or o) became the digit 0
  bool changed = false;    // letters were capitalised or transliterated, or
                           // other characters dropped
  bool shortened = false;  // cut to 19 bytes
};

// `utf8` made storable: letters in capitals (Latin letters with marks
// transliterated), the letter O as the digit 0, "/" kept between numbers,
// everything else dropped; cut to 19 bytes, whole numbers first.
CleanNumber cleanNumber(std::string_view utf8);

// The number of a trip without a usable trip_short_name: `base` (a clean
// route name, cut to leave room) followed by `counter` written with `width`
// digits ("S1" 7 of 150 is "S1007").
std::string countedNumber(std::string_view base, std::size_t counter, std::size_t width);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_TRAIN_NUMBER_H_
