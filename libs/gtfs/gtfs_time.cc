#include "gtfs/gtfs_time.h"

namespace murlo::gtfs {
namespace {

// The value of the decimal digits in [begin, end), or -1 when one is not a digit.
int32_t digits(std::string_view text, std::size_t begin, std::size_t end) {
  int32_t value = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::optional<int32_t> parseGtfsTime(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 3) return std::nullopt;
  if (text.size() != colon + 6 || text[colon + 3] != ':') return std::nullopt;
  const int32_t hours = digits(text, 0, colon);
  const int32_t minutes = digits(text, colon + 1, colon + 3);
  const int32_t seconds = digits(text, colon + 4, colon + 6);
  if (hours < 0 || minutes < 0 || seconds < 0 || minutes > 59 || seconds > 59) {
    return std::nullopt;
  }
  return hours * 3600 + minutes * 60 + seconds;
}

int32_t minuteOfDay(int32_t seconds) {
  constexpr int32_t kMinutesPerDay = 24 * 60;
  const int32_t minutes = seconds / 60;
  return ((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
}

}  // namespace murlo::gtfs
