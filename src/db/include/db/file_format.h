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
#include <string_view>

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

// The token separators of the list sections: " " between the names and
// abbreviations of section 5, "O" in sections 4, 6 and 7 (so "O" is never a
// letter of a train number).
inline constexpr char kStationSeparator = ' ';
inline constexpr char kListSeparator = 'O';

// Record sizes (see records.h): 16 bytes a stop, 6 bytes a call.
inline constexpr int32_t kStopRecordSize = 16;
inline constexpr int32_t kCallRecordSize = 6;

// Limits that follow from the records' field widths: four-digit station and
// train indexes, two-digit stop positions, four-digit distances.
inline constexpr int32_t kMaxStations = 10000;
inline constexpr int32_t kMaxTrains = 10000;
inline constexpr int32_t kIndexDigits = 4;

// A file's extension holds more trains and stations (its block 9); the
// network view indexes them after the sections' own, at most these in all,
// in records whose indexes take six digits.
inline constexpr int32_t kMaxNetworkStations = 100000;
inline constexpr int32_t kMaxNetworkTrains = 100000;
inline constexpr int32_t kWideIndexDigits = 6;

// The bytes of a stop (call) record whose indexes take `indexDigits`.
constexpr int32_t stopRecordSize(int32_t indexDigits) {
  return kStopRecordSize - kIndexDigits + indexDigits;
}
constexpr int32_t callRecordSize(int32_t indexDigits) {
  return kCallRecordSize - kIndexDigits + indexDigits;
}
inline constexpr int32_t kMinStops = 2;
inline constexpr int32_t kMaxStops = 100;
inline constexpr int32_t kMaxDistanceKm = 9999;

// Limits of the fixed-width hosts the format was made for: a station name
// of at most 11 GBK bytes (five Chinese characters) and train numbers of at
// most 19 bytes. The library itself carries longer texts whole.
inline constexpr std::size_t kHostStationNameBytes = 11;
inline constexpr std::size_t kMaxTrainNumberBytes = 19;

// The codes a train carries: its class (eleven codes; "5" is none), which
// fare columns it offers (a hexadecimal digit 1 to F, one bit a column) and
// its fare rate ("D" 1.00 to "X" 2.00 in steps of 0.05).
inline constexpr std::string_view kClassCodes = "123467890AB";
inline constexpr std::string_view kFareColumnCodes = "123456789ABCDEF";
inline constexpr char kFirstFareRateCode = 'D';
inline constexpr char kLastFareRateCode = 'X';

// The byte that separates the tokens of a list section (4 to 7).
constexpr char tokenSeparator(Section section) {
  return section == Section::kStations ? kStationSeparator : kListSeparator;
}

// The reading transform of section 1..7: stored byte to plain byte.
using DecodeTable = std::array<uint8_t, 256>;
const DecodeTable& decodeTable(Section section);

// The stored form of `plain` in `section`, or nothing when the section
// cannot store that byte (the terminator, a zero byte, or a byte that the
// reading transform would turn into something else).
std::optional<uint8_t> encodeByte(Section section, uint8_t plain);

}  // namespace murlo

#endif  // MURLO_DB_FILE_FORMAT_H_
