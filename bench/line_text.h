// Result text from fields, for the SQLite baseline: the same SegmentLine and
// stop-line layout the library writes, built with the library's own fare,
// class-name and time formatting from the values a query returned.
#ifndef MURLO_BENCH_LINE_TEXT_H_
#define MURLO_BENCH_LINE_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace murlo::bench {

// One train from a boarding to an alighting stop.
struct LineFields {
  int64_t train = 0;
  std::string_view number;
  char classCode = 0;
  char fareColumnCode = 0;
  char fareRateCode = 0;
  std::string_view boardingName;
  int32_t departure = 0;  // at boarding, minutes of the day
  std::string_view alightingName;
  int32_t arrival = 0;  // at alighting, minutes of the day
  std::string_view firstName;
  std::string_view lastName;
  int32_t distanceKm = 0;      // boarding to alighting
  int64_t journeyMinutes = 0;  // departure to arrival
};

// Appends the SegmentLine of `fields` and "*".
void appendLine(std::string& text, const LineFields& fields, int32_t mode);

// Appends one stop line of a stop list: marker, name, arrival, departure,
// distance and "*" ("-" for the first arrival and the last departure).
void appendStopLine(std::string& text, bool marked, std::string_view name, int32_t arrival,
                    int32_t departure, int32_t km, bool first, bool last);

}  // namespace murlo::bench

#endif  // MURLO_BENCH_LINE_TEXT_H_
