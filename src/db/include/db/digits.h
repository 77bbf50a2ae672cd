// Reading the fixed-width digit fields of records.
#ifndef MURLO_DB_DIGITS_H_
#define MURLO_DB_DIGITS_H_

#include <cstdint>
#include <string_view>

namespace murlo {

// Reads `field` the way atoi reads a zero-terminated copy of it: leading
// white space is skipped, one optional sign is taken, then digits up to the
// first non-digit; a field without digits reads as 0. Record fields are at
// most four characters wide, so the value cannot overflow.
constexpr int32_t readAtoi(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  int32_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + (field[i] - '0');
  }
  return negative ? -value : value;
}

// readAtoi of the `width` bytes at `field`, quicker when they are all digits
// (as every field of a well-formed record is).
constexpr int32_t readField(const char* field, std::size_t width) {
  int32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(field[i])) - unsigned{'0'};
    if (digit > 9) return readAtoi(std::string_view(field, width));
    value = value * 10 + static_cast<int32_t>(digit);
  }
  return value;
}

}  // namespace murlo

#endif  // MURLO_DB_DIGITS_H_
