// ASCII stand-ins for Latin letters and punctuation that code page 936
// cannot hold (ß as "ss", Ø as "O", – as "-").
#ifndef MURLO_GTFS_TRANSLITERATION_H_
#define MURLO_GTFS_TRANSLITERATION_H_

#include <string_view>

namespace murlo::gtfs {

// The stand-in of `point`, or "" when there is none.
std::string_view transliterate(char32_t point);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_TRANSLITERATION_H_
