#include "db/day_rollover.h"

namespace murlo {

int64_t journeyMinutes(const StopList& stops, int32_t fromStop, int32_t toStop) {
  int64_t total = 0;
  for (int32_t k = toStop; k >= fromStop + 2; --k) {
    total += stepMinutes(stops[k - 1].arrivalMinutes(), stops[k].arrivalMinutes());
  }
  total += stepMinutes(stops[fromStop].departureMinutes(),
                       stops[fromStop + 1].arrivalMinutes());
  return total;
}

namespace {

// printf's "%.2d": at least two digits, a minus sign in front of them.
void appendTwoDigitsAtLeast(std::string& out, int64_t value) {
  if (value < 0) out += '-';
  const std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < 2) out += '0';
  out += digits;
}

}  // namespace

std::string formatHoursMinutes(int64_t minutes) {
  std::string text;
  appendTwoDigitsAtLeast(text, minutes / 60);
  text += ':';
  appendTwoDigitsAtLeast(text, minutes % 60);
  return text;
}

}  // namespace murlo
