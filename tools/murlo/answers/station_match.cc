#include "answers/station_match.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>

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

// A Latin letter with an accent as its letter without one, in lower case
// ("é" as "e", "ß" as "ss", "Æ" as "ae"); "" for any other character.
std::u16string_view latinBase(char16_t u) {
  // U+00C0 to U+00FF.
  static constexpr std::u16string_view kLatin1[] = {
      u"a", u"a", u"a", u"a", u"a",  u"a",  u"ae", u"c", u"e", u"e", u"e",  u"e", u"i",
      u"i", u"i", u"i", u"d", u"n",  u"o",  u"o",  u"o", u"o", u"o", u"",   u"o", u"u",
      u"u", u"u", u"u", u"y", u"th", u"ss", u"a",  u"a", u"a", u"a", u"a",  u"a", u"ae",
      u"c", u"e", u"e", u"e", u"e",  u"i",  u"i",  u"i", u"i", u"d", u"n",  u"o", u"o",
      u"o", u"o", u"o", u"",  u"o",  u"u",  u"u",  u"u", u"u", u"y", u"th", u"y"};
  // U+0100 to U+017F: runs of one base letter, upper and lower case.
  struct Run {
    char16_t last;
    std::u16string_view base;
  };
  static constexpr Run kExtendedA[] = {
      {0x0105, u"a"}, {0x010D, u"c"}, {0x0111, u"d"},  {0x011B, u"e"},  {0x0123, u"g"},
      {0x0127, u"h"}, {0x0131, u"i"}, {0x0133, u"ij"}, {0x0135, u"j"},  {0x0138, u"k"},
      {0x0142, u"l"}, {0x014B, u"n"}, {0x0151, u"o"},  {0x0153, u"oe"}, {0x0159, u"r"},
      {0x0161, u"s"}, {0x0167, u"t"}, {0x0173, u"u"},  {0x0175, u"w"},  {0x0178, u"y"},
      {0x017E, u"z"}, {0x017F, u"s"}};
  if (u >= 0x00C0 && u <= 0x00FF) return kLatin1[u - 0x00C0];
  if (u >= 0x0100 && u <= 0x017F) {
    for (const Run& run : kExtendedA)
      if (u <= run.last) return run.base;
  }
  return {};
}

}  // namespace

std::string StationLine::text() const {
  if (shortName.empty() || longName.empty()) return shortName + longName;
  return shortName + " " + longName;
}

StationLine stationLine(std::string shortName, std::string longName) {
  StationLine line;
  line.foldedShort = foldedName(shortName);
  line.squeezedShort = squeezedName(shortName);
  line.foldedLong = foldedName(longName);
  line.squeezedLong = squeezedName(longName);
  line.shortName = std::move(shortName);
  line.longName = std::move(longName);
  return line;
}

StationEntry stationEntry(std::string name, std::string abbreviation,
                          const std::vector<std::string>& written) {
  StationEntry entry;
  entry.folded = foldedName(name);
  entry.squeezed.push_back(squeezedName(name));
  for (const std::string& text : written) {
    if (text.empty()) continue;
    entry.alsoFolded.push_back(foldedName(text));
    entry.squeezed.push_back(squeezedName(text));
  }
  if (!written.empty()) entry.label = written.back();
  entry.name = std::move(name);
  entry.abbreviation = std::move(abbreviation);
  return entry;
}

