#include "fare/fare_amount_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace murlo {
namespace {

constexpr std::ptrdiff_t kMinimumWidth = 4;

// The nearest integer to a non-negative amount, halves going up. Not
// std::round: the C runtime of mingw-w64 rounds 0.49999999999999994 to 1.
double roundHalfUp(double magnitude) {
  const double whole = std::floor(magnitude);
  return magnitude - whole >= 0.5 ? whole + 1.0 : whole;  // the difference is exact
}

}  // namespace

char* writeFareAmount(char* out, double amount) {
  char text[kMaxFareAmountChars];
  char* const last = text + sizeof text;
  char* end;
  const double magnitude = std::fabs(amount);
  if (std::isnan(magnitude)) {
    end = std::char_traits<char>::copy(text, "nan", 3) + 3;
  } else if (std::isinf(magnitude)) {
    end = std::char_traits<char>::copy(text, "inf", 3) + 3;
  } else {
    // The exact digits of the rounded amount; integer digits where they fit
    // (every amount a tariff gives), which is quicker.
    const double whole = roundHalfUp(magnitude);
    constexpr double kTwoTo64 = 18446744073709551616.0;
    end = whole < kTwoTo64 ? std::to_chars(text, last, static_cast<uint64_t>(whole)).ptr
                           : std::to_chars(text, last, whole, std::chars_format::fixed, 0).ptr;
  }
  const std::ptrdiff_t width = (end - text) + (std::signbit(amount) ? 1 : 0);
  for (std::ptrdiff_t pad = width; pad < kMinimumWidth; ++pad) *out++ = ' ';
  if (std::signbit(amount)) *out++ = '-';
  for (const char* p = text; p < end; ++p) *out++ = *p;
  return out;
}

std::string formatFareAmount(double amount) {
  char text[kMaxFareAmountChars];
  return std::string(text, writeFareAmount(text, amount));
}

}  // namespace murlo
