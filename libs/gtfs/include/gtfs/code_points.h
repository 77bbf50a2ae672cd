// Text as Unicode code points, and which of them code page 936 can hold.
#ifndef MURLO_GTFS_CODE_POINTS_H_
#define MURLO_GTFS_CODE_POINTS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/utf8.h"

namespace murlo::gtfs {

inline constexpr char32_t kReplacement = 0xFFFD;

// The code points of UTF-8 text; each byte that does not begin a valid
// sequence (overlong forms and surrogates included) becomes kReplacement.
// (Encoding is murlo::appendUtf8.)
std::vector<char32_t> decodeUtf8(std::string_view utf8);

// The GBK bytes of one code point, or "" when code page 936 cannot hold it.
std::string gbkOf(char32_t point);

// "U+1F68B" for messages.
std::string codePointName(char32_t point);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_CODE_POINTS_H_
