#include "fare/fare_columns.h"

#include "fare/fare_amount_format.h"
#include "fare/fare_amounts.h"

namespace murlo {

std::string buildFareColumns(char classCode, signed char columnCode,
                             char rateCode, int32_t distance) {
  const FareAmounts fares =
      computeFareAmounts(classCode, columnCode, rateCode, distance);
  std::string text;
  for (std::size_t column = 0; column < fares.columns.size(); ++column) {
    if (column > 0) text += '|';
    const float amount = fares.columns[column];
    if (fares.offered[column] && amount != 0.0f) {
      text += formatFareAmount(static_cast<double>(amount));
    } else {
      text += "  - ";
    }
  }
  return text;
}

}  // namespace murlo
