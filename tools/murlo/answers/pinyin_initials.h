// Station abbreviations are the initials of the name's pinyin syllables
// (北京西 "beijingxi" is BJX). This guesses them from a name typed in pinyin.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_PINYIN_INITIALS_H_
#define MURLO_TOOLS_MURLO_ANSWERS_PINYIN_INITIALS_H_

#include <string>
#include <string_view>

namespace murlo::tool {

// The capital initials of the syllables of `latin` ("Beijing" gives "BJ",
// "shanghai" "SH"), or "" when `latin` is not ASCII letters that read as
// pinyin syllables. Syllables are split at the first consonant after the
// vowels, a final "n", "ng" or "r" staying with its syllable; ambiguous
// spellings such as "xian" take the longer syllable.
std::string pinyinInitials(std::string_view latin);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_PINYIN_INITIALS_H_
