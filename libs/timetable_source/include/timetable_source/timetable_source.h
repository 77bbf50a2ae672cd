// The timetable source format (docs/timetable-source.md): parsing and checking
// a source into timetable data, and writing any tables back as source.
#ifndef MURLO_TIMETABLE_SOURCE_TIMETABLE_SOURCE_H_
#define MURLO_TIMETABLE_SOURCE_TIMETABLE_SOURCE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/file_format.h"
#include "db/timetable_builder.h"
#include "db/timetable_db.h"
#include "db/writer.h"

namespace murlo::source {

// Station names hold at most 11 bytes in GBK, the width hosts with fixed
// fields expect; a source that declares "names long" may hold up to 100.
inline constexpr std::size_t kMaxShortNameBytes = kHostStationNameBytes;
inline constexpr std::size_t kMaxLongNameBytes = 100;

// A timetable as a source describes it, all text converted to GBK.
struct Timetable {
  std::string header;
  std::vector<StationSpec> stations;
  std::vector<TrainSpec> trains;
  NetworkSpec network;  // groups, transfers and change times
};

struct Diagnostic {
  int line = 0;  // 1-based; 0 for the file as a whole
  std::string message;
};

// Parses `text` (UTF-8) and checks every rule of the format and every limit
// of the database file. Returns the errors, in line order; `timetable` is
// complete only when there are none. What is allowed but most likely a slip
// (a stop of more than 12 hours, an abbreviation with lower-case letters)
// goes to `warnings`, when given, in line order.
std::vector<Diagnostic> parseSource(std::string_view text, Timetable& timetable,
                                    std::vector<Diagnostic>* warnings = nullptr);

// Whether a station name or label would read as something else at the start
// of a line (a keyword, a comment, a quoted text).
bool isReserved(std::string_view token);

// Builds the database file's bytes of a parsed timetable into `file`. The
// writer's refusal is returned, though a timetable that parsed without error
// always writes.
std::optional<PackError> compileTimetable(const Timetable& timetable, std::string& file);

// Writes the tables `lists` and what `extension` adds to them (restricted
// calls, groups, transfers, change times) as source. Whatever breaks the
// format's rules (and so would not build back into the same file) is
// reported in `warnings` and as "# warning:" comments at its place in the
// source.
std::string dumpSource(const TableLists& lists, const NetworkExtension& extension,
                       std::vector<std::string>& warnings);
inline std::string dumpSource(const TableLists& lists, std::vector<std::string>& warnings) {
  return dumpSource(lists, NetworkExtension{}, warnings);
}
inline std::string dumpSource(const TimetableDb& db, std::vector<std::string>& warnings) {
  return dumpSource(db.lists(), warnings);
}

}  // namespace murlo::source

#endif  // MURLO_TIMETABLE_SOURCE_TIMETABLE_SOURCE_H_
