// Station names as a database stores them: characters code page 936 holds,
// no spaces (a space separates tokens), at most 100 bytes in GBK (11 for
// hosts with fixed fields); and the abbreviation travellers type.
#ifndef MURLO_GTFS_STATION_NAME_H_
#define MURLO_GTFS_STATION_NAME_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace murlo::gtfs {

inline constexpr std::size_t kMaxNameBytes = 11;

struct CleanName {
  std::string text;                  // UTF-8
  std::vector<std::string> changes;  // "ß as ss", "U+1F68B dropped"
};

// `utf8` made storable: blanks become "_" (runs of them one, none at either
// end); characters code page 936 cannot hold are transliterated (ß as ss,
// Ł as L, – as -) or dropped; control characters, "%" (which a database
// cannot store) and bytes that are not UTF-8 are dropped; '"' becomes "'".
// So the source format reads the name back as one token naming a station, a
// leading "#" is dropped and a keyword (header, station, train, end) gets a
// capital. The result may be empty.
CleanName cleanName(std::string_view utf8);

// The GBK length of a clean name.
std::size_t gbkLength(std::string_view utf8);

// The words ("_"-separated) that at least half of `names` hold (with four
// names or more): such as "Station" in every name of a feed.
std::unordered_set<std::string> commonWords(const std::vector<std::string>& names);

// A clean name cut to `maxBytes` of GBK: first the common words go (from
// the end, one word always staying), then the longest word loses its last
// character until the name fits ("San_Francisco" gives "San_Francis").
std::string shortenName(std::string_view name, const std::unordered_set<std::string>& common,
                        std::size_t maxBytes = kMaxNameBytes);

// The most characters an abbreviation takes: the initials are cut there, and
// a feed's stop codes are taken by default only when none is longer.
inline constexpr std::size_t kMaxAbbreviationLength = 10;

// The initials of a clean name, in capitals, at most 10: the first letter or
// digit of each word (words are separated by "_", "-" and "/"; Latin letters
// with marks count as their ASCII stand-ins, leading punctuation is passed
// over), and the pinyin initial of each Chinese character ("North_Harbour_Road"
// gives NHR, "Hastings-on-Hudson" HOH, "中山路" ZSL). Characters of other
// scripts give none; "" when no character does.
std::string initialsOf(std::string_view name);

// The pinyin initial of a Chinese character, in capitals, or 0: the
// characters of the first level of GB 2312 are ordered by their reading, so
// the initial is found by where the GBK code falls. A character read more
// than one way has the initial of the reading it is sorted under; rarer
// characters (the second level, beyond GB 2312) have none.
char pinyinInitial(char32_t point);

// An operator's stop_code in capitals when it is ASCII letters and digits,
// else "".
std::string stopCodeAbbreviation(std::string_view code);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_STATION_NAME_H_
