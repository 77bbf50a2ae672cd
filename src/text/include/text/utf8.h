// UTF-8 <-> UTF-16: paths on UTF-8 systems, and the murlo tool's terminal text.
#ifndef MURLO_TEXT_UTF8_H_
#define MURLO_TEXT_UTF8_H_

#include <string>
#include <string_view>

namespace murlo {

// Appends the UTF-16 form of `utf8`. Returns false, with an unspecified
// partial result, when `utf8` is not valid UTF-8 (overlong forms, surrogates
// and values above U+10FFFF included).
bool utf8ToUtf16(std::string_view utf8, std::u16string& utf16);

// Appends the UTF-8 form of `utf16`. An unpaired surrogate is written as
// U+FFFD and makes the result false; the rest is still converted.
bool utf16ToUtf8(std::u16string_view utf16, std::string& utf8);

}  // namespace murlo

#endif  // MURLO_TEXT_UTF8_H_
