// The two rounding rules of the tariff, on single-precision amounts.
//
// Both take floor(v) on v widened to double as the integer part n and the
// fraction v - n computed in single precision, so the decision is taken on
// the single-precision value itself.
#ifndef MURLO_FARE_ROUNDING_H_
#define MURLO_FARE_ROUNDING_H_

#include <cstdint>

namespace murlo {

// n + 1 when the fraction is at least 0.5, else n: 2.5 gives 3, -2.5 gives -2.
// Used by the conventional tariff.
inline int32_t roundHalfUp(float v);

// The nearest integer, a fraction of exactly 0.5 going to the even
// neighbour: 2.5 gives 2, 3.5 gives 4, 2.5001 gives 3. Used by the
// per-kilometre classes.
inline int32_t roundHalfEven(float v);

// Both: NaN gives 0, and a value beyond the int32 range gives the nearest
// int32 limit, so no input is undefined behaviour.

// ---- Implementation: inline, the tariff rounds a dozen times per fare.

namespace rounding_detail {

// Whether floor(v) has an int32 value (false for NaN).
inline bool inRange(double wide) { return wide >= -2147483648.0 && wide < 2147483648.0; }

// floor(v) for v in range, without a library call.
inline int32_t floorInRange(double wide) {
  const auto whole = static_cast<int32_t>(wide);  // towards zero
  return static_cast<double>(whole) > wide ? whole - 1 : whole;
}

// n + 1 without overflow. A float at least 2^23 has no fraction, so the
// guard never changes a result; it only keeps the sum defined.
inline int32_t nextUp(int32_t n) { return n < INT32_MAX ? n + 1 : n; }

// The result for v out of range: 0 for NaN, else the nearest int32 limit.
int32_t outOfRange(float v);

}  // namespace rounding_detail

inline int32_t roundHalfUp(float v) {
  using namespace rounding_detail;
  const double wide = static_cast<double>(v);
  if (!inRange(wide)) return outOfRange(v);
  const int32_t whole = floorInRange(wide);
  const float fraction = v - static_cast<float>(whole);
  return fraction < 0.5f ? whole : nextUp(whole);
}

inline int32_t roundHalfEven(float v) {
  using namespace rounding_detail;
  const double wide = static_cast<double>(v);
  if (!inRange(wide)) return outOfRange(v);
  const int32_t whole = floorInRange(wide);
  const double fraction = static_cast<double>(v - static_cast<float>(whole));
  const bool odd = whole % 2 != 0;
  const bool up = odd ? fraction >= 0.5 : fraction > 0.5;
  return up ? nextUp(whole) : whole;
}

}  // namespace murlo

#endif  // MURLO_FARE_ROUNDING_H_
