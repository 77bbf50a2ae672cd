#include "present/class_names.h"

namespace murlo {

// GBK bytes; the second group of four is the first with 空调 (air-conditioned)
// in front.
std::string_view className(char classCode) {
  switch (classCode) {
    case '1': return "\xCC\xD8\xBF\xEC";                  // 特快
    case '2': return "\xBF\xEC\xCB\xD9";                  // 快速
    case '3': return "\xC6\xD5\xBF\xEC";                  // 普快
    case '4': return "\xC6\xD5\xC2\xFD";                  // 普慢
    case '6': return "\xBF\xD5\xB5\xF7\xCC\xD8\xBF\xEC";  // 空调特快
    case '7': return "\xBF\xD5\xB5\xF7\xBF\xEC\xCB\xD9";  // 空调快速
    case '8': return "\xBF\xD5\xB5\xF7\xC6\xD5\xBF\xEC";  // 空调普快
    case '9': return "\xBF\xD5\xB5\xF7\xC6\xD5\xC2\xFD";  // 空调普慢
    case '0': return "\xB6\xAF\xB3\xB5\xD7\xE9";          // 动车组
    case 'A': return "\xB3\xC7\xBC\xCA\xB8\xDF\xCB\xD9";  // 城际高速
    case 'B': return "\xB8\xDF\xCB\xD9\xB6\xAF\xB3\xB5";  // 高速动车
    default: return {};
  }
}

}  // namespace murlo
