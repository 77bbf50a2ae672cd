// Printing a fare amount as a whole number of yuan.
#ifndef MURLO_FARE_FARE_AMOUNT_FORMAT_H_
#define MURLO_FARE_FARE_AMOUNT_FORMAT_H_

#include <cstddef>
#include <string>

namespace murlo {

// The amount as the nearest integer, right-aligned in at least 4
// characters, with a leading '-' when the amount is negative (-0.2 shows
// "  -0"). An amount exactly half-way between two integers goes away from
// zero: 1.5 shows "   2", 2.5 "   3", -2.5 "  -3". Wider amounts are
// printed in full; NaN shows " nan" and infinities " inf" / "-inf". The
// same text on every platform: no C library formatting is involved.
std::string formatFareAmount(double amount);

// Appends formatFareAmount(amount) to `out`.
void appendFareAmount(std::string& out, double amount);

// Writes formatFareAmount(amount) at `out` and returns the end of what it
// wrote, when that is at most kMaxWrittenFareAmount characters (every amount
// below a million yuan); otherwise writes nothing and returns nullptr.
inline constexpr std::size_t kMaxWrittenFareAmount = 8;
char* writeFareAmount(char* out, double amount);

}  // namespace murlo

#endif  // MURLO_FARE_FARE_AMOUNT_FORMAT_H_
