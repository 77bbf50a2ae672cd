// ASCII letter case and spaces in what people type: abbreviations and train
// numbers are compared in capitals, and stray spaces around a station or a
// number are not part of it.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_ASCII_TEXT_H_
#define MURLO_TOOLS_MURLO_ANSWERS_ASCII_TEXT_H_

#include <string>
#include <string_view>

namespace murlo::tool {

// ASCII digits and letters, in bytes (char) or UTF-16 units (char16_t):
// nothing at 0x80 or above is one, whatever the locale.
template <typename Char>
constexpr bool isAsciiDigit(Char c) {
  return c >= '0' && c <= '9';
}
template <typename Char>
constexpr bool isAsciiLower(Char c) {
  return c >= 'a' && c <= 'z';
}
template <typename Char>
constexpr bool isAsciiUpper(Char c) {
  return c >= 'A' && c <= 'Z';
}
template <typename Char>
constexpr bool isAsciiLetter(Char c) {
  return isAsciiLower(c) || isAsciiUpper(c);
}
// `c` in lower case (upper case) when it is an ASCII letter, else `c`.
template <typename Char>
constexpr Char asciiLower(Char c) {
  return isAsciiUpper(c) ? static_cast<Char>(c - 'A' + 'a') : c;
}
template <typename Char>
constexpr Char asciiUpper(Char c) {
  return isAsciiLower(c) ? static_cast<Char>(c - 'a' + 'A') : c;
}

bool hasAsciiLowerCase(std::string_view text);
// `text` with ASCII a-z as A-Z; every other byte as it is.
std::string asciiCapitals(std::string_view text);
// `text` without the spaces, tabs and ideographic spaces (U+3000) that begin
// or end it.
std::string_view trimSpaces(std::string_view text);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_ASCII_TEXT_H_
