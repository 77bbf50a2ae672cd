#include "present/utf16_station_names.h"

#include <stdexcept>

#include "text/gbk_codec.h"

namespace murlo {

Utf16StationNames::Utf16StationNames(const TimetableDb& db) {
  std::string piece;
  ends_.reserve(static_cast<std::size_t>(db.stationCount()) + 1);
  ends_.push_back(0);
  for (StationIndex s(0); s.value() < db.stationCount(); ++s) {
    piece.assign(*db.stationName(s)).push_back('|');
    gbkToUtf16(piece, units_);
    if (units_.size() > UINT32_MAX) throw std::length_error("station names beyond 4 GiB");
    ends_.push_back(static_cast<uint32_t>(units_.size()));
  }
}

}  // namespace murlo
