// The pinyin of a Chinese station name, as a sign beside it writes it
// (北京西 "Beijingxi", 西安 "Xi'an"), read from the characters' place in
// GB 2312.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_STATION_PINYIN_H_
#define MURLO_TOOLS_MURLO_ANSWERS_STATION_PINYIN_H_

#include <string>
#include <string_view>

namespace murlo::tool {

// The toneless syllable of a Chinese character ("bei" for 北), or "" for a
// character without one here. The characters of the first level of GB 2312
// (GBK 0xB0A1 to 0xD7F9) are in the order of their readings, so a
// character's syllable is that of the last syllable beginning at or before
// its code; a character read more than one way has the reading it is sorted
// under, except the few read otherwise in place names (重庆 Chongqing, 蚌埠
// Bengbu). Rarer characters (the second level, beyond GB 2312) have none.
std::string_view pinyinSyllable(char32_t c);

// `name` (UTF-8) in pinyin: its syllables joined, the first letter a
// capital, an apostrophe before a syllable that begins with a, e or o
// ("Xi'an"), ü as such (吕梁 "Lüliang"); "" unless every character of it is a Chinese character
// with a syllable.
std::string stationPinyin(std::string_view name);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_STATION_PINYIN_H_
