#include "fare/rounding.h"

#include <cmath>
#include <limits>

namespace murlo {

namespace {

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();

// floor(v) as an integer with the fraction v - floor(v) in single precision.
// Returns false, with `limit` set, when floor(v) has no int32 value.
struct Split {
  int32_t whole;
  float fraction;
};

bool splitFloat(float v, Split& split, int32_t& limit) {
  const double wide = static_cast<double>(v);
  if (std::isnan(wide)) {
    limit = 0;
    return false;
  }
  if (wide >= 2147483648.0) {
    limit = kMaxInt;
    return false;
  }
  if (wide < -2147483648.0) {
    limit = kMinInt;
    return false;
  }
  split.whole = static_cast<int32_t>(std::floor(wide));
  split.fraction = v - static_cast<float>(split.whole);
  return true;
}

// n + 1 without overflow. A float at least 2^23 has no fraction, so the
// guard never changes a result; it only keeps the sum defined.
int32_t nextUp(int32_t n) { return n < kMaxInt ? n + 1 : n; }

}  // namespace

int32_t roundHalfUp(float v) {
  Split split{};
  int32_t limit = 0;
  if (!splitFloat(v, split, limit)) return limit;
  return split.fraction < 0.5f ? split.whole : nextUp(split.whole);
}

int32_t roundHalfEven(float v) {
  Split split{};
  int32_t limit = 0;
  if (!splitFloat(v, split, limit)) return limit;
  const double fraction = static_cast<double>(split.fraction);
  const bool odd = split.whole % 2 != 0;
  const bool up = odd ? fraction >= 0.5 : fraction > 0.5;
  return up ? nextUp(split.whole) : split.whole;
}

}  // namespace murlo
