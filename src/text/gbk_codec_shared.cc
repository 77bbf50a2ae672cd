// What both codecs share: the length of GBK text in UTF-16, the same on
// every platform since both cut text into the same steps (see gbk_codec.cc),
// each one code unit; appending, on top of writing into a buffer; and UTF-8.
#include <cstdint>

#include "ascii_word.h"
#include "gbk_tables.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo {

std::size_t gbkToUtf16Length(std::string_view gbk) {
  // The steps of the conversion counted the way it takes them: ASCII runs
  // eight bytes at a time, then the codes up to the next ASCII byte.
  const auto* const bytes = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t size = gbk.size();
  std::size_t length = 0;
  std::size_t i = 0;
  while (i < size) {
    if (i + 8 <= size) {
      const std::size_t ascii = asciiBytesOfWord(bytes + i);
      length += ascii;
      i += ascii;
      if (ascii == 8) continue;
    } else if (bytes[i] < 0x80) {
      ++length;
      ++i;
      continue;
    }
    while (i < size && bytes[i] >= 0x80) {
      const bool pair =
          cp936::isLeadByte(bytes[i]) && i + 1 < size && cp936::isTrailByte(bytes[i + 1]);
      i += pair ? 2u : 1u;
      ++length;
    }
  }
  return length;
}

void gbkToUtf16(std::string_view gbk, std::u16string& utf16) {
  // One code unit per step and at least one byte per step.
  const std::size_t start = utf16.size();
  utf16.resize(start + gbk.size());
  char16_t* const end = gbkToUtf16Into(gbk, utf16.data() + start);
  utf16.resize(static_cast<std::size_t>(end - utf16.data()));
}

void gbkToUtf8(std::string_view gbk, std::string& utf8) {
  std::u16string units;
  gbkToUtf16(gbk, units);
  // A GBK conversion never gives an unpaired surrogate.
  utf16ToUtf8(units, utf8);
}

}  // namespace murlo
