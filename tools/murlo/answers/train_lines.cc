#include "answers/train_lines.h"

#include "answers/time_of_day.h"

namespace murlo::tool {

std::optional<int> minutesOf(std::string_view time) {
  if (time.size() != 5 || time[2] != ':') return std::nullopt;
  const auto hours = parseDigits(time.substr(0, 2), 2);
  const auto minutes = parseDigits(time.substr(3, 2), 2);
  if (!hours || !minutes) return std::nullopt;
  return *hours * 60 + *minutes;
}

std::string timeWithDay(const std::string& time, int day) {
  if (day == 0) return time;
  return time + (day > 0 ? "+" : "") + std::to_string(day);
}

}  // namespace murlo::tool
