#include "support/reference_lookups.h"

#include <string>

namespace murlo::test {

std::optional<StationIndex> findStationByScan(const TimetableDb& db, std::string_view name) {
  for (StationIndex s(0); s.value() < db.stationCount(); ++s) {
    if (*db.stationName(s) == name) return s;
  }
  return std::nullopt;
}

std::vector<StationIndex> stationsWithPrefixByScan(const TimetableDb& db, std::string_view prefix) {
  std::vector<StationIndex> found;
  for (StationIndex s(0); s.value() < db.abbreviatedStations(); ++s) {
    if (db.stationAbbreviation(s)->substr(0, prefix.size()) == prefix) found.push_back(s);
  }
  return found;
}

std::vector<TrainIndex> trainsWithNumberByScan(const TimetableDb& db, std::string_view number) {
  std::vector<std::string> patterns;
  const std::string q(number);
  for (const std::string prefix : {"", "T", "L", "N", "A", "K", "Y", "Z"}) {
    for (const std::string suffix : {"", "A", "B"})
      patterns.push_back("/" + prefix + q + suffix + "/");
  }
  for (const std::string prefix : {"D", "C", "G"}) patterns.push_back("/" + prefix + q + "/");
  std::vector<TrainIndex> trains;
  for (TrainIndex t(0); t.value() < db.trainCount(); ++t) {
    const std::string probe = "/" + std::string(*db.trainNumber(t)) + "/";
    for (const std::string& pattern : patterns) {
      if (probe.find(pattern) != std::string::npos) {
        trains.push_back(t);
        break;
      }
    }
  }
  return trains;
}

}  // namespace murlo::test
