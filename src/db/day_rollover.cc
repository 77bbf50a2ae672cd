#include "db/day_rollover.h"

#include <charconv>

namespace murlo {

int64_t journeyMinutes(const StopList& stops, StopPosition fromStop, StopPosition toStop) {
  // Forward, reading each arrival once.
  int32_t arrival = stops[fromStop.next()].arrivalMinutes();
  int64_t total = stepMinutes(stops[fromStop].departureMinutes(), arrival);
  for (StopPosition k(fromStop.value() + 2); k <= toStop; ++k) {
    const int32_t next = stops[k].arrivalMinutes();
    total += stepMinutes(arrival, next);
    arrival = next;
  }
  return total;
}

namespace {

int64_t setOutMinute(const StopList& stops) {
  const int32_t m = stops[StopPosition(0)].departureMinutes() % kMinutesPerDay;
  return m < 0 ? m + kMinutesPerDay : m;
}

}  // namespace

int64_t runMinuteOfArrival(const StopList& stops, StopPosition k) {
  if (k.value() <= 0) return setOutMinute(stops);
  return setOutMinute(stops) + journeyMinutes(stops, StopPosition(0), k);
}

int64_t runMinuteOfDeparture(const StopList& stops, StopPosition k) {
  if (k.value() <= 0) return setOutMinute(stops);
  return runMinuteOfArrival(stops, k) +
         stepMinutes(stops[k].arrivalMinutes(), stops[k].departureMinutes());
}

namespace {

// printf's "%.2d": at least two digits, a minus sign in front of them.
char* writeTwoDigitsAtLeast(char* out, int64_t value) {
  if (value < 0) *out++ = '-';
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude < 100) {
    *out++ = static_cast<char>('0' + magnitude / 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
  }
  return std::to_chars(out, out + 20, magnitude).ptr;
}

}  // namespace

void appendHoursMinutes(std::string& out, int64_t minutes) {
  char text[48];
  char* p = writeTwoDigitsAtLeast(text, minutes / 60);
  *p++ = ':';
  p = writeTwoDigitsAtLeast(p, minutes % 60);
  out.append(text, p);
}

std::string formatHoursMinutes(int64_t minutes) {
  std::string text;
  appendHoursMinutes(text, minutes);
  return text;
}

}  // namespace murlo
