#include "db/file_format.h"

#include <utility>

namespace murlo {
namespace {

// The secret constants of the file format. Changing any of them makes every
// existing database file unreadable.
//
// Sections 1-3: exclusive-or with one key each. A key k makes the plain byte
// k ^ '%' unstorable; all three are above 0x7F, never a code character.
constexpr uint8_t kClassCodeKey = 0xA7;       // unstorable plain 0x82
constexpr uint8_t kFareColumnCodeKey = 0xB3;  // unstorable plain 0x96
constexpr uint8_t kFareRateCodeKey = 0xC9;    // unstorable plain 0xEC

// Section 5: plain = stored + constant (mod 256). The one unstorable plain
// byte is '%' + constant = 0x7F, which neither GBK nor an abbreviation uses.
constexpr uint8_t kStationAddend = 0x5A;

using Pair = std::pair<uint8_t, uint8_t>;  // (scrambled, plain)

// Sections 4, 6, 7: substitution tables. Their scrambled bytes lie above
// 0x7F, so none of them is a character that train numbers or records need.
// clang-format off
constexpr std::array<Pair, 19> kTrainNumberPairs = {{
    {0xD3, '0'}, {0x9A, '1'}, {0xE7, '2'}, {0xB1, '3'}, {0xC4, '4'},
    {0xF2, '5'}, {0x8D, '6'}, {0xAE, '7'}, {0xDB, '8'}, {0x93, '9'},
    {0xE9, 'A'}, {0xB8, 'B'}, {0xC7, 'K'}, {0xF5, 'N'}, {0x86, 'T'},
    {0xA3, 'Y'}, {0xD9, 'Z'}, {0xBE, '/'}, {0xCC, 'O'},
}};
constexpr std::array<Pair, 11> kCallListPairs = {{
    {0xA1, '0'}, {0xF8, '1'}, {0x8B, '2'}, {0xD6, '3'}, {0xBC, '4'}, {0xE2, '5'},
    {0x97, '6'}, {0xC1, '7'}, {0xFB, '8'}, {0xAD, '9'}, {0x84, 'O'},
}};
constexpr std::array<Pair, 11> kStopListPairs = {{
    {0xB5, '0'}, {0x8F, '1'}, {0xEA, '2'}, {0xC8, '3'}, {0x9D, '4'}, {0xF1, '5'},
    {0xA9, '6'}, {0xD4, '7'}, {0x82, '8'}, {0xBF, '9'}, {0xE6, 'O'},
}};
// clang-format on

constexpr uint8_t kPercent = static_cast<uint8_t>(kSectionTerminator);

constexpr DecodeTable xorTable(uint8_t key) {
  DecodeTable table{};
  for (int b = 0; b < 256; ++b) {
    const auto stored = static_cast<uint8_t>(b);
    table[stored] = stored == kPercent ? kPercent : static_cast<uint8_t>(stored ^ key);
  }
  return table;
}

constexpr DecodeTable addTable(uint8_t addend) {
  DecodeTable table{};
  for (int b = 0; b < 256; ++b) {
    const auto stored = static_cast<uint8_t>(b);
    table[stored] = stored == kPercent ? kPercent : static_cast<uint8_t>(stored + addend);
  }
  return table;
}

template <std::size_t N>
constexpr DecodeTable substitutionTable(const std::array<Pair, N>& pairs) {
  DecodeTable table{};
  for (int b = 0; b < 256; ++b) table[static_cast<std::size_t>(b)] = static_cast<uint8_t>(b);
  for (const auto& [scrambled, plain] : pairs) table[scrambled] = plain;
  return table;
}

template <std::size_t N>
constexpr DecodeTable substitutionEncoder(const std::array<Pair, N>& pairs) {
  DecodeTable table = substitutionTable<0>({});
  for (const auto& [scrambled, plain] : pairs) table[plain] = scrambled;
  return table;
}

// clang-format off
constexpr std::array<DecodeTable, kSectionCount> kDecodeTables = {
    xorTable(kClassCodeKey),
    xorTable(kFareColumnCodeKey),
    xorTable(kFareRateCodeKey),
    substitutionTable(kTrainNumberPairs),
    addTable(kStationAddend),
    substitutionTable(kCallListPairs),
    substitutionTable(kStopListPairs),
};

// Encoders: plain byte to stored byte, before the storability check.
constexpr std::array<DecodeTable, kSectionCount> kEncodeTables = {
    xorTable(kClassCodeKey),
    xorTable(kFareColumnCodeKey),
    xorTable(kFareRateCodeKey),
    substitutionEncoder(kTrainNumberPairs),
    addTable(static_cast<uint8_t>(256 - kStationAddend)),
    substitutionEncoder(kCallListPairs),
    substitutionEncoder(kStopListPairs),
};
// clang-format on

constexpr std::size_t slot(Section section) {
  return static_cast<std::size_t>(static_cast<int>(section) - 1);
}

// Every table must read back what it writes for the bytes its section needs,
// and must leave '%' alone: checked when the library is compiled.
constexpr bool roundTrips(Section section, const char* needed) {
  for (const char* p = needed; *p != '\0'; ++p) {
    const auto plain = static_cast<uint8_t>(*p);
    const uint8_t stored = kEncodeTables[slot(section)][plain];
    if (stored == kPercent || kDecodeTables[slot(section)][stored] != plain) return false;
  }
  return kDecodeTables[slot(section)][kPercent] == kPercent;
}
constexpr const char* kCodeBytes = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
static_assert(roundTrips(Section::kClassCodes, kCodeBytes));
static_assert(roundTrips(Section::kFareColumnCodes, kCodeBytes));
static_assert(roundTrips(Section::kFareRateCodes, kCodeBytes));
static_assert(roundTrips(Section::kTrainNumbers, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ/"));
static_assert(roundTrips(Section::kStations, " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
static_assert(roundTrips(Section::kCallLists, "0123456789O"));
static_assert(roundTrips(Section::kStopLists, "0123456789O"));

}  // namespace

const DecodeTable& decodeTable(Section section) { return kDecodeTables[slot(section)]; }

std::optional<uint8_t> encodeByte(Section section, uint8_t plain) {
  if (plain == 0 || plain == kPercent) return std::nullopt;
  const uint8_t stored = kEncodeTables[slot(section)][plain];
  if (kDecodeTables[slot(section)][stored] != plain) return std::nullopt;
  return stored;
}

}  // namespace murlo
