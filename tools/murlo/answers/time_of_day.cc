#include "answers/time_of_day.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "answers/ascii_text.h"

namespace murlo::tool {

std::optional<int> parseDigits(std::string_view digits, std::size_t most) {
  if (digits.empty() || digits.size() > most) return std::nullopt;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return isAsciiDigit(c); })) {
    return std::nullopt;
  }
  int value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

std::optional<int> parseMinuteOfDay(std::string_view text) {
  // "HH:MM" and "H:MM", or the same without the colon ("0815", "930"); a
  // number of one or two digits is refused rather than guessed at.
  const std::size_t colon = text.find(':');
  std::string_view hourPart;
  std::string_view minutePart;
  if (colon == std::string_view::npos) {
    if (text.size() < 3) return std::nullopt;
    hourPart = text.substr(0, text.size() - 2);
    minutePart = text.substr(text.size() - 2);
  } else {
    hourPart = text.substr(0, colon);
    minutePart = text.substr(colon + 1);
  }
  const auto hours = parseDigits(hourPart, 2);
  const auto minutes = minutePart.size() == 2 ? parseDigits(minutePart, 2) : std::nullopt;
  if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
  return *hours * 60 + *minutes;
}

std::string formatMinuteOfDay(int minute) { return clockOf(minute); }

std::optional<int> minutesOf(std::string_view time) {
  if (time.size() != 5 || time[2] != ':') return std::nullopt;
  const auto hours = parseDigits(time.substr(0, 2), 2);
  const auto minutes = parseDigits(time.substr(3, 2), 2);
  if (!hours || !minutes) return std::nullopt;
  return *hours * 60 + *minutes;
}

int dayOf(int64_t minutes) {
  constexpr int64_t kDay = kMinutesPerDay;
  const int64_t day = minutes >= 0 ? minutes / kDay : -((-minutes + kDay - 1) / kDay);
  return static_cast<int>(day);
}

std::string clockOf(int64_t minutes) { return spanOf(minutes - dayOf(minutes) * kMinutesPerDay); }

std::string spanOf(int64_t minutes) {
  char text[48];
  std::snprintf(text, sizeof text, "%.2" PRId64 ":%.2" PRId64, minutes / 60, minutes % 60);
  return text;
}

int currentMinuteOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  if (localtime_s(&local, &now) != 0) return 0;
#else
  if (localtime_r(&now, &local) == nullptr) return 0;
#endif
  return std::clamp(local.tm_hour * 60 + local.tm_min, 0, kMinutesPerDay - 1);
}

}  // namespace murlo::tool
