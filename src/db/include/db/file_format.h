// The database file format: a ten-byte plain header, then seven scrambled
// sections, each followed by one '%' byte. See docs/file-format.md.
//
// Each section has a transform of its own that turns a stored byte into a
// plain byte on reading. '%' is never changed by a transform, so a section
// ends at the first byte that reads as '%'. The transform constants live in
// file_format.cc and nowhere else: a file can only be read with the values it
// was scrambled with.
#ifndef MURLO_DB_FILE_FORMAT_H_
#define MURLO_DB_FILE_FORMAT_H_

#include <array>
#include <cstdint>
#include <optional>

namespace murlo {

inline constexpr int kSectionCount = 7;
inline constexpr std::size_t kHeaderSize = 10;
inline constexpr char kSectionTerminator = '%';

// What each section holds once de-scrambled.
enum class Section : int {
  kClassCodes = 1,       // one class code per train
  kFareColumnCodes = 2,  // one fare-column code per train
  kFareRateCodes = 3,    // one fare-rate code per train
  kTrainNumbers = 4,     // tokens separated by "O"
  kStations = 5,         // name, abbreviation, name, ... separated by " "
  kCallLists = 6,        // tokens separated by "O"
  kStopLists = 7,        // tokens separated by "O"
};

// The byte that separates the tokens of a list section (4 to 7).
char tokenSeparator(Section section);

// The reading transform of section 1..7: stored byte to plain byte.
using DecodeTable = std::array<uint8_t, 256>;
const DecodeTable& decodeTable(Section section);

// The stored form of `plain` in `section`, or nothing when the section
// cannot store that byte (the terminator, a zero byte, or a byte that the
// reading transform would turn into something else).
std::optional<uint8_t> encodeByte(Section section, uint8_t plain);

}  // namespace murlo

#endif  // MURLO_DB_FILE_FORMAT_H_
