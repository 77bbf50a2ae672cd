#include "answers/pinyin_initials.h"

#include "answers/ascii_text.h"

namespace murlo::tool {
namespace {

bool isVowel(char c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'v';
}

// Where the syllable that begins at `i` ends, or npos when it has no vowel.
std::size_t syllableEnd(const std::string& s, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < s.size() ? s[k] : '\0'; };
  std::size_t j = i;
  if ((s[j] == 'z' || s[j] == 'c' || s[j] == 's') && at(j + 1) == 'h') {
    j += 2;
  } else if (!isVowel(s[j])) {
    ++j;
  }
  if (!isVowel(at(j))) return std::string::npos;
  while (isVowel(at(j))) ++j;
  if (at(j) == 'n') {
    if (at(j + 1) == 'g' && !isVowel(at(j + 2))) return j + 2;
    if (!isVowel(at(j + 1))) return j + 1;
  } else if (at(j) == 'r' && at(j - 1) == 'e' && !isVowel(at(j + 1))) {
    return j + 1;
  }
  return j;
}

}  // namespace

std::string pinyinInitials(std::string_view latin) {
  std::string s;
  for (const char c : latin) {
    if (!isAsciiLetter(c)) return "";
    s += asciiLower(c);
  }
  std::string initials;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t end = syllableEnd(s, i);
    if (end == std::string::npos) return "";
    initials += asciiUpper(s[i]);
    i = end;
  }
  return initials;
}

}  // namespace murlo::tool
