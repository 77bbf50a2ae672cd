#include "gtfs/code_points.h"

#include <cstdio>

#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::gtfs {

std::vector<char32_t> decodeUtf8(std::string_view utf8) {
  std::vector<char32_t> points;
  points.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) points.push_back(decodeUtf8At(utf8, i).value_or(kReplacement));
  return points;
}

std::string gbkOf(char32_t point) {
  std::u16string units;
  if (point >= 0x10000) {
    const char32_t v = point - 0x10000;
    units.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
    units.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
  } else {
    units.push_back(static_cast<char16_t>(point));
  }
  std::string gbk;
  if (!utf16ToGbk(units, gbk)) return "";
  return gbk;
}

std::string codePointName(char32_t point) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(point));
  return text;
}

}  // namespace murlo::gtfs
