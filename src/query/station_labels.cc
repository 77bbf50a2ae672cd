#include "query/station_labels.h"

#include <algorithm>
#include <map>
#include <set>

#include "db/network_rules.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

// Line names in the order riders list them: numbers by value, then the
// rest by text ("2 3 10 A C").
bool lineBefore(const std::string& a, const std::string& b) {
  const auto number = [](const std::string& s) {
    return !s.empty() && s.size() < 9 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (number(a) != number(b)) return number(a);
  if (number(a)) return std::stoi(a) < std::stoi(b);
  return a < b;
}

std::string joinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line;
  return text;
}

std::string utf8OfGbk(const std::string& gbk) {
  std::string utf8;
  gbkToUtf8(gbk, utf8);
  return utf8;
}

}  // namespace

StationLabels::StationLabels(const TimetableDb& tables, const Utf8Names& names) {
  const NetworkRules* rules = tables.networkRules();
  if (rules == nullptr) return;
  const NetworkExtension& extension = rules->extension();
  const NetworkWords& words = extension.words;
  if (words.stations.empty()) return;
  const auto stations = static_cast<std::size_t>(tables.stationCount());
  labels_.assign(stations, "");
  lines_.assign(stations, {});
  for (int32_t t = 0; t < tables.trainCount(); ++t) {
    const LineWords* line = words.lineOf(TrainIndex(t));
    if (line == nullptr || line->shortName.empty()) continue;
    const std::optional<StopList> stops = tables.stopsOf(TrainIndex(t));
    if (!stops) continue;
    for (StopPosition k(0); stops->holds(k); ++k) {
      const int32_t s = (*stops)[k].stationIndex().value();
      if (s < 0 || static_cast<std::size_t>(s) >= stations) continue;
      std::vector<std::string>& at = lines_[static_cast<std::size_t>(s)];
      if (std::find(at.begin(), at.end(), line->shortName) == at.end())
        at.push_back(line->shortName);
    }
  }
  for (std::vector<std::string>& at : lines_) std::sort(at.begin(), at.end(), lineBefore);

  std::map<std::string, std::vector<StationIndex>> byName;
  for (const StationWords& station : words.stations) {
    if (station.station.slot() >= stations) continue;
    labels_[station.station.slot()] = station.name;
    byName[station.name].push_back(station.station);
  }
  std::map<StationIndex, std::string> complexOf;
  for (const StationGroup& group : extension.groups) {
    if (group.kind != GroupKind::kComplex) continue;
    for (const StationIndex member : group.members)
      complexOf.emplace(member, utf8OfGbk(group.name));
  }
  for (const auto& [name, shared] : byName) {
    if (shared.size() < 2) continue;
    // By the lines that call there where no other station of the name has
    // the same ones; else by the complex where no other is in it; else by
    // the name the sections keep, which is the file's own and unique.
    std::map<std::string, int> byLines;
    std::map<std::string, int> byComplex;
    for (const StationIndex s : shared) {
      ++byLines[joinedLines(lines_[s.slot()])];
      const auto complex = complexOf.find(s);
      if (complex != complexOf.end()) ++byComplex[complex->second];
    }
    for (const StationIndex s : shared) {
      const std::string lines = joinedLines(lines_[s.slot()]);
      const auto complex = complexOf.find(s);
      if (!lines.empty() && byLines[lines] == 1) {
        labels_[s.slot()] = name + " (" + lines + ")";
      } else if (complex != complexOf.end() && complex->second != name &&
                 byComplex[complex->second] == 1) {
        labels_[s.slot()] = name + " (" + complex->second + ")";
      } else {
        labels_[s.slot()] = name + " (" + names.stationName(s) + ")";
      }
    }
  }
}

const std::string& StationLabels::label(StationIndex s) const {
  return s.value() >= 0 && s.slot() < labels_.size() ? labels_[s.slot()] : none_;
}

const std::vector<std::string>& StationLabels::lines(StationIndex s) const {
  return s.value() >= 0 && s.slot() < lines_.size() ? lines_[s.slot()] : noLines_;
}

}  // namespace murlo
