// The texts of a database in UTF-8, each ending in a zero byte: what the
// structured C interface hands its host (station names, abbreviations,
// train numbers, the header), converted once, when it is first asked for,
// and kept as long as the database.
#ifndef MURLO_PRESENT_UTF8_NAMES_H_
#define MURLO_PRESENT_UTF8_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/timetable_db.h"

namespace murlo {

class Utf8Names {
 public:
  // May throw std::bad_alloc and std::length_error.
  explicit Utf8Names(const TimetableDb& db);

  // Each a zero-terminated text; the empty text outside its table.
  const char* stationName(StationIndex s) const { return text(stationNames_, s.value()); }
  const char* stationAbbreviation(StationIndex s) const {
    return text(stationAbbreviations_, s.value());
  }
  const char* trainNumber(TrainIndex t) const { return text(trainNumbers_, t.value()); }
  const char* header() const { return texts_.c_str() + header_; }

 private:
  const char* text(const std::vector<uint32_t>& starts, int32_t i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= starts.size()) return "";
    return texts_.c_str() + starts[static_cast<std::size_t>(i)];
  }

  std::string texts_;  // every text and its zero byte, one after the other
  uint32_t header_ = 0;
  std::vector<uint32_t> stationNames_;  // where each text begins in texts_
  std::vector<uint32_t> stationAbbreviations_;
  std::vector<uint32_t> trainNumbers_;
};

// The class name of `classCode` in UTF-8 (a static text; empty for an
// unknown code).
const char* utf8ClassName(char classCode);

}  // namespace murlo

#endif  // MURLO_PRESENT_UTF8_NAMES_H_
