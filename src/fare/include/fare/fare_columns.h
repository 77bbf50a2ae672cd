// The built-in tariff: four fare columns for one train over one distance.
#ifndef MURLO_FARE_FARE_COLUMNS_H_
#define MURLO_FARE_FARE_COLUMNS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace murlo {

// The fare text of a train with the given codes over `distance` km: four
// right-aligned whole-yuan amounts of width 4 separated by "|", with "  - "
// for a column the train does not offer or whose amount is 0. Always 19
// characters for distances the file format can hold. A pure function: any
// input gives a text and never undefined behaviour.
std::string buildFareColumns(char classCode, signed char columnCode, char rateCode,
                             int32_t distance);

// The amounts the fare text shows, column by column, as numbers: each
// rounded as printed (the nearest whole yuan, half-way amounts away from
// zero), saturated to the range of int64_t; nothing where the text shows
// "  - ", or for an amount that is no number.
std::array<std::optional<int64_t>, 4> fareColumnValues(char classCode, signed char columnCode,
                                                       char rateCode, int32_t distance);

// Appends buildFareColumns(...) to `out`.
void appendFareColumns(std::string& out, char classCode, signed char columnCode, char rateCode,
                       int32_t distance);

}  // namespace murlo

#endif  // MURLO_FARE_FARE_COLUMNS_H_
