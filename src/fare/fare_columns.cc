#include "fare/fare_columns.h"

#include <cmath>
#include <limits>

#include "fare/fare_amount_format.h"
#include "fare/fare_amounts.h"

namespace murlo {

void appendFareColumns(std::string& out, char classCode, signed char columnCode, char rateCode,
                       int32_t distance) {
  const FareAmounts fares = computeFareAmounts(classCode, columnCode, rateCode, distance);
  // The four columns are written in a buffer and appended at once.
  char text[4 * (kMaxFareAmountChars + 1)];
  char* p = text;
  for (std::size_t column = 0; column < fares.columns.size(); ++column) {
    if (column > 0) *p++ = '|';
    const float amount = fares.columns[column];
    if (fares.offered[column] && amount != 0.0f) {
      p = writeFareAmount(p, static_cast<double>(amount));
    } else {
      for (const char c : {' ', ' ', '-', ' '}) *p++ = c;
    }
  }
  out.append(text, p);
}

std::array<std::optional<int64_t>, 4> fareColumnValues(char classCode, signed char columnCode,
                                                       char rateCode, int32_t distance) {
  const FareAmounts fares = computeFareAmounts(classCode, columnCode, rateCode, distance);
  std::array<std::optional<int64_t>, 4> values{};
  for (std::size_t column = 0; column < fares.columns.size(); ++column) {
    const float amount = fares.columns[column];
    if (!fares.offered[column] || amount == 0.0f || std::isnan(amount)) continue;
    // std::round takes half-way amounts away from zero, as the text does.
    const double whole = std::round(static_cast<double>(amount));
    constexpr double kLimit = 9223372036854775807.0;  // 2^63, the first double past int64_t
    values[column] = whole >= kLimit    ? std::numeric_limits<int64_t>::max()
                     : whole <= -kLimit ? std::numeric_limits<int64_t>::min()
                                        : static_cast<int64_t>(whole);
  }
  return values;
}

std::string buildFareColumns(char classCode, signed char columnCode, char rateCode,
                             int32_t distance) {
  std::string text;
  appendFareColumns(text, classCode, columnCode, rateCode, distance);
  return text;
}

}  // namespace murlo
