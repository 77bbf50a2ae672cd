// The length of GBK text in UTF-16, the same on every platform: both codecs
// cut text into the same steps (see gbk_codec.cc), each one code unit.
#include "gbk_tables.h"
#include "text/gbk_codec.h"

namespace murlo {

std::size_t gbkToUtf16Length(std::string_view gbk) {
  std::size_t length = 0;
  std::size_t i = 0;
  while (i < gbk.size()) {
    const bool pair = cp936::isLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size() &&
                      cp936::isTrailByte(static_cast<unsigned char>(gbk[i + 1]));
    i += pair ? 2u : 1u;
    ++length;
  }
  return length;
}

}  // namespace murlo
