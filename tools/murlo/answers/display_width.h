// How many terminal columns a text takes.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_DISPLAY_WIDTH_H_
#define MURLO_TOOLS_MURLO_ANSWERS_DISPLAY_WIDTH_H_

#include <cstddef>
#include <string_view>

namespace murlo::tool {

// The columns `utf8` takes on a terminal: two for each wide or full-width
// character (Chinese, Japanese and Korean characters, full-width forms), none
// for combining marks and zero-width characters, one for everything else.
// A byte that starts no valid UTF-8 character counts as one column.
std::size_t displayWidth(std::string_view utf8);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_DISPLAY_WIDTH_H_
