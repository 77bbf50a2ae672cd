// ASCII letter case and spaces in what people type: abbreviations and train
// numbers are compared in capitals, and stray spaces around a station or a
// number are not part of it.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_ASCII_TEXT_H_
#define MURLO_TOOLS_MURLO_ANSWERS_ASCII_TEXT_H_

#include <string>
#include <string_view>

namespace murlo::tool {

bool hasAsciiLowerCase(std::string_view text);
// `text` with ASCII a-z as A-Z; every other byte as it is.
std::string asciiCapitals(std::string_view text);
// `text` without the spaces, tabs and ideographic spaces (U+3000) that begin
// or end it.
std::string_view trimSpaces(std::string_view text);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_ASCII_TEXT_H_
