#include "answers/visible_text.h"

namespace murlo::tool {
namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string escaped(std::string_view utf8, bool message) {
  std::string shown;
  shown.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (message && (byte == '\n' || byte == '\t')) {
      shown += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    } else if (byte == 0xC2 && i + 1 < utf8.size() &&
               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      // U+0080 to U+009F: two bytes in UTF-8, C2 80 to C2 9F.
      const auto low = static_cast<unsigned char>(utf8[++i]);
      shown += "\\u00";
      shown += kHex[low >> 4];
      shown += kHex[low & 0xF];
    } else if (byte == '\\' && !message) {
      shown += "\\\\";
    } else {
      shown += static_cast<char>(byte);
    }
  }
  return shown;
}

}  // namespace

std::string visibleText(std::string_view utf8) { return escaped(utf8, false); }

std::string visibleMessage(std::string_view utf8) { return escaped(utf8, true); }

}  // namespace murlo::tool
