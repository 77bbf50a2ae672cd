// Printing a fare amount as a whole number of yuan.
#ifndef MURLO_FARE_FARE_AMOUNT_FORMAT_H_
#define MURLO_FARE_FARE_AMOUNT_FORMAT_H_

#include <cstddef>
#include <string>

namespace murlo {

// The most characters an amount takes: a sign and the 309 digits of the
// largest double.
inline constexpr std::size_t kMaxFareAmountChars = 1 + 309;

// Writes the amount as the nearest integer, right-aligned in at least 4
// characters, with a leading '-' when the amount is negative (-0.2 shows
// "  -0"), and returns the end of what it wrote. An amount exactly half-way
// between two integers goes away from zero: 1.5 shows "   2", 2.5 "   3",
// -2.5 "  -3". Wider amounts are printed in full; NaN shows " nan" and
// infinities " inf" / "-inf". The same text on every platform: no C library
// formatting is involved. REQUIRES: `out` has room for kMaxFareAmountChars.
char* writeFareAmount(char* out, double amount);

// The text writeFareAmount writes.
std::string formatFareAmount(double amount);

}  // namespace murlo

#endif  // MURLO_FARE_FARE_AMOUNT_FORMAT_H_