void addStationLines(const murlo_db* db, std::vector<StationEntry>& stations) {
  if (std::all_of(stations.begin(), stations.end(),
                  [](const StationEntry& s) { return s.label.empty() || !s.lines.empty(); }))
    return;
  // The long names of the lines of each short name, from the trains' words;
  // a line without a short name by the stops of its trains.
  std::map<std::string, std::set<std::string>> longNames;
  std::unordered_map<std::string_view, std::size_t> byName;
  std::vector<std::set<std::pair<std::string, std::string>>> linesAt(stations.size());
  for (uint32_t t = 0;; ++t) {
    murlo_train_info* info = nullptr;
    if (murlo_db_train_info(db, t, &info) != MURLO_STATUS_OK) break;
    const bool noShortName = info->has_line != 0 && info->line_short_name[0] == '\0';
    if (info->has_line != 0) longNames[info->line_short_name].insert(info->line_long_name);
    const std::pair<std::string, std::string> line{"", info->line_long_name};
    murlo_train_info_free(info);
    murlo_stops* stops = nullptr;
    if (!noShortName || murlo_db_train_stops(db, t, "", "", &stops) != MURLO_STATUS_OK) continue;
    if (byName.empty()) {
      for (std::size_t i = 0; i < stations.size(); ++i) byName.emplace(stations[i].name, i);
    }
    for (std::size_t k = 0; k < stops->count; ++k) {
      const auto at = byName.find(stops->stops[k].station);
      if (at != byName.end()) linesAt[at->second].insert(line);
    }
    murlo_stops_free(stops);
  }
  for (std::size_t i = 0; i < stations.size(); ++i) {
    StationEntry& station = stations[i];
    murlo_station_info* info = nullptr;
    if (station.isGroup() || murlo_db_station_info(db, station.index, &info) != MURLO_STATUS_OK)
      continue;
    // The short names of the lines calling there, as the library knows them.
    for (std::size_t l = 0; l < info->line_count; ++l) {
      const std::string shortName = info->lines[l];
      const auto found = longNames.find(shortName);
      if (found == longNames.end()) {
        linesAt[i].emplace(shortName, "");
        continue;
      }
      for (const std::string& longName : found->second) linesAt[i].emplace(shortName, longName);
    }
    murlo_station_info_free(info);
    for (const auto& [shortName, longName] : linesAt[i])
      station.lines.push_back(stationLine(shortName, longName));
  }
}

