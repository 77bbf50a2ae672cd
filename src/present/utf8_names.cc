#include "present/utf8_names.h"

#include <array>
#include <limits>
#include <stdexcept>

#include "present/class_names.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

// Appends `gbk` in UTF-8 and a zero byte; returns where it begins.
uint32_t add(std::string& texts, std::string_view gbk) {
  if (texts.size() > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("UTF-8 names past 4 GiB");
  }
  const auto start = static_cast<uint32_t>(texts.size());
  gbkToUtf8(gbk, texts);
  texts += '\0';
  return start;
}

}  // namespace

Utf8Names::Utf8Names(const TimetableDb& db) {
  header_ = add(texts_, db.headerText());
  for (StationIndex s(0); s.value() < db.stationCount(); ++s) {
    stationNames_.push_back(add(texts_, *db.stationName(s)));
  }
  for (StationIndex s(0); s.value() < db.abbreviatedStations(); ++s) {
    stationAbbreviations_.push_back(add(texts_, *db.stationAbbreviation(s)));
  }
  for (TrainIndex t(0); t.value() < db.trainCount(); ++t) {
    trainNumbers_.push_back(add(texts_, *db.trainNumber(t)));
  }
}

const char* utf8ClassName(char classCode) {
  // Every char's name, converted once.
  static const std::array<std::string, 256> names = [] {
    std::array<std::string, 256> all;
    for (std::size_t c = 0; c < all.size(); ++c) {
      gbkToUtf8(className(static_cast<char>(c)), all[c]);
    }
    return all;
  }();
  return names[static_cast<unsigned char>(classCode)].c_str();
}

}  // namespace murlo
