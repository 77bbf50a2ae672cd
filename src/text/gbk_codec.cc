#include "text/gbk_codec.h"

#include <cstdint>

#include "ascii_word.h"
#include "gbk_tables.h"

// Reading GBK, the text is cut into steps and every step appends exactly one
// UTF-16 code unit:
//   - a byte 0x00-0x7F is ASCII;
//   - the byte 0x80 is the euro sign U+20AC;
//   - a lead byte 0x81-0xFE followed by a trail byte (0x40-0x7E or 0x80-0xFE)
//     is a two-byte code: its character, or one U+FFFD for both bytes when
//     the code is unassigned (this includes the user-defined areas
//     A140-A7A0, AAA1-AFFE and F8A1-FEFE, which the tables, taken from
//     iconv's CP936, leave without characters);
//   - a lead byte followed by a byte that is no trail, or ending the text,
//     is one U+FFFD for the lead byte alone; the next byte starts the next
//     step;
//   - the byte 0xFF is one U+FFFD.
// A damaged code thus costs one replacement, and a byte below 0x40 (controls,
// space, digits, much punctuation) after a lead byte is never swallowed.

namespace murlo {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

using cp936::isLeadByte;
using cp936::isTrailByte;

}  // namespace

bool utf16ToGbk(std::u16string_view utf16, std::string& gbk) {
  // At most two bytes per code unit; trimmed to what was written at the end.
  const std::size_t start = gbk.size();
  gbk.resize(start + 2 * utf16.size());
  char* out = gbk.data() + start;
  bool ok = true;
  for (const char16_t unit : utf16) {
    if (unit < 0x80) {
      *out++ = static_cast<char>(unit);
      continue;
    }
    // Surrogates land on empty pages, so an unpaired one and a whole pair (a
    // character outside the BMP, which code page 936 lacks) both fail here.
    const std::uint16_t code = cp936::kEncode[cp936::kEncodePage[unit >> 8]][unit & 0xFF];
    if (code == 0) {
      ok = false;
      break;
    }
    if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
    *out++ = static_cast<char>(code & 0xFF);
  }
  gbk.resize(static_cast<std::size_t>(out - gbk.data()));
  return ok;
}

char16_t* gbkToUtf16Into(std::string_view gbk, char16_t* out) {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t size = gbk.size();
  std::size_t i = 0;
  while (i < size) {
    // Result text is mostly ASCII (times, fares, separators) with a few
    // Chinese names: the ASCII bytes before the next byte of 0x80 and above
    // are widened eight at a time, then the codes up to the next ASCII byte
    // are decoded one after the other.
    if (i + 8 <= size) {
      const std::size_t ascii = asciiBytesOfWord(bytes + i);
      // Never a unit past the text's own: the caller's buffer may end there.
      for (std::size_t k = 0; k < ascii; ++k) out[k] = static_cast<char16_t>(bytes[i + k]);
      out += ascii;
      i += ascii;
      if (ascii == 8) continue;
    } else if (bytes[i] < 0x80) {
      *out++ = static_cast<char16_t>(bytes[i++]);
      continue;
    }
    while (i < size && bytes[i] >= 0x80) {
      const unsigned b = bytes[i];
      if (b == cp936::kEuroByte) {
        *out++ = cp936::kEuroSign;
        ++i;
      } else if (isLeadByte(b) && i + 1 < size && isTrailByte(bytes[i + 1])) {
        const char16_t unit = cp936::kDecode[(b - cp936::kLeadFirst) * cp936::kTrailCount +
                                             cp936::trailIndex(bytes[i + 1])];
        *out++ = unit != 0 ? unit : kReplacement;
        i += 2;
      } else {
        *out++ = kReplacement;
        ++i;
      }
    }
  }
  return out;
}

}  // namespace murlo