std::optional<std::vector<StationEntry>> stationEntries(const murlo_db* db, StationLines lines) {
  murlo_stations* listed = nullptr;
  if (murlo_db_stations(db, "", &listed) != MURLO_STATUS_OK) return std::nullopt;
  std::vector<StationEntry> stations;
  stations.reserve(listed->count);
  for (std::size_t i = 0; i < listed->count; ++i) {
    std::vector<std::string> written;
    murlo_station_info* info = nullptr;
    if (murlo_db_station_info(db, listed->stations[i].index, &info) != MURLO_STATUS_OK)
      info = nullptr;
    if (info != nullptr) written = {info->name_as_written, info->label};
    stations.push_back(
        stationEntry(listed->stations[i].name, listed->stations[i].abbreviation, written));
    stations.back().index = listed->stations[i].index;
    if (info != nullptr && info->has_coordinates != 0) {
      stations.back().hasCoordinates = true;
      stations.back().latitude = info->latitude;
      stations.back().longitude = info->longitude;
    }
    if (info != nullptr) {
      stations.back().wheelchair = info->wheelchair == MURLO_WHEELCHAIR_YES  ? "yes"
                                   : info->wheelchair == MURLO_WHEELCHAIR_NO ? "no"
                                                                             : "";
    }
    murlo_station_info_free(info);
  }
  murlo_stations_free(listed);
  if (lines == StationLines::kAdded) addStationLines(db, stations);
  murlo_station_groups* groups = nullptr;
  if (murlo_db_station_groups(db, &groups) != MURLO_STATUS_OK) return std::nullopt;
  for (std::size_t g = 0; g < groups->count; ++g) {
    const murlo_station_group& group = groups->groups[g];
    StationEntry entry = stationEntry(group.name, "");
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
  std::u16string folded;
  folded.reserve(units.size());
  for (char16_t u : units) {
    if (u >= 0xFF01 && u <= 0xFF5E) u = static_cast<char16_t>(u - 0xFF01 + 0x21);  // full width
    if (u == 0x3000 || u == u' ') u = u'_';
    const std::u16string_view base = latinBase(u);
    if (!base.empty()) {
      folded += base;
      continue;
    }
    folded += asciiLower(u);
  }
  std::string text;
  utf16ToUtf8(folded, text);
  return text;
}

std::string squeezedName(std::string_view name) {
  std::string squeezed = foldedName(name);
  std::erase_if(squeezed, [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x80 && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z');
  });
  return squeezed;
}

std::vector<std::string> namesContaining(std::string_view part,
                                         const std::vector<StationEntry>& stations) {
  const std::string folded = foldedName(part);
  std::vector<std::string> names;
  if (folded.empty()) return names;
  for (const StationEntry& station : stations) {
    if (station.anyFolded(
            [&](const std::string& f) { return f.find(folded) != std::string::npos; }))
      addOnce(names, station.name);
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
    if (station.anyFolded([&](const std::string& f) { return f == folded; })) {
      addOnce(equal, station.name);
    }
  }
  // Typed without spaces or punctuation ("timessq42st"), or with others.
  const std::string squeezed = squeezedName(typed);
  for (std::size_t i = 0; equal.empty() && !squeezed.empty() && i < stations.size(); ++i) {
    const std::vector<std::string>& keys = stations[i].squeezed;
    if (std::find(keys.begin(), keys.end(), squeezed) == keys.end()) continue;
    for (const StationEntry& station : stations) {
      if (std::find(station.squeezed.begin(), station.squeezed.end(), squeezed) !=
          station.squeezed.end())
        addOnce(equal, station.name);
    }
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

namespace {

// lineNamed for what was typed, folded and squeezed.
const StationLine* lineNamedBy(const std::string& folded, const std::string& squeezed,
                               const StationEntry& station) {
  if (station.lines.empty() || folded.empty()) return nullptr;
  const auto holds = [](const std::string& name, const std::string& part) {
    return !part.empty() && name.find(part) != std::string::npos;
  };
  for (const StationLine& line : station.lines) {
    if (line.foldedShort == folded || line.foldedLong == folded) return &line;
    if (!squeezed.empty() && (line.squeezedShort == squeezed || line.squeezedLong == squeezed))
      return &line;
    if (squeezed.size() >= 3 &&
        (holds(line.foldedLong, folded) || holds(line.squeezedLong, squeezed)))
      return &line;
  }
  return nullptr;
}

}  // namespace

const StationLine* lineNamed(std::string_view typed, const StationEntry& station) {
  return lineNamedBy(foldedName(typed), squeezedName(typed), station);
}

std::vector<const StationEntry*> stationsForTyping(std::string_view typed,
                                                   const std::vector<StationEntry>& stations,
                                                   std::vector<bool>* byLine) {
  std::vector<const StationEntry*> found;
  if (typed.empty()) return found;
  const std::string folded = foldedName(typed);
  const std::string capitals = asciiCapitals(typed);
  const std::string initials = pinyinInitials(typed);
  const std::string squeezed = squeezedName(typed);
  const std::vector<std::string> words = wordsOf(folded);
  const auto begins = [](const std::string& text, const std::string& prefix) {
    return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
  };
  // One test per rank, best first; a station is listed under its best.
  const std::vector<std::function<bool(const StationEntry&)>> ranks = {
      [&](const StationEntry& s) { return s.name == typed; },
      [&](const StationEntry& s) { return s.abbreviation == capitals; },
      [&](const StationEntry& s) {
        return s.anyFolded([&](const std::string& f) { return begins(f, folded); });
      },
      [&](const StationEntry& s) { return begins(s.abbreviation, capitals); },
      [&](const StationEntry& s) {
        return s.anyFolded(
            [&](const std::string& f) { return f.find(folded) != std::string::npos; });
      },
      [&](const StationEntry& s) {
        return initials.size() >= 2 && begins(s.abbreviation, initials);
      },
      [&](const StationEntry& s) { return wordsMatch(words, s.folded); },
      [&](const StationEntry& s) { return lineNamedBy(folded, squeezed, s) != nullptr; },
  };
  std::vector<bool> listed(stations.size(), false);
  for (std::size_t r = 0; r < ranks.size(); ++r) {
    for (std::size_t i = 0; i < stations.size(); ++i) {
      if (listed[i] || !ranks[r](stations[i])) continue;
      listed[i] = true;
      found.push_back(&stations[i]);
      if (byLine != nullptr) byLine->push_back(r + 1 == ranks.size());  // the lines' rank
    }
  }
  return found;
}

}  // namespace murlo::tool
