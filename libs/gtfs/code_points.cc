#include "gtfs/code_points.h"

#include <cstdio>

#include "text/gbk_codec.h"

namespace murlo::gtfs {

std::vector<char32_t> decodeUtf8(std::string_view utf8) {
  std::vector<char32_t> points;
  points.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 0;
    char32_t point = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      points.push_back(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, point = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, point = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, point = lead & 0x07u, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= utf8.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      point = (point << 6) | (next & 0x3Fu);
    }
    valid = valid && point >= minimum && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
    points.push_back(valid ? point : kReplacement);
    i += valid ? length : 1;
  }
  return points;
}

void appendUtf8(char32_t point, std::string& utf8) {
  const auto byte = [&](char32_t value) { utf8.push_back(static_cast<char>(value)); };
  if (point < 0x80) {
    byte(point);
  } else if (point < 0x800) {
    byte(0xC0 | (point >> 6));
    byte(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    byte(0xE0 | (point >> 12));
    byte(0x80 | ((point >> 6) & 0x3F));
    byte(0x80 | (point & 0x3F));
  } else {
    byte(0xF0 | (point >> 18));
    byte(0x80 | ((point >> 12) & 0x3F));
    byte(0x80 | ((point >> 6) & 0x3F));
    byte(0x80 | (point & 0x3F));
  }
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
