#include "gtfs/field_values.h"

#include <charconv>
#include <cmath>

namespace murlo::gtfs {

std::optional<int32_t> toInt(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<double> toDouble(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool isTimeZoneName(std::string_view text) {
  if (text.empty() || text.size() > 64 || text.front() == '/' || text.back() == '/') return false;
  char previous = 0;
  for (const char c : text) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!letter && c != '_' && c != '-' && c != '+' && c != '/') return false;
    if (c == '/' && previous == '/') return false;
    previous = c;
  }
  return true;
}

}  // namespace murlo::gtfs
