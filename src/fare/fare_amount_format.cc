#include "fare/fare_amount_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace murlo {

namespace {

constexpr std::size_t kMinimumWidth = 4;

std::string digitsOf(uint64_t value) {
  std::string digits;
  do {
    digits += static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// Decimal digits of an integral double of at least 2^64: its 53-bit
// significand shifted into 32-bit limbs, then divided by 10 digit by digit.
std::string digitsOfHuge(double value) {
  int exponent = 0;
  const double significand = std::frexp(value, &exponent);
  const auto bits = static_cast<uint64_t>(std::ldexp(significand, 53));
  const auto shift = static_cast<std::size_t>(exponent - 53);
  std::vector<uint32_t> limbs(shift / 32 + 3, 0);
  for (std::size_t i = 0; i < 53; ++i) {
    if (((bits >> i) & 1U) != 0) {
      const std::size_t position = i + shift;
      limbs[position / 32] |= uint32_t{1} << (position % 32);
    }
  }
  std::string digits;
  while (std::any_of(limbs.begin(), limbs.end(), [](uint32_t limb) { return limb != 0; })) {
    uint64_t remainder = 0;
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
      const uint64_t current = (remainder << 32) | *limb;
      *limb = static_cast<uint32_t>(current / 10);
      remainder = current % 10;
    }
    digits += static_cast<char>('0' + remainder);
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// The nearest integer to a non-negative amount, halves going up. Not
// std::round: the C runtime of mingw-w64 rounds 0.49999999999999994 to 1.
double roundHalfUp(double magnitude) {
  const double whole = std::floor(magnitude);
  return magnitude - whole >= 0.5 ? whole + 1.0 : whole;  // the difference is exact
}

// Digits of the nearest integer to a finite, non-negative amount, halves
// going up.
std::string roundedDigits(double magnitude) {
  const double whole = roundHalfUp(magnitude);
  constexpr double kTwoTo64 = 18446744073709551616.0;
  return whole < kTwoTo64 ? digitsOf(static_cast<uint64_t>(whole)) : digitsOfHuge(whole);
}

}  // namespace

char* writeFareAmount(char* out, double amount) {
  // Amounts below a million yuan, the only ones a tariff gives, without
  // building the text apart.
  const double magnitude = std::fabs(amount);
  if (!(magnitude < 1e6)) return nullptr;
  auto whole = static_cast<uint32_t>(roundHalfUp(magnitude));
  char text[kMinimumWidth + 8];
  char* const end = text + sizeof text;
  char* begin = end;
  do {
    *--begin = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  if (std::signbit(amount)) *--begin = '-';
  while (end - begin < static_cast<std::ptrdiff_t>(kMinimumWidth)) *--begin = ' ';
  while (begin < end) *out++ = *begin++;
  return out;
}

void appendFareAmount(std::string& out, double amount) {
  char text[kMaxWrittenFareAmount];
  if (char* end = writeFareAmount(text, amount)) {
    out.append(text, end);
  } else {
    out += formatFareAmount(amount);
  }
}

std::string formatFareAmount(double amount) {
  std::string text;
  if (std::signbit(amount)) text += '-';
  if (std::isnan(amount)) {
    text += "nan";
  } else if (std::isinf(amount)) {
    text += "inf";
  } else {
    text += roundedDigits(std::fabs(amount));
  }
  if (text.size() < kMinimumWidth) {
    text.insert(0, kMinimumWidth - text.size(), ' ');
  }
  return text;
}

}  // namespace murlo
