#include "answers/time_of_day.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

namespace murlo::tool {

std::optional<int> parseDigits(std::string_view digits, std::size_t most) {
  if (digits.empty() || digits.size() > most) return std::nullopt;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
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

std::string formatMinuteOfDay(int minute) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", minute / 60 % 100, minute % 60);
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
