#include "answers/station_match.h"

#include <algorithm>
#include <functional>

#include "answers/ascii_text.h"
#include "answers/pinyin_initials.h"
#include "text/utf8.h"

namespace murlo::tool {
namespace {

void addOnce(std::vector<std::string>& names, const std::string& name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

std::vector<std::string> wordsOf(const std::string& folded) {
  std::vector<std::string> words;
  std::size_t begin = 0;
  while (begin <= folded.size()) {
    std::size_t end = folded.find('_', begin);
    if (end == std::string::npos) end = folded.size();
    if (end > begin) words.push_back(folded.substr(begin, end - begin));
    begin = end + 1;
  }
  return words;
}

// Whether every word typed begins a word of the name or is begun by one, of
// at least three Latin letters: names cut to fit the file ("Harbo_Centr")
// are found by their full words ("harbour central").
bool wordsMatch(const std::vector<std::string>& typed, const std::string& foldedName) {
  const std::vector<std::string> words = wordsOf(foldedName);
  const auto latin = [](const std::string& word) {
    return std::all_of(word.begin(), word.end(), [](char c) { return isAsciiLower(c); });
  };
  for (const std::string& t : typed) {
    if (!latin(t)) return false;
    const bool found = std::any_of(words.begin(), words.end(), [&](const std::string& w) {
      const std::size_t shorter = std::min(t.size(), w.size());
      return shorter >= 3 && t.compare(0, shorter, w, 0, shorter) == 0;
    });
    if (!found) return false;
  }
  return !typed.empty();
}

}  // namespace

std::optional<std::vector<StationEntry>> stationEntries(const murlo_db* db) {
  murlo_stations* listed = nullptr;
  if (murlo_db_stations(db, "", &listed) != MURLO_STATUS_OK) return std::nullopt;
  std::vector<StationEntry> stations;
  stations.reserve(listed->count);
  for (std::size_t i = 0; i < listed->count; ++i) {
    std::string name = listed->stations[i].name;
    std::string folded = foldedName(name);
    stations.push_back({std::move(name), listed->stations[i].abbreviation, std::move(folded), {}});
  }
  murlo_stations_free(listed);
  murlo_station_groups* groups = nullptr;
  if (murlo_db_station_groups(db, &groups) != MURLO_STATUS_OK) return std::nullopt;
  for (std::size_t g = 0; g < groups->count; ++g) {
    const murlo_station_group& group = groups->groups[g];
    StationEntry entry{group.name, "", foldedName(group.name), {}};
    for (std::size_t m = 0; m < group.member_count; ++m) {
      entry.members.emplace_back(group.member_names[m]);
    }
    stations.push_back(std::move(entry));
  }
  murlo_station_groups_free(groups);
  return stations;
}

std::string foldedName(std::string_view name) {
  std::u16string units;
  if (!utf8ToUtf16(name, units)) return std::string(name);
  for (char16_t& u : units) {
    if (u >= 0xFF01 && u <= 0xFF5E) u = static_cast<char16_t>(u - 0xFF01 + 0x21);  // full width
    if (u == 0x3000 || u == u' ') u = u'_';
    u = asciiLower(u);
  }
  std::string folded;
  utf16ToUtf8(units, folded);
  return folded;
}

std::vector<std::string> namesContaining(std::string_view part,
                                         const std::vector<StationEntry>& stations) {
  const std::string folded = foldedName(part);
  std::vector<std::string> names;
  if (folded.empty()) return names;
  for (const StationEntry& station : stations) {
    if (station.folded.find(folded) != std::string::npos) addOnce(names, station.name);
  }
  return names;
}

StationMatch matchStation(std::string_view typed, const std::vector<StationEntry>& stations) {
  StationMatch match;
  for (const StationEntry& station : stations) {
    if (station.name == typed) {
      match.kind = StationMatch::Kind::kExact;
      match.name = station.name;
      return match;
    }
  }
  const std::string folded = foldedName(typed);
  std::vector<std::string> equal;
  for (const StationEntry& station : stations) {
    if (station.folded == folded) addOnce(equal, station.name);
  }
  // An abbreviation in any letter case ("sh" for SH) names its station when
  // no name is equal to what was typed; one that several stations share
  // only lists them when no name matches either.
  std::vector<std::string> abbreviated;
  const std::string capitals = asciiCapitals(typed);
  for (const StationEntry& station : stations) {
    if (!station.abbreviation.empty() && station.abbreviation == capitals) {
      addOnce(abbreviated, station.name);
    }
  }
  if (equal.empty() && abbreviated.size() == 1) {
    match.kind = StationMatch::Kind::kTaken;
    match.name = abbreviated[0];
    match.byAbbreviation = true;
    return match;
  }
  std::vector<std::string> found = equal.empty() ? namesContaining(typed, stations) : equal;
  if (found.empty()) {
    const std::vector<std::string> words = wordsOf(folded);
    for (const StationEntry& station : stations) {
      if (wordsMatch(words, station.folded)) addOnce(found, station.name);
    }
  }
  if (found.empty()) found = abbreviated;
  if (found.size() == 1) {
    match.kind = StationMatch::Kind::kTaken;
    match.name = found[0];
  } else if (found.size() > 1) {
    match.kind = StationMatch::Kind::kSeveral;
    match.candidates = found;
  }
  return match;
}

std::vector<const StationEntry*> stationsForTyping(std::string_view typed,
                                                   const std::vector<StationEntry>& stations) {
  std::vector<const StationEntry*> found;
  if (typed.empty()) return found;
  const std::string folded = foldedName(typed);
  const std::string capitals = asciiCapitals(typed);
  const std::string initials = pinyinInitials(typed);
  const std::vector<std::string> words = wordsOf(folded);
  const auto begins = [](const std::string& text, const std::string& prefix) {
    return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
  };
  // One test per rank, best first; a station is listed under its best.
  const std::vector<std::function<bool(const StationEntry&)>> ranks = {
      [&](const StationEntry& s) { return s.name == typed; },
      [&](const StationEntry& s) { return s.abbreviation == capitals; },
      [&](const StationEntry& s) { return begins(s.folded, folded); },
      [&](const StationEntry& s) { return begins(s.abbreviation, capitals); },
      [&](const StationEntry& s) { return s.folded.find(folded) != std::string::npos; },
      [&](const StationEntry& s) {
        return initials.size() >= 2 && begins(s.abbreviation, initials);
      },
      [&](const StationEntry& s) { return wordsMatch(words, s.folded); },
  };
  std::vector<bool> listed(stations.size(), false);
  for (const auto& rank : ranks) {
    for (std::size_t i = 0; i < stations.size(); ++i) {
      if (listed[i] || !rank(stations[i])) continue;
      listed[i] = true;
      found.push_back(&stations[i]);
    }
  }
  return found;
}

}  // namespace murlo::tool
