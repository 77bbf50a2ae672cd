// UTF-8: decoding one character at a time, and conversion to and from
// UTF-16 (paths on UTF-8 systems, the murlo tool's terminal text, GTFS feeds).
#ifndef MURLO_TEXT_UTF8_H_
#define MURLO_TEXT_UTF8_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace murlo {

// The character whose encoding starts at utf8[i], with `i` advanced past it;
// or nothing, with `i` advanced by one byte, when no valid encoding starts
// there (a stray continuation byte, a sequence cut short, an overlong form, a
// surrogate, a value above U+10FFFF). REQUIRES: i < utf8.size().
std::optional<char32_t> decodeUtf8At(std::string_view utf8, std::size_t& i);

// Appends the UTF-8 form of `c`. REQUIRES: c is at most U+10FFFF.
void appendUtf8(char32_t c, std::string& utf8);

// Appends the UTF-16 form of `utf8`. Returns false, with an unspecified
// partial result, when `utf8` is not valid UTF-8.
bool utf8ToUtf16(std::string_view utf8, std::u16string& utf16);

// Appends the UTF-8 form of `utf16`. An unpaired surrogate is written as
// U+FFFD and makes the result false; the rest is still converted.
bool utf16ToUtf8(std::u16string_view utf16, std::string& utf8);

}  // namespace murlo

#endif  // MURLO_TEXT_UTF8_H_
