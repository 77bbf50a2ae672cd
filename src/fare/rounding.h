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
int32_t roundHalfUp(float v);

// The nearest integer, a fraction of exactly 0.5 going to the even
// neighbour: 2.5 gives 2, 3.5 gives 4, 2.5001 gives 3. Used by the
// per-kilometre classes.
int32_t roundHalfEven(float v);

// Both: NaN gives 0, and a value beyond the int32 range gives the nearest
// int32 limit, so no input is undefined behaviour.

}  // namespace murlo

#endif  // MURLO_FARE_ROUNDING_H_
