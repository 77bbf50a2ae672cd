#include "gtfs/train_number.h"

#include "gtfs/code_points.h"
#include "gtfs/transliteration.h"

namespace murlo::gtfs {

CleanNumber cleanNumber(std::string_view utf8) {
  CleanNumber clean;
  std::string text;
  for (const char32_t c : decodeUtf8(utf8)) {
    std::string_view ascii;
    char single = 0;
    if (c < 0x80) {
      single = static_cast<char>(c);
      ascii = std::string_view(&single, 1);
    } else {
      ascii = transliterate(c);
      clean.changed = true;
    }
    for (char a : ascii) {
      if (a >= 'a' && a <= 'z') {
        a = static_cast<char>(a - 'a' + 'A');
        clean.changed = true;
      }
      if (a == 'O') {
        a = '0';
        clean.letterO = true;
      }
      const bool keep = (a >= 'A' && a <= 'Z') || (a >= '0' && a <= '9') || a == '/';
      if (!keep) {
        clean.changed = true;
        continue;
      }
      if (a == '/' && (text.empty() || text.back() == '/')) continue;
      text += a;
    }
  }
  if (!text.empty() && text.back() == '/') text.pop_back();
  if (text.size() > kMaxNumberBytes) {
    clean.shortened = true;
    // Whole numbers first; a single number too long is cut.
    const std::size_t slash = text.rfind('/', kMaxNumberBytes);
    text.resize(slash != std::string::npos && slash > 0 ? slash : kMaxNumberBytes);
  }
  clean.text = std::move(text);
  return clean;
}

std::string countedNumber(std::string_view base, std::size_t counter, std::size_t width) {
  std::string digits = std::to_string(counter);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  std::string number;
  for (const char c : base) {
    if (c != '/') number += c;
  }
  if (number.size() + digits.size() > kMaxNumberBytes) {
    number.resize(kMaxNumberBytes > digits.size() ? kMaxNumberBytes - digits.size() : 0);
  }
  return number + digits;
}

}  // namespace murlo::gtfs
