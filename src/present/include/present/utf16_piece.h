// A piece of an answer in UTF-16, as the loaded database keeps it: code
// units, then ASCII bytes that each stand for the code unit of the same
// value. Kept lines end in ASCII (times, journey time, fares), which takes
// half the room this way; a host still receives UTF-16 throughout.
#ifndef MURLO_PRESENT_UTF16_PIECE_H_
#define MURLO_PRESENT_UTF16_PIECE_H_

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace murlo {

// Writes the ASCII `bytes` at `out` as code units and returns their end:
// blocks of eight of a fixed count (which compilers turn into vector
// instructions), the last block overlapping the one before it.
template <typename Unit>
Unit* widenAscii(std::string_view bytes, Unit* out) {
  const std::size_t n = bytes.size();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  if (n < 8) {
    for (std::size_t k = 0; k < n; ++k) out[k] = static_cast<Unit>(in[k]);
    return out + n;
  }
  const auto block = [&](std::size_t at) {
    for (std::size_t k = 0; k < 8; ++k) out[at + k] = static_cast<Unit>(in[at + k]);
  };
  for (std::size_t at = 0; at + 8 < n; at += 8) block(at);
  block(n - 8);
  return out + n;
}

struct Utf16Piece {
  std::u16string_view units;
  std::string_view ascii;  // every byte below 0x80

  bool empty() const { return units.empty() && ascii.empty(); }
  // Code units the piece stands for.
  std::size_t size() const { return units.size() + ascii.size(); }
  // Writes the piece's code units at `out` and returns their end.
  template <typename Unit>
  Unit* writeTo(Unit* out) const {
    if constexpr (std::is_same_v<Unit, char16_t>) {
      if (!units.empty()) std::memcpy(out, units.data(), units.size() * sizeof(char16_t));
      out += units.size();
    } else {
      for (const char16_t unit : units) *out++ = static_cast<Unit>(unit);
    }
    return widenAscii(ascii, out);
  }
  // The code units as one string (for tests and comparisons).
  std::u16string str() const {
    std::u16string text(size(), u'\0');
    writeTo(text.data());
    return text;
  }
  // Pieces are equal when they stand for the same code units.
  friend bool operator==(const Utf16Piece& a, const Utf16Piece& b) {
    return a.size() == b.size() && a.str() == b.str();
  }
};

}  // namespace murlo

#endif  // MURLO_PRESENT_UTF16_PIECE_H_
