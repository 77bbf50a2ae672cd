// The code page 936 tables behind gbk_codec.cc. The data lives in
// gbk_tables.cc, which scripts/gen_gbk_tables.py generates from iconv's
// "CP936" converter; these declarations are the shape that script writes.
#ifndef MURLO_TEXT_GBK_TABLES_H_
#define MURLO_TEXT_GBK_TABLES_H_

#include <cstddef>
#include <cstdint>

namespace murlo::cp936 {

// A two-byte code is a lead byte 0x81-0xFE followed by a trail byte
// 0x40-0x7E or 0x80-0xFE.
inline constexpr unsigned kLeadFirst = 0x81;
inline constexpr unsigned kLeadLast = 0xFE;
inline constexpr unsigned kTrailFirst = 0x40;
inline constexpr unsigned kTrailLast = 0xFE;
inline constexpr unsigned kTrailGap = 0x7F;  // the one byte inside the range that is no trail
inline constexpr std::size_t kLeadCount = kLeadLast - kLeadFirst + 1;  // 126
inline constexpr std::size_t kTrailCount = kTrailLast - kTrailFirst;   // 190
inline constexpr std::size_t kDecodeSize = kLeadCount * kTrailCount;

// The single byte 0x80 is the euro sign.
inline constexpr unsigned kEuroByte = 0x80;
inline constexpr char16_t kEuroSign = u'\u20AC';

constexpr bool isLeadByte(unsigned b) { return b >= kLeadFirst && b <= kLeadLast; }
constexpr bool isTrailByte(unsigned b) {
  return b >= kTrailFirst && b <= kTrailLast && b != kTrailGap;
}

// The position of a trail byte among the 190 trail bytes.
constexpr std::size_t trailIndex(unsigned trail) {
  return trail - kTrailFirst - (trail > kTrailGap ? 1u : 0u);
}

// kDecode[(lead - kLeadFirst) * kTrailCount + trailIndex(trail)] is the UTF-16
// code unit of a two-byte code, or 0 when the code is no character (the
// user-defined areas and the unassigned codes). No two-byte code decodes to
// U+0000 or to anything outside the BMP.
extern const char16_t kDecode[kDecodeSize];

// Encoding a BMP code unit u >= 0x80:
//   v = kEncode[kEncodePage[u >> 8]][u & 0xFF]
// v == 0: no code page 936 character (this covers every surrogate, since the
//         surrogate pages are empty);
// v < 0x100: the single byte v (only U+20AC -> 0x80);
// otherwise: the two bytes v >> 8, v & 0xFF.
// Page 0 of kEncode is all zeros and every empty page of the BMP points at it.
// Units below 0x80 are ASCII and have no entries (they read as 0).
inline constexpr std::size_t kEncodePageSize = 256;
extern const std::uint8_t kEncodePage[256];
extern const std::uint16_t kEncode[][kEncodePageSize];

}  // namespace murlo::cp936

#endif  // MURLO_TEXT_GBK_TABLES_H_
