#include "text/utf8.h"

#include <cstdint>

namespace murlo {
namespace {

constexpr bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::optional<char32_t> decodeUtf8At(std::string_view utf8, std::size_t& i) {
  const auto lead = static_cast<uint8_t>(utf8[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  std::size_t extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07u, minimum = 0x10000;
  } else {
    ++i;
    return std::nullopt;
  }
  if (i + extra >= utf8.size()) {
    ++i;
    return std::nullopt;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto next = static_cast<uint8_t>(utf8[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    c = (c << 6) | (next & 0x3Fu);
  }
  if (c < minimum || c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c)) {
    ++i;
    return std::nullopt;
  }
  i += extra + 1;
  return c;
}

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool utf8ToUtf16(std::string_view utf8, std::u16string& utf16) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::optional<char32_t> decoded = decodeUtf8At(utf8, i);
    if (!decoded) return false;
    char32_t c = *decoded;
    if (c >= 0x10000) {
      c -= 0x10000;
      utf16.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      utf16.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      utf16.push_back(static_cast<char16_t>(c));
    }
  }
  return true;
}

bool utf16ToUtf8(std::u16string_view utf16, std::string& utf8) {
  bool valid = true;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (isHighSurrogate(c) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00u);
      ++i;
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      c = 0xFFFD;
      valid = false;
    }
    appendUtf8(c, utf8);
  }
  return valid;
}

}  // namespace murlo
