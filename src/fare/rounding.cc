#include "fare/rounding.h"

#include <cmath>
#include <limits>

namespace murlo::rounding_detail {

int32_t outOfRange(float v) {
  if (std::isnan(v)) return 0;
  return v > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
}

}  // namespace murlo::rounding_detail
