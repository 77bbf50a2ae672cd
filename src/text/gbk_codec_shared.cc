// What both codecs share: the length of GBK text in UTF-16, the same on
// every platform since both cut text into the same steps (see gbk_codec.cc),
// each one code unit; and appending, on top of writing into a buffer.
#include <cstdint>
#include <cstring>

#include "gbk_tables.h"
#include "text/gbk_codec.h"

namespace murlo {

std::size_t gbkToUtf16Length(std::string_view gbk) {
  std::size_t length = 0;
  std::size_t i = 0;
  while (i < gbk.size()) {
    // Eight ASCII bytes at once: eight steps.
    if (i + 8 <= gbk.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, gbk.data() + i, 8);
      if ((word & 0x8080808080808080u) == 0) {
        i += 8;
        length += 8;
        continue;
      }
    }
    const bool pair = cp936::isLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size() &&
                      cp936::isTrailByte(static_cast<unsigned char>(gbk[i + 1]));
    i += pair ? 2u : 1u;
    ++length;
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

}  // namespace murlo
