#include "fare/fare_columns.h"

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

std::string buildFareColumns(char classCode, signed char columnCode, char rateCode,
                             int32_t distance) {
  std::string text;
  appendFareColumns(text, classCode, columnCode, rateCode, distance);
  return text;
}

}  // namespace murlo
