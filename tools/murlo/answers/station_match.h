// Finding the station a person meant: the exact name first, else the name
// typed with spaces for "_", in another letter case, or a part of it.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_STATION_MATCH_H_
#define MURLO_TOOLS_MURLO_ANSWERS_STATION_MATCH_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "murloppc.h"

namespace murlo::tool {

// A line that calls at a station, as the network names it ("4",
// "Lexington Avenue Express"), with both names folded and squeezed
// (foldedName, squeezedName) for search.
struct StationLine {
  std::string shortName;
  std::string longName;
  std::string foldedShort, squeezedShort, foldedLong, squeezedLong;
  // "4 Lexington Avenue Express": the names that are given.
  std::string text() const;
};

// A line of `shortName` and `longName`, its search keys made.
StationLine stationLine(std::string shortName, std::string longName);

// A name that may be given where a station is expected: a station's, or a
// station group's (its members then listed).
struct StationEntry {
  std::string name;
  uint32_t index = 0;                // in the station table (not for a group)
  std::string abbreviation;          // "" where the database has none (and for a group)
  std::string folded;                // foldedName(name), made once
  std::vector<std::string> members;  // a group's stations; empty for a station
  // The network's own words, where the database has them: the name as
  // written and the label that tells it from others of that name ("125 St
  // (4 5 6)"), each folded; and every name of the station squeezed
  // (squeezedName), so that "timessq42st" finds "Times Sq-42 St".
  std::vector<std::string> alsoFolded;
  std::vector<std::string> squeezed;
  std::string label;  // the last of the names as written ("125 St (4 5 6)"), or ""
  // Where the station lies, in microdegrees, where the database says.
  bool hasCoordinates = false;
  int32_t latitude = 0;
  int32_t longitude = 0;
  std::string wheelchair;          // "yes", "no", "" where unknown
  std::vector<StationLine> lines;  // the lines that call there, where the database says

  bool isGroup() const { return !members.empty(); }
  // Whether `test` holds for its folded name or another folded name of it.
  template <typename Test>
  bool anyFolded(Test test) const {
    if (test(folded)) return true;
    for (const std::string& also : alsoFolded)
      if (test(also)) return true;
    return false;
  }
};

// A station entry of `name` and `abbreviation`, with `written`, the names
// the network writes for it ("" where none).
StationEntry stationEntry(std::string name, std::string abbreviation,
                          const std::vector<std::string>& written = {});

// Whether a station list has each station's lines (which a search by a
// line's name needs and other questions do not: finding them reads every
// train's words).
enum class StationLines { kLeftOut, kAdded };

// Every station of `db`, in table order (with `lines`, its lines where the
// database has its own words), then its station groups in the database's
// order; nothing when the library fails.
std::optional<std::vector<StationEntry>> stationEntries(const murlo_db* db,
                                                        StationLines lines = StationLines::kAdded);

// Adds to each station of `stations` (stationEntries of `db`) the lines
// that call there, where the database has its own words and they are not
// there yet: their short names as murlo_db_station_info gives them, with
// the long names the trains' lines of that short name have, and lines
// without a short name by the stops of their trains.
void addStationLines(const murlo_db* db, std::vector<StationEntry>& stations);

// `name` with ASCII letters in lower case, full-width letters and digits as
// ASCII, Latin letters without their accents (é as e, ß as ss), and spaces
// as "_": how names are compared when not exactly equal.
std::string foldedName(std::string_view name);

// foldedName without spaces, "_" and ASCII punctuation: "Times Sq-42 St"
// as "timessq42st", how names typed without spaces are found.
std::string squeezedName(std::string_view name);

struct StationMatch {
  enum class Kind {
    kExact,    // a station has the name as typed
    kTaken,    // one station's name matches loosely: `name`
    kSeveral,  // several names match loosely: `candidates`
    kNone,     // nothing matches
  };
  Kind kind = Kind::kNone;
  std::string name;                     // kExact, kTaken: the name to ask the library for
  std::vector<std::string> candidates;  // kSeveral: distinct names, in table order
  bool byAbbreviation = false;          // kTaken: what was typed is its abbreviation
};

// Matches `typed` against `stations`: the exact name; else the names equal
// to it once folded (foldedName); else the one station whose abbreviation
// it is in any letter case; else the names that contain it, folded;
// else the names whose words (split at "_") begin the words typed or are
// begun by them, three letters at least ("harbour" finds "Harbo_Centr");
// else the stations that share it as their abbreviation.
StationMatch matchStation(std::string_view typed, const std::vector<StationEntry>& stations);

// The names of `stations` that contain `part` once both are folded, each
// once, in table order.
std::vector<std::string> namesContaining(std::string_view part,
                                         const std::vector<StationEntry>& stations);

// The line calling at `station` that `typed` names, or null: its short
// name or its long name equal to what was typed, or its long name holding
// it (three letters or digits at least), folded or squeezed ("lexington"
// names "Lexington Avenue Express"). A line's name is no station's:
// matchStation never takes one.
const StationLine* lineNamed(std::string_view typed, const StationEntry& station);

// The stations a person typing `typed` into a station field may mean, best
// first: the name as typed; the abbreviation equal to it in capitals; names
// that begin with it, folded; abbreviations that begin with it in capitals;
// names that contain it; abbreviations that begin with its pinyin initials
// ("beijing" gives BJ); names whose words it begins (as matchStation); and
// last the stations of the lines it names (lineNamed). Table order within
// each of these; each station once. Nothing for an empty text. With
// `byLine`, for each station found whether only a line's name found it.
std::vector<const StationEntry*> stationsForTyping(std::string_view typed,
                                                   const std::vector<StationEntry>& stations,
                                                   std::vector<bool>* byLine = nullptr);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_STATION_MATCH_H_
