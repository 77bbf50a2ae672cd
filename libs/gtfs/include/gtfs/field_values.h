// The numbers and names of a feed's fields.
#ifndef MURLO_GTFS_FIELD_VALUES_H_
#define MURLO_GTFS_FIELD_VALUES_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace murlo::gtfs {

// A whole decimal number (an optional minus sign and digits) that fits in
// 32 bits, or nothing.
std::optional<int32_t> toInt(std::string_view text);
// A finite decimal number ("12", "-3.5", "1e3"), or nothing.
std::optional<double> toDouble(std::string_view text);
// Whether `text` can be an IANA time zone name ("Europe/Berlin",
// "America/Argentina/Buenos_Aires", "Etc/GMT+5", "UTC"): 1 to 64 ASCII
// letters, digits, '_', '-', '+' and '/' between parts.
bool isTimeZoneName(std::string_view text);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FIELD_VALUES_H_
