// Stepping over ASCII a word at a time, as both codecs do with the mostly
// ASCII text of results (times, fares, separators).
#ifndef MURLO_TEXT_ASCII_WORD_H_
#define MURLO_TEXT_ASCII_WORD_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace murlo {

// How many of the eight bytes at `bytes` are ASCII before the first that is
// not (8 when all are).
inline std::size_t asciiBytesOfWord(const unsigned char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, 8);
  const std::uint64_t high = word & 0x8080808080808080u;
  if (high == 0) return 8;
  // The first byte in memory is the word's lowest on a little-endian machine.
  const int zeros =
      std::endian::native == std::endian::little ? std::countr_zero(high) : std::countl_zero(high);
  return static_cast<std::size_t>(zeros) / 8;
}

}  // namespace murlo

#endif  // MURLO_TEXT_ASCII_WORD_H_
