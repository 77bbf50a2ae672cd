#include "answers/train_lines.h"

namespace murlo::tool {

std::string timeWithDay(const std::string& time, int day) {
  if (day == 0) return time;
  return time + (day > 0 ? "+" : "") + std::to_string(day);
}

}  // namespace murlo::tool
