// The direct trains between two stations, by the plain algorithm step by
// step: the reference that the direct-trains query is held to.
#include "support/reference_direct_trains.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "present/segment_line.h"
#include "support/test_support.h"

namespace murlo::test {

namespace {

int32_t atoiOf(std::string_view text, std::size_t pos, std::size_t width) {
  return std::atoi(std::string(text.substr(pos, width)).c_str());
}

}  // namespace

QueryResult directTrainsByScan(const TimetableDb& db, std::string_view origin,
                               std::string_view destination, int32_t mode) {
  if (origin == destination) return {.status = QueryStatus::kSameStation};
  int32_t from = -1;
  int32_t to = -1;
  for (int32_t s = 0; s < db.stationCount() && (from < 0 || to < 0); ++s) {
    const std::string_view name = db.lists().stationNames[static_cast<std::size_t>(s)];
    if (from < 0 && name == origin) from = s;
    if (to < 0 && name == destination) to = s;
  }
  if (db.stationCount() <= 0 || from < 0) return {.status = QueryStatus::kUnknownOrigin};
  if (to < 0) return {.status = QueryStatus::kUnknownDestination};

  const auto stopsOf = [&db](int32_t t) {
    return static_cast<int32_t>(db.lists().trainStopLists[static_cast<std::size_t>(t)].size() / 16);
  };
  const auto stationOf = [&db](int32_t t, int32_t k) {
    return atoiOf(db.lists().trainStopLists[static_cast<std::size_t>(t)],
                  16 * static_cast<std::size_t>(k), 4);
  };
  const auto kmOf = [&db](int32_t t, int32_t k) {
    return atoiOf(db.lists().trainStopLists[static_cast<std::size_t>(t)],
                  16 * static_cast<std::size_t>(k) + 12, 4);
  };
  const auto calls = [&](int32_t station) {
    std::vector<std::pair<int32_t, int32_t>> list;
    const std::string_view text = db.lists().stationCallLists[static_cast<std::size_t>(station)];
    for (std::size_t k = 0; 6 * k + 6 <= text.size(); ++k) {
      const int32_t t = atoiOf(text, 6 * k, 4);
      const int32_t p = atoiOf(text, 6 * k + 4, 2);
      if (t >= 0 && t < db.trainCount() && p >= 0 && p < stopsOf(t)) list.emplace_back(t, p);
    }
    return list;
  };
  const auto origins = calls(from);
  const auto destinations = calls(to);

  QueryResult result;
  for (const auto& [t, s] : origins) {
    for (const auto& [u, p] : destinations) {
      if (u > t) break;
      if (u == t && s < p) {
        const std::string line =
            buildSegmentLine(db, TrainIndex(t), StopPosition(s), StopPosition(p), mode);
        if (line.empty()) continue;
        result.text += line + "*";
        ++result.count;
      }
    }
  }
  if (result.count > 0) return result;

  std::vector<std::pair<int32_t, int32_t>> onward;
  std::vector<std::pair<int32_t, int32_t>> feeder;
  std::vector<std::string_view> listed;
  const auto list = [&](int32_t station, int32_t km, auto& into) {
    if (station < 0 || station >= db.stationCount()) return;
    const std::string_view name = db.lists().stationNames[static_cast<std::size_t>(station)];
    if (std::find(listed.begin(), listed.end(), name) != listed.end()) return;
    into.emplace_back(station, km);
    listed.push_back(name);
  };
  for (const auto& [t, s] : origins) {
    for (int32_t k = s + 1; k < stopsOf(t); ++k)
      list(stationOf(t, k), kmOf(t, k) - kmOf(t, s), onward);
  }
  listed.clear();
  for (const auto& [t, s] : destinations) {
    for (int32_t k = 0; k < s; ++k) list(stationOf(t, k), kmOf(t, s) - kmOf(t, k), feeder);
  }
  std::vector<std::pair<int32_t, int32_t>> candidates;
  int32_t shortest = 30000;
  for (const auto& [a, aKm] : onward) {
    for (const auto& [b, bKm] : feeder) {
      if (a != b) continue;
      candidates.emplace_back(a, aKm + bKm);
      if (aKm + bKm < shortest) shortest = aKm + bKm;
    }
  }
  const auto threshold = static_cast<int32_t>(shortest * 1.36);
  const std::string beijing = gbk("北京");
  bool beijingWritten = false;
  for (const auto& [station, total] : candidates) {
    if (total >= threshold) continue;
    const std::string_view name = db.lists().stationNames[static_cast<std::size_t>(station)];
    if (name.find(beijing) != std::string_view::npos && !beijingWritten) {
      result.text += beijing;
      beijingWritten = true;
    } else {
      result.text += name;
    }
    result.text += "|";
  }
  return result;
}

}  // namespace murlo::test
