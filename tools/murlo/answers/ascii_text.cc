#include "answers/ascii_text.h"

#include <algorithm>

namespace murlo::tool {

bool hasAsciiLowerCase(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return isAsciiLower(c); });
}

std::string asciiCapitals(std::string_view text) {
  std::string capitals(text);
  for (char& c : capitals) c = asciiUpper(c);
  return capitals;
}

std::string_view trimSpaces(std::string_view text) {
  constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  for (bool trimmed = true; trimmed && !text.empty();) {
    trimmed = false;
    if (text.front() == ' ' || text.front() == '\t') {
      text.remove_prefix(1);
      trimmed = true;
    } else if (text.back() == ' ' || text.back() == '\t') {
      text.remove_suffix(1);
      trimmed = true;
    } else if (text.substr(0, kIdeographicSpace.size()) == kIdeographicSpace) {
      text.remove_prefix(kIdeographicSpace.size());
      trimmed = true;
    } else if (text.size() >= kIdeographicSpace.size() &&
               text.substr(text.size() - kIdeographicSpace.size()) == kIdeographicSpace) {
      text.remove_suffix(kIdeographicSpace.size());
      trimmed = true;
    }
  }
  return text;
}

}  // namespace murlo::tool
